// Sorting by a clicked column, letting go of rows, state colours.
#include <gtest/gtest.h>

#include <random>

#include "ConnectionsFixture.h"
#include "net/NetUtils.h"
#include "views/ConnectionsView.h"
#include "views/ListModel.h"
#include "views/ListPresentation.h"

namespace kestro {
namespace {

struct Counted : RowRecord {
  explicit Counted(int& live) : live(live) { ++live; }
  ~Counted() override { --live; }
  int& live;
};

ListModel& Fill(ListModel& list, const std::vector<std::vector<std::wstring>>& rows) {
  for (const auto& texts : rows) {
    ListRow& row = list.AppendRow();
    row.caption = texts[0];
    row.cells.assign(texts.begin() + 1, texts.end());
  }
  return list;
}

std::vector<std::wstring> Captions(const ListModel& list) {
  std::vector<std::wstring> captions;
  for (size_t i = 0; i < list.RowCount(); ++i) captions.push_back(list.Row(i).caption);
  return captions;
}

TEST(SortByColumn, FirstClickOnTheCaptionAscendsOnOtherColumnsDescendsThenAlternates) {
  const std::vector<std::vector<std::wstring>> rows = {{L"b", L"9.0.0.1", L"x", L"x", L"TCPv6"},
                                                       {L"A", L"10.0.0.2", L"x", L"x", L"UDPv4"},
                                                       {L"c", L"10.0.0.10", L"x", L"x", L"TCPv4"}};
  ListModel byCaption;
  ListSortState captionSort;
  SortByColumn(Fill(byCaption, rows), captionSort, 0);
  EXPECT_EQ(Captions(byCaption), (std::vector<std::wstring>{L"A", L"b", L"c"}));  // case ignored

  ListModel list;
  ListSortState sort;
  SortByColumn(Fill(list, rows), sort, 4);
  EXPECT_EQ(Captions(list), (std::vector<std::wstring>{L"A", L"b", L"c"}));  // UDP, TCPv6, TCPv4
  SortByColumn(list, sort, 4);
  EXPECT_EQ(Captions(list), (std::vector<std::wstring>{L"c", L"b", L"A"}));
  // Another column keeps the direction; addresses compare as text.
  SortByColumn(list, sort, 1);
  EXPECT_TRUE(sort.ascending);
  EXPECT_EQ(sort.lastColumn, 1);
  EXPECT_EQ(Captions(list), (std::vector<std::wstring>{L"c", L"A", L"b"}));
}

TEST(SortByColumn, OrdersExactlyLikeTheLocaleComparison) {
  const std::vector<std::wstring> alphabet = {L"a", L"B", L"b", L"1", L"9",  L"10",
                                              L".", L":", L"-", L" ", L"中", L"国",
                                              L"é", L"E", L"[", L"_", L"?",  L"Z"};
  std::mt19937 random(7);
  ListModel list;
  for (int i = 0; i < 400; ++i) {
    std::wstring text;
    for (int n = random() % 6; n > 0; --n) text += alphabet[random() % alphabet.size()];
    list.AppendRow().caption = text;
  }
  ListSortState sort;
  SortByColumn(list, sort, 0);
  for (size_t i = 1; i < list.RowCount(); ++i)
    EXPECT_LE(CompareListText(list.Row(i - 1).caption, list.Row(i).caption), 0)
        << i << ": " << testing::PrintToString(list.Row(i - 1).caption) << " / "
        << testing::PrintToString(list.Row(i).caption);
}

TEST(SortByColumn, SortedRowsKeepTheirIdentityAndAMissingCellSortsAsEmpty) {
  ListModel list;
  Fill(list, {{L"x", L"b"}, {L"y"}, {L"z", L"a"}});
  const RowId y = list.Row(1).id;
  ListSortState sort{1, false};
  SortByColumn(list, sort, 1);  // same column: ascending now
  EXPECT_EQ(Captions(list), (std::vector<std::wstring>{L"y", L"z", L"x"}));
  EXPECT_EQ(list.IndexOf(y), 0u);
}

TEST(OnRowDeleted, EveryPathFreesRecordsAndStopsLookups) {
  int live = 0;
  ListModel list;
  for (int i = 0; i < 5; ++i) {
    ListRow& row = list.AppendRow();
    if (i % 2) row.record = std::make_unique<Counted>(live);
    row.cells.assign(static_cast<size_t>(i), L"c");  // rows with fewer than four cells too
  }
  // A TCP row whose lookup has not reported back yet.
  NameResolver resolver(std::make_shared<test::ScriptedNameService>());
  ListRow& tcpRow = list.AppendRow();
  tcpRow.cells = {L"", L"", L"", L"TCPv4"};
  auto tcp = std::make_unique<ConnectionRecord>(ConnectionKind::kTcp4);
  EndpointAddress address{AF_INET, 0, htonl(0x0A000009), {}, 0};
  NameLookupThread::Start(resolver, address, tcpRow.id, tcp->lookup);
  ConnectionRecord* data = tcp.get();
  tcpRow.record = std::move(tcp);
  ASSERT_TRUE(data->lookup.Running());

  bool stopped = false;
  list.SetDeletionHook([&](ListRow& row) {
    OnRowDeleted(row);
    if (row.record.get() == data) stopped = !data->lookup.Running();
  });
  EXPECT_EQ(live, 2);
  list.DeleteRow(1);
  EXPECT_EQ(live, 1);
  list.DeleteAllRows();
  EXPECT_EQ(live, 0);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(list.RowCount(), 0u);
  for (int i = 0; i < 200 && NameLookupThread::LiveCount() > 0; ++i) Sleep(10);
  resolver.DeliverPending();  // the stopped lookup's answer goes nowhere
}

TEST(StateCellBackground, ColoursTheStateCellOfTcpRowsByState) {
  const std::vector<std::pair<DWORD, std::optional<COLORREF>>> cases = {
      {kTcpEstablished, RGB(204, 255, 204)},
      {kTcpCloseWait, RGB(255, 106, 106)},
      {kTcpTimeWait, RGB(255, 106, 106)},
      {kTcpClosing, RGB(255, 106, 106)},
      {kTcpListen, RGB(206, 231, 255)},
      {kTcpSynSent, RGB(255, 255, 179)},
      {kTcpSynRcvd, RGB(255, 255, 179)},
      {kTcpFinWait1, RGB(234, 234, 234)},
      {kTcpFinWait2, RGB(234, 234, 234)},
      {kTcpLastAck, RGB(255, 0, 0)},
      {kTcpClosed, std::nullopt},
      {kTcpDeleteTcb, std::nullopt}};
  for (const auto& [state, colour] : cases) {
    ListModel list;
    ListRow& row = list.AppendRow();
    row.cells = {L"", L"", L"", L"TCPv6"};
    auto data = std::make_unique<ConnectionRecord>(ConnectionKind::kTcp6);
    data->endpoint.tcp6.dwState = state;
    row.record = std::move(data);
    EXPECT_EQ(StateCellBackground(row, 3), colour) << state;
    EXPECT_EQ(StateCellBackground(row, 2), std::nullopt);
    EXPECT_EQ(StateCellBackground(row, 4), std::nullopt);
  }
}

}  // namespace
}  // namespace kestro
