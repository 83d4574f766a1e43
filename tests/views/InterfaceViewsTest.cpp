#include <cstring>

#include "ViewFixture.h"
#include "views/InterfaceViews.h"

namespace kestro::test {
namespace {

MIB_IFROW IfRow(DWORD index, const char* description, DWORD speed, DWORD macLength = 6) {
  MIB_IFROW row{};
  row.dwIndex = index;
  row.dwSpeed = speed;
  row.dwDescrLen = static_cast<DWORD>(std::strlen(description));
  std::memcpy(row.bDescr, description, row.dwDescrLen);
  row.dwPhysAddrLen = macLength;
  const BYTE mac[8] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, static_cast<BYTE>(index), 0x77, 0x88};
  std::memcpy(row.bPhysAddr, mac, sizeof(mac));
  return row;
}

using NicView = ViewFixture;

TEST_F(NicView, RebuildShowsEveryAdapter) {
  api.ifRows = {IfRow(1, "Loopback", 10000000, 0), IfRow(2, "Ethernet adapter", 1000000000)};
  Run(UpdateNicView, true);
  EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"Name", L"MAC Address", L"Speed", L"Number"}));
  EXPECT_EQ(list.Column(2).align, Align::kRight);
  ASSERT_EQ(list.RowCount(), 2u);
  // The loopback interface has no hardware address; bytes past the sixth are ignored.
  EXPECT_EQ(RowTexts(0), (std::vector<std::wstring>{L"Loopback", L"", L"10,000,000", L"1"}));
  EXPECT_EQ(RowTexts(1), (std::vector<std::wstring>{L"Ethernet adapter", L"00-1A-2B-3C-4D-02",
                                                    L"1,000,000,000", L"2"}));
  EXPECT_EQ(list.Row(0).image, 1);
}

TEST_F(NicView, DescriptionIsReadUpToItsEndAndNeverBeyond) {
  MIB_IFROW full = IfRow(7, "", 0);
  std::memset(full.bDescr, 'x', sizeof(full.bDescr));  // no NUL at all
  api.ifRows = {full};
  Run(UpdateNicView, true);
  EXPECT_EQ(list.Row(0).caption, std::wstring(MAX_INTERFACE_NAME_LEN, L'x'));
}

TEST_F(NicView, RefreshKeepsRowsAppendsNewAndDeletesVanished) {
  api.ifRows = {IfRow(1, "one", 100), IfRow(2, "two", 200), IfRow(3, "three", 300)};
  Run(UpdateNicView, true);
  SortDescending();  // by MAC address: three, two, one
  const std::vector<RowId> before = Ids();

  // 2 vanished, 1 changed its texts, 4 is new.
  api.ifRows = {IfRow(1, "renamed", 999), IfRow(3, "three", 300), IfRow(4, "four", 400)};
  Run(UpdateNicView, false);
  ASSERT_EQ(list.RowCount(), 3u);
  EXPECT_EQ(list.Row(0).caption, L"three");
  EXPECT_EQ(list.Row(0).id, before[0]);
  // A kept adapter keeps its old texts until the view is rebuilt.
  EXPECT_EQ(RowTexts(1), (std::vector<std::wstring>{L"one", L"00-1A-2B-3C-4D-01", L"100", L"1"}));
  EXPECT_EQ(list.Row(1).id, before[2]);
  EXPECT_EQ(list.Row(2).caption, L"four");

  Run(UpdateNicView, true);
  EXPECT_EQ(list.Row(0).caption, L"renamed");
}

TEST_F(NicView, EmptyTableEmptiesTheListOnRefresh) {
  api.ifRows = {IfRow(1, "one", 100)};
  Run(UpdateNicView, true);
  // The size query answers nothing: the table is skipped and every row goes.
  api.FailCall(ScriptedIpHelper::kIf, ERROR_NO_DATA, 0, true);
  Run(UpdateNicView, false);
  EXPECT_EQ(list.RowCount(), 0u);
  EXPECT_EQ(list.ColumnCount(), 4u);
}

TEST_F(NicView, FailingFetchEndsWithTheSystemMessageAndKeepsTheColumns) {
  api.ifRows = {IfRow(1, "one", 100)};
  api.FailCall(ScriptedIpHelper::kIf, ERROR_ACCESS_DENIED, 1);  // the fetch after the size query
  EXPECT_EQ(RunError(UpdateNicView, true), SystemMessage(ERROR_ACCESS_DENIED));
  EXPECT_EQ(list.ColumnCount(), 4u);
  EXPECT_EQ(list.RowCount(), 0u);
}

// ---- Interface statistics -------------------------------------------------

