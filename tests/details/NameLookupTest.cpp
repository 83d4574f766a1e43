// Background name lookups against rows of the list model: every order of
// "lookup ends", "answer delivered", "row deleted" and "resolver gone".
#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <random>

#include "support/MessageLoop.h"
#include "support/ScriptedNameService.h"
#include "net/EndpointText.h"
#include "views/ListModel.h"

namespace kestro {
namespace {

using test::PumpUntil;
using test::ScriptedNameService;

// A connection row's record: its remote address and lookup state.
struct ConnectionRecord : RowRecord {
  static inline int live = 0;
  explicit ConnectionRecord(const std::string& address) {
    inet_pton(AF_INET, address.c_str(), bytes);
    ++live;
  }
  ~ConnectionRecord() override { --live; }
  EndpointAddressText Remote(RowId row) {
    return {AF_INET, htons(25), bytes, 0, false, &lookup, row};
  }

  uint8_t bytes[4] = {};
  NameLookupState lookup;
};

std::wstring NameOf(const std::string& address) {
  return L"host-" + std::wstring(address.begin(), address.end());
}

class NameLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.SetDeletionHook([](ListRow& row) {
      if (auto* record = row.RecordAs<ConnectionRecord>()) record->lookup.Terminate();
    });
    StartResolver();
  }
  void TearDown() override {
    service->Release();
    model.DeleteAllRows();
    resolver.reset();
    EXPECT_TRUE(test::WaitForLookupThreads(10000));
    EXPECT_EQ(ConnectionRecord::live, 0);
  }

  void StartResolver() {
    resolver = std::make_unique<NameResolver>(service);
    resolver->SetCompletion([this](RowId id, int code, const std::wstring& name) {
      ++delivered;
      // What the connection view does with a finished lookup.
      auto index = model.IndexOf(id);
      if (!index) return;
      auto* record = model.Row(*index).RecordAs<ConnectionRecord>();
      record->lookup.Complete(code, name);
      if (code == 0 && byName)
        model.SetCell(*index, 1, ResolvedCellText(model.Row(*index).Cell(1), name));
    });
  }

  // Appends a row for a remote IPv4 address and builds its remote cell, which
  // starts the lookup; returns the row's identity.
  RowId AddRow(const std::string& address) {
    service->Script(std::wstring(address.begin(), address.end()), {0, NameOf(address)});
    ListRow& row = model.AppendRow();
    const RowId id = row.id;
    auto record = std::make_unique<ConnectionRecord>(address);
    row.cells = {L"local", FormatEndpointCell(*resolver, byName, record->Remote(id))};
    model.SetRecord(model.RowCount() - 1, std::move(record));
    return id;
  }
  const ListRow& RowOf(RowId id) { return model.Row(*model.IndexOf(id)); }
  ConnectionRecord& RecordOf(RowId id) { return *RowOf(id).RecordAs<ConnectionRecord>(); }
  bool Resolved(RowId id) {
    return PumpUntil([&] { return !RecordOf(id).lookup.Running(); }, 5000);
  }
  // Lets queued answers arrive for a while.
  void PumpBriefly() {
    PumpUntil([] { return false; }, 50);
  }

  std::shared_ptr<ScriptedNameService> service = std::make_shared<ScriptedNameService>();
  std::unique_ptr<NameResolver> resolver;
  ListModel model;
  bool byName = true;
  int delivered = 0;
};

TEST_F(NameLookupTest, AnswerArrivesThenRowIsDeleted) {
  RowId row = AddRow("198.51.100.5");
  EXPECT_EQ(RowOf(row).Cell(1), L"198.51.100.5 :smtp");
  ASSERT_TRUE(Resolved(row));
  EXPECT_EQ(RowOf(row).Cell(1), L"host-198.51.100.5:smtp");
  EXPECT_EQ(RecordOf(row).lookup.name, L"host-198.51.100.5");
  model.DeleteRow(0);
  EXPECT_EQ(delivered, 1);
}

TEST_F(NameLookupTest, RowDeletedAfterTheAnswerWasQueuedGetsNothing) {
  service->Hold();
  RowId gone = AddRow("198.51.100.5");
  RowId kept = AddRow("198.51.100.6");
  ASSERT_TRUE(service->WaitForReverseCalls(2, 5000));
  service->Release();
  // Both threads have queued their answers; none has been delivered yet.
  ASSERT_TRUE(test::WaitForLookupThreads(5000));
  model.DeleteRow(*model.IndexOf(gone));
  ASSERT_TRUE(Resolved(kept));
  PumpBriefly();
  EXPECT_EQ(delivered, 1);
  EXPECT_EQ(RowOf(kept).Cell(1), L"host-198.51.100.6:smtp");
}

TEST_F(NameLookupTest, RowDeletedWhileItsLookupRuns) {
  service->Hold();
  RowId gone = AddRow("198.51.100.5");
  RowId kept = AddRow("198.51.100.6");
  ASSERT_TRUE(service->WaitForReverseCalls(2, 5000));
  model.DeleteRow(*model.IndexOf(gone));
  service->Release();
  ASSERT_TRUE(Resolved(kept));
  ASSERT_TRUE(test::WaitForLookupThreads(5000));
  PumpBriefly();
  EXPECT_EQ(delivered, 1);
  EXPECT_EQ(model.RowCount(), 1u);
  EXPECT_EQ(RowOf(kept).Cell(1), L"host-198.51.100.6:smtp");
}

