// Every view against the machine's real IP Helper (under Wine: this machine's
// own tables), built and then refreshed in place.
#include "ViewFixture.h"
#include "views/AddressViews.h"
#include "views/InterfaceViews.h"
#include "views/StatisticsViews.h"
#include "views/ViewRows.h"
#include "win/Text.h"

namespace kestro::test {
namespace {

// The real IP Helper as an older system offers it: without the newer tables,
// so that the views read the older IPv4 tables.
class OlderSystemIpHelper final : public IpHelperApi {
 public:
  DWORD GetExtendedTcpTable(void* t, DWORD* s, BOOL o, ULONG f) override {
    return real.GetExtendedTcpTable(t, s, o, f);
  }
  DWORD GetExtendedUdpTable(void* t, DWORD* s, BOOL o, ULONG f) override {
    return real.GetExtendedUdpTable(t, s, o, f);
  }
  DWORD GetIfTable(MIB_IFTABLE* t, ULONG* s, BOOL o) override { return real.GetIfTable(t, s, o); }
  DWORD GetIpNetTable(MIB_IPNETTABLE* t, ULONG* s, BOOL o) override {
    return real.GetIpNetTable(t, s, o);
  }
  DWORD GetIpAddrTable(MIB_IPADDRTABLE* t, ULONG* s, BOOL o) override {
    return real.GetIpAddrTable(t, s, o);
  }
  DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* t, ULONG* s, BOOL o) override {
    return real.GetIpForwardTable(t, s, o);
  }
  DWORD SetTcpEntry(MIB_TCPROW* row) override { return real.SetTcpEntry(row); }
  DWORD GetIpStatisticsEx(MIB_IPSTATS* s, ULONG f) override { return real.GetIpStatisticsEx(s, f); }
  DWORD GetIcmpStatisticsEx(MIB_ICMP_EX* s, ULONG f) override {
    return real.GetIcmpStatisticsEx(s, f);
  }
  DWORD GetTcpStatisticsEx(MIB_TCPSTATS* s, ULONG f) override {
    return real.GetTcpStatisticsEx(s, f);
  }
  DWORD GetUdpStatisticsEx(MIB_UDPSTATS* s, ULONG f) override {
    return real.GetUdpStatisticsEx(s, f);
  }
  bool HasIpNetTable2() const override { return false; }
  bool HasUnicastIpAddressTable() const override { return false; }
  bool HasIpForwardTable2() const override { return false; }
  DWORD GetIpNetTable2(ADDRESS_FAMILY, MIB_IPNET_TABLE2**) override { return ERROR_PROC_NOT_FOUND; }
  DWORD GetUnicastIpAddressTable(ADDRESS_FAMILY, MIB_UNICASTIPADDRESS_TABLE**) override {
    return ERROR_PROC_NOT_FOUND;
  }
  DWORD GetIpForwardTable2(ADDRESS_FAMILY, MIB_IPFORWARD_TABLE2**) override {
    return ERROR_PROC_NOT_FOUND;
  }
  DWORD GetIpInterfaceTable(ADDRESS_FAMILY, MIB_IPINTERFACE_TABLE**) override {
    return ERROR_PROC_NOT_FOUND;
  }
  void FreeMibTable(void*) override {}

  SystemIpHelper real;
};

template <typename Api>
class RealTables : public ::testing::Test {
 protected:
  using UpdateFn = void (*)(ViewContext&, bool);

  // Builds the view, then refreshes it; both must succeed, and the refresh
  // must keep the rows of an unchanged table.
  void BuildAndRefresh(UpdateFn update, size_t columns) {
    ASSERT_EQ(Error(update, true), "");
    EXPECT_EQ(list.ColumnCount(), columns);
    ASSERT_EQ(Error(update, false), "");
    EXPECT_EQ(list.ColumnCount(), columns);
    for (size_t i = 0; i < list.RowCount(); ++i)
      EXPECT_EQ(list.Row(i).cells.size() + 1, columns) << "row " << i;
  }
  // The message of the error the update raises, as UTF-8; empty when none.
  std::string Error(UpdateFn update, bool rebuild) {
    try {
      update(context, rebuild);
    } catch (const SystemError& e) {
      return ToUtf8(e.message()) + " (" + std::to_string(e.code()) + ")";
    }
    return {};
  }
  bool HasRow(const std::wstring& caption, size_t cell, const std::wstring& text) const {
    for (size_t i = 0; i < list.RowCount(); ++i)
      if ((caption.empty() || list.Row(i).caption == caption) && list.Row(i).Cell(cell) == text)
        return true;
    return false;
  }
  std::wstring Dump() const {
    std::wstring text;
    for (size_t i = 0; i < list.RowCount(); ++i) {
      text += list.Row(i).caption;
      for (const auto& cell : list.Row(i).cells) text += L" | " + cell;
      text += L"\n";
    }
    return text;
  }