MIB_IFROW CountingRow(DWORD index, DWORD base) {
  MIB_IFROW row = IfRow(index, index == 1 ? "lo" : "eth", 0);
  row.dwInOctets = base;
  row.dwOutOctets = base + 1;
  row.dwInUcastPkts = base + 2;
  row.dwOutUcastPkts = base + 3;
  row.dwInNUcastPkts = base + 4;
  row.dwOutNUcastPkts = base + 5;
  row.dwInDiscards = base + 6;
  row.dwOutDiscards = base + 7;
  row.dwInErrors = base + 8;
  row.dwOutErrors = base + 9;
  row.dwInUnknownProtos = base + 10;
  return row;
}

class InterfaceStatsView : public ViewFixture {
 protected:
  std::vector<std::wstring> Column(size_t cell) const {
    std::vector<std::wstring> values;
    for (size_t i = 0; i < list.RowCount(); ++i)
      values.push_back(cell == SIZE_MAX ? list.Row(i).caption : list.Row(i).Cell(cell));
    return values;
  }
};

TEST_F(InterfaceStatsView, SumsAllInterfacesBeyond32Bits) {
  api.ifRows = {CountingRow(1, 4000000000u), CountingRow(2, 1000)};
  Run(UpdateInterfaceStatsView, true);
  EXPECT_EQ(Captions(),
            (std::vector<std::wstring>{L"Interface Description", L"Received", L"Sent"}));
  EXPECT_EQ(Column(SIZE_MAX),
            (std::vector<std::wstring>{L"字节", L"Unicast Packets", L"Non-unicast Packets",
                                       L"Discards", L"错误", L"未知协议"}));
  EXPECT_EQ(Column(0),
            (std::vector<std::wstring>{L"4,000,001,000", L"4,000,001,004", L"4,000,001,008",
                                       L"4,000,001,012", L"4,000,001,016", L"4,000,001,020"}));
  EXPECT_EQ(Column(1),
            (std::vector<std::wstring>{L"4,000,001,002", L"4,000,001,006", L"4,000,001,010",
                                       L"4,000,001,014", L"4,000,001,018", L""}));
  EXPECT_EQ(list.Row(5).cells.size(), 2u);
  EXPECT_EQ(list.Row(0).image, 1);
}

TEST_F(InterfaceStatsView, OneChosenInterfaceAndOneThatVanished) {
  api.ifRows = {CountingRow(1, 100), CountingRow(2, 1000)};
  state.SelectedInterface = 2;
  Run(UpdateInterfaceStatsView, true);
  EXPECT_EQ(list.Row(0).Cell(0), L"1,000");
  EXPECT_EQ(list.Row(4).Cell(1), L"1,009");

  // Refresh in place, whatever the order of the rows.
  SortDescending();
  const std::vector<RowId> before = Ids();
  api.ifRows = {CountingRow(1, 100)};  // the chosen interface is gone
  Run(UpdateInterfaceStatsView, false);
  EXPECT_EQ(Ids(), before);
  for (size_t i = 0; i < list.RowCount(); ++i) {
    EXPECT_EQ(list.Row(i).Cell(0), L"0") << i;
    EXPECT_EQ(list.Row(i).Cell(1), list.Row(i).caption == L"未知协议" ? L"" : L"0") << i;
  }
}

TEST_F(InterfaceStatsView, MissingRowIsSkippedAndEmptyTableChangesNothing) {
  api.ifRows = {CountingRow(1, 100)};
  Run(UpdateInterfaceStatsView, true);
  list.DeleteRow(0);  // "字节"
  api.ifRows = {CountingRow(1, 200)};
  Run(UpdateInterfaceStatsView, false);
  ASSERT_EQ(list.RowCount(), 5u);
  EXPECT_EQ(list.Row(0).Cell(0), L"202");

  api.FailCall(ScriptedIpHelper::kIf, ERROR_NO_DATA, 0, true);
  Run(UpdateInterfaceStatsView, false);
  EXPECT_EQ(list.Row(0).Cell(0), L"202");
}

TEST_F(InterfaceStatsView, ChoicesListAllThenEveryInterface) {
  api.ifRows = {CountingRow(1, 0), CountingRow(5, 0)};
  std::vector<InterfaceChoice> all = InterfaceChoices(tables, -1);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].caption, L"所有");
  EXPECT_EQ(all[0].interfaceIndex, -1);
  EXPECT_TRUE(all[0].checked);
  EXPECT_EQ(all[2].caption, L"eth");
  EXPECT_EQ(all[2].interfaceIndex, 5);
  EXPECT_FALSE(all[1].checked || all[2].checked);

  std::vector<InterfaceChoice> one = InterfaceChoices(tables, 5);
  EXPECT_FALSE(one[0].checked || one[1].checked);
  EXPECT_TRUE(one[2].checked);

  api.FailCall(ScriptedIpHelper::kIf, ERROR_NO_DATA, 0, true);
  TableReader fresh(api);  // no remembered size: the size query decides
  EXPECT_TRUE(InterfaceChoices(fresh, -1).empty());
}

}  // namespace
}  // namespace kestro::test