TEST_F(NameLookupTest, ListEmptiedWhileLookupsRun) {
  service->Hold();
  for (int i = 1; i <= 5; ++i) AddRow(std::string("198.51.100.").append(std::to_string(i)));
  ASSERT_TRUE(service->WaitForReverseCalls(5, 5000));
  model.DeleteAllRows();
  EXPECT_EQ(ConnectionRecord::live, 0);
  service->Release();
  ASSERT_TRUE(test::WaitForLookupThreads(5000));
  PumpBriefly();
  EXPECT_EQ(delivered, 0);
}

TEST_F(NameLookupTest, LookupsEndWhenTheUserInterfaceIsGone) {
  service->Hold();
  AddRow("198.51.100.5");
  AddRow("198.51.100.6");
  ASSERT_TRUE(service->WaitForReverseCalls(2, 5000));
  // Program exit: the resolver and its window go first, the rows later.
  resolver.reset();
  service->Release();
  EXPECT_TRUE(test::WaitForLookupThreads(5000));
  PumpBriefly();
  EXPECT_EQ(delivered, 0);
}

TEST_F(NameLookupTest, QueuedAnswersAreDroppedWhenTheResolverGoes) {
  AddRow("198.51.100.5");
  ASSERT_TRUE(test::WaitForLookupThreads(5000));
  resolver.reset();
  PumpBriefly();
  EXPECT_EQ(delivered, 0);
  // A new resolver (a new window) hears nothing of the old one.
  StartResolver();
  PumpBriefly();
  EXPECT_EQ(delivered, 0);
}

TEST_F(NameLookupTest, NameDisplayOffKeepsTheNumericCellButStoresTheName) {
  service->Hold();
  RowId row = AddRow("198.51.100.5");
  byName = false;
  service->Release();
  ASSERT_TRUE(Resolved(row));
  EXPECT_EQ(RowOf(row).Cell(1), L"198.51.100.5 :smtp");
  EXPECT_EQ(RecordOf(row).lookup.name, L"host-198.51.100.5");
  // Switched on again: the next rebuild of the cell shows the name.
  EXPECT_EQ(FormatEndpointCell(*resolver, true, RecordOf(row).Remote(row)),
            L"host-198.51.100.5 :smtp");
  EXPECT_EQ(service->ReverseCalls(), 1);
}

TEST_F(NameLookupTest, AFailedLookupLeavesTheNumericCell) {
  service->Script(L"198.51.100.5", {WSAHOST_NOT_FOUND, L""});
  ListRow& row = model.AppendRow();
  const RowId id = row.id;
  auto record = std::make_unique<ConnectionRecord>("198.51.100.5");
  row.cells = {L"local", FormatEndpointCell(*resolver, true, record->Remote(id))};
  model.SetRecord(0, std::move(record));
  ASSERT_TRUE(Resolved(id));
  EXPECT_EQ(RowOf(id).Cell(1), L"198.51.100.5 :smtp");
  EXPECT_EQ(RecordOf(id).lookup.resultCode, WSAHOST_NOT_FOUND);
}

// Many rounds of rows coming and going while their lookups end at random
// moments: no answer may land on another row, none on a deleted one, and at
// the end no thread and no record may be left.
TEST_F(NameLookupTest, RandomOrdersOfLookupEndAndRowDeletion) {
  std::mt19937 random(20261210);
  service->SetRandomDelay(3);
  int rowsMade = 0;
  for (int round = 0; round < 300; ++round) {
    const bool hold = random() % 2 == 0;
    if (hold) service->Hold();
    const int rows = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < rows; ++i, ++rowsMade)
      AddRow("10.0." + std::to_string(rowsMade / 250) + "." + std::to_string(rowsMade % 250));
    for (int step = 0; step < 4 && model.RowCount() > 0; ++step) {
      switch (random() % 4) {
        case 0:
          model.DeleteRow(random() % model.RowCount());
          break;
        case 1:
          service->Release();
          break;
        case 2:
          PumpUntil([] { return false; }, random() % 4);
          break;
        case 3:
          Sleep(random() % 3);
          break;
      }
    }
    if (random() % 5 == 0) model.DeleteAllRows();
    if (random() % 10 == 0) {
      resolver.reset();
      StartResolver();
    }
    service->Release();
    // Every remote cell holds its own address or its own name.
    for (size_t i = 0; i < model.RowCount(); ++i) {
      const ListRow& row = model.Row(i);
      const auto* record = row.RecordAs<ConnectionRecord>();
      char text[16];
      inet_ntop(AF_INET, record->bytes, text, sizeof text);
      const std::wstring address(text, text + strlen(text));
      const std::wstring& cell = row.Cell(1);
      ASSERT_TRUE(cell == address + L" :smtp" || cell == NameOf(text) + L":smtp") << cell;
    }
    if (model.RowCount() > 40) model.DeleteAllRows();
  }
  model.DeleteAllRows();
  EXPECT_TRUE(test::WaitForLookupThreads(10000));
  EXPECT_EQ(NameLookupThread::LiveCount(), 0);
  EXPECT_EQ(ConnectionRecord::live, 0);
  EXPECT_LE(delivered, rowsMade);
}

}  // namespace
}  // namespace kestro