  Api api;
  TableReader tables{api};
  ListModel list;
  ViewState state;
  CountingEvents events;
  ViewContext context{list, tables, state, events};
};

using SystemViews = RealTables<SystemIpHelper>;
using OlderSystemViews = RealTables<OlderSystemIpHelper>;

TEST_F(SystemViews, AdapterTableHasTheLoopbackInterface) {
  BuildAndRefresh(UpdateNicView, 4);
  bool loopback = false;
  for (size_t i = 0; i < list.RowCount(); ++i) {
    const auto* record = list.Row(i).RecordAs<TableRowRecord<MIB_IFROW>>();
    ASSERT_NE(record, nullptr);
    if (record->row.dwType == IF_TYPE_SOFTWARE_LOOPBACK) {
      loopback = true;
      EXPECT_EQ(list.Row(i).Cell(0), L"") << "loopback has no MAC address";
    }
  }
  EXPECT_TRUE(loopback) << ToUtf8(Dump());
}

TEST_F(SystemViews, InterfaceStatisticsHaveSixRows) {
  BuildAndRefresh(UpdateInterfaceStatsView, 3);
  ASSERT_EQ(list.RowCount(), 6u);
  EXPECT_NE(list.Row(0).Cell(0), L"");
  EXPECT_EQ(list.Row(5).Cell(1), L"");
}

TEST_F(SystemViews, AddressViewHasTheLoopbackAddress) {
  BuildAndRefresh(UpdateAddressView, 4);
  EXPECT_TRUE(HasRow(L"IPv4", 0, L"127.0.0.1")) << ToUtf8(Dump());
}

TEST_F(OlderSystemViews, AddressViewHasTheLoopbackAddress) {
  BuildAndRefresh(UpdateAddressView, 4);
  EXPECT_TRUE(HasRow(L"IPv4", 0, L"127.0.0.1")) << ToUtf8(Dump());
  for (size_t i = 0; i < list.RowCount(); ++i) EXPECT_EQ(list.Row(i).caption, L"IPv4");
}

TEST_F(OlderSystemViews, ArpAndRouteViewsBuild) {
  BuildAndRefresh(UpdateArpView, 5);
  EXPECT_EQ(list.Column(3).caption, L"Type");
  list.DeleteAllRows();
  list.ClearColumns();
  BuildAndRefresh(UpdateRouteView, 6);
  EXPECT_GT(list.RowCount(), 0u) << "no route at all";
}

TEST_F(SystemViews, ArpAndRouteViewsBuild) {
  BuildAndRefresh(UpdateArpView, 5);
  list.DeleteAllRows();
  list.ClearColumns();
  BuildAndRefresh(UpdateRouteView, 6);
  EXPECT_GT(list.RowCount(), 0u) << "no route at all";
  for (size_t i = 0; i < list.RowCount(); ++i) {
    const std::wstring& caption = list.Row(i).caption;
    EXPECT_TRUE(caption == L"IPv4" || caption == L"IPv6") << ToUtf8(caption);
  }
}

TEST_F(SystemViews, StatisticsViewsHaveTheirIPv4Blocks) {
  struct Case {
    UpdateFn update;
    size_t columns;
    const wchar_t* v4;
    size_t v4Rows;
  };
  const Case cases[] = {{UpdateIpStatsView, 3, L"IPv4", 17},
                        {UpdateIcmpStatsView, 4, L"ICMPv4", 15},
                        {UpdateTcpStatsView, 3, L"TCPv4", 8},
                        {UpdateUdpStatsView, 3, L"UDPv4", 4}};
  for (const Case& c : cases) {
    list.DeleteAllRows();
    list.ClearColumns();
    BuildAndRefresh(c.update, c.columns);
    size_t v4 = 0;
    for (size_t i = 0; i < list.RowCount(); ++i) v4 += list.Row(i).caption == c.v4;
    EXPECT_EQ(v4, c.v4Rows) << ToUtf8(c.v4);
  }
  TcpStatusTexts panels;
  ASSERT_NO_THROW(TickTcpStatistics(tables, list, [&](const TcpStatusTexts& t) { panels = t; }));
  EXPECT_EQ(panels.established.rfind(L" 建立：", 0), 0u);
}

}  // namespace
}  // namespace kestro::test
