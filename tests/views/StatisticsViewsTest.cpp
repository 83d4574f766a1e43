#include "ViewFixture.h"
#include "views/StatisticsViews.h"

namespace kestro::test {
namespace {

using Texts = std::vector<std::wstring>;

class StatisticsView : public ViewFixture {
 protected:
  // Cell `cell` of the row with this caption and title.
  std::wstring Value(const wchar_t* caption, const wchar_t* title, size_t cell = 1) const {
    for (size_t i = 0; i < list.RowCount(); ++i)
      if (list.Row(i).caption == caption && list.Row(i).Cell(0) == title)
        return list.Row(i).Cell(cell);
    return L"(no row)";
  }
  size_t CountRows(const wchar_t* caption) const {
    size_t count = 0;
    for (size_t i = 0; i < list.RowCount(); ++i) count += list.Row(i).caption == caption;
    return count;
  }
};

TEST_F(StatisticsView, IpViewShowsBothBlocksAndRefreshesInPlace) {
  api.ipStats[0].dwInReceives = 1234567;
  api.ipStats[0].dwFragCreates = 17;
  api.ipStats[0].dwNumRoutes = 99;  // not shown
  api.ipStats[1].dwInHdrErrors = 6;
  Run(UpdateIpStatsView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"IP Description", L"Value"}));
  ASSERT_EQ(list.RowCount(), 34u);
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"Packets Received", L"1,234,567"}));
  EXPECT_EQ(RowTexts(16), (Texts{L"IPv4", L"Fragments Created", L"17"}));
  EXPECT_EQ(RowTexts(18), (Texts{L"IPv6", L"接收的头错误", L"6"}));
  EXPECT_EQ(list.Row(0).image, 0);

  SortDescending();
  const std::vector<RowId> before = Ids();
  api.ipStats[0].dwInReceives = 1234999;
  api.ipStats[1].dwInHdrErrors = 7;
  Run(UpdateIpStatsView, false);
  EXPECT_EQ(Ids(), before);
  EXPECT_EQ(Value(L"IPv4", L"Packets Received"), L"1,234,999");
  EXPECT_EQ(Value(L"IPv6", L"接收的头错误"), L"7");
}

TEST_F(StatisticsView, IcmpViewMapsMessageTypes) {
  MIB_ICMP_EX& v4 = api.icmpStats[0];
  v4.icmpInStats.dwMsgs = 5000;
  v4.icmpOutStats.dwErrors = 2;
  v4.icmpInStats.rgdwTypeCount[10] = 10;  // router solicitation
  v4.icmpOutStats.rgdwTypeCount[9] = 9;   // router advertisement
  MIB_ICMP_EX& v6 = api.icmpStats[1];
  v6.icmpInStats.rgdwTypeCount[133] = 133;
  v6.icmpOutStats.rgdwTypeCount[134] = 134;
  v6.icmpInStats.rgdwTypeCount[138] = 138;
  Run(UpdateIcmpStatsView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"ICMP Description", L"Received", L"Sent"}));
  EXPECT_EQ(CountRows(L"ICMPv4"), 15u);
  EXPECT_EQ(CountRows(L"ICMPv6"), 17u);
  EXPECT_EQ(RowTexts(0), (Texts{L"ICMPv4", L"Messages", L"5,000", L"0"}));
  EXPECT_EQ(Value(L"ICMPv4", L"错误", 2), L"2");
  EXPECT_EQ(Value(L"ICMPv4", L"Router Solicitations"), L"10");
  EXPECT_EQ(Value(L"ICMPv4", L"Router Advertisements", 2), L"9");
  EXPECT_EQ(Value(L"ICMPv6", L"Router Solicitations"), L"133");
  EXPECT_EQ(Value(L"ICMPv6", L"Router Advertisements", 2), L"134");
  EXPECT_EQ(Value(L"ICMPv6", L"Router Renumberings"), L"138");

  v4.icmpOutStats.rgdwTypeCount[0] = 4321;  // echo replies sent
  Run(UpdateIcmpStatsView, false);
  EXPECT_EQ(Value(L"ICMPv4", L"Echo Replies", 2), L"4,321");
  EXPECT_EQ(list.RowCount(), 32u);
}

// Every view, both ends of the error path: IPv6 not installed is no error,
// any other failure ends the view with the rows made so far.
TEST_F(StatisticsView, WithoutIPv6OnlyTheIPv4BlockAndOtherErrorsEndTheView) {
  struct Case {
    void (*update)(ViewContext&, bool);
    ScriptedIpHelper::Call call;
    const wchar_t* v6;
    size_t v4Rows;
  };
  const Case cases[] = {{UpdateIpStatsView, ScriptedIpHelper::kIpStats, L"IPv6", 17},
                        {UpdateIcmpStatsView, ScriptedIpHelper::kIcmpStats, L"ICMPv6", 15},
                        {UpdateTcpStatsView, ScriptedIpHelper::kTcpStats, L"TCPv6", 8},
                        {UpdateUdpStatsView, ScriptedIpHelper::kUdpStats, L"UDPv6", 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.call);
    api.ClearFailures();
    api.FailCall(c.call, ERROR_NOT_SUPPORTED, 1);
    EXPECT_EQ(RunError(c.update, true), L"");
    EXPECT_EQ(list.RowCount(), c.v4Rows);
    EXPECT_EQ(CountRows(c.v6), 0u);

    api.FailCall(c.call, ERROR_ACCESS_DENIED, 1);
    EXPECT_EQ(RunError(c.update, true), SystemMessage(ERROR_ACCESS_DENIED));
    EXPECT_EQ(list.RowCount(), c.v4Rows);

    // IPv4 answering "not supported" is an error like any other.
    api.FailCall(c.call, ERROR_NOT_SUPPORTED, 0);
    EXPECT_EQ(RunError(c.update, true), SystemMessage(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(list.ColumnCount(), c.v4Rows == 15 ? 4u : 3u);
  }
}

TEST_F(StatisticsView, TcpAndUdpRows) {
  api.tcpStats[0] = {};
  api.tcpStats[0].dwActiveOpens = 1;
  api.tcpStats[0].dwInSegs = 123456;
  api.tcpStats[1].dwRetransSegs = 3;
  Run(UpdateTcpStatsView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"TCP Description", L"Value"}));
  EXPECT_EQ(RowTexts(0), (Texts{L"TCPv4", L"活动打开", L"1"}));
  EXPECT_EQ(RowTexts(5), (Texts{L"TCPv4", L"Segments Received", L"123,456"}));
  EXPECT_EQ(RowTexts(15), (Texts{L"TCPv6", L"Segments Retransmitted", L"3"}));

  api.udpStats[0].dwInErrors = 4;
  api.udpStats[1].dwOutDatagrams = 8;
  Run(UpdateUdpStatsView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"UDP Description", L"Value"}));
  ASSERT_EQ(list.RowCount(), 8u);
  EXPECT_EQ(RowTexts(2), (Texts{L"UDPv4", L"接收错误", L"4"}));
  EXPECT_EQ(RowTexts(7), (Texts{L"UDPv6", L"Datagrams Sent", L"8"}));
}

TEST_F(StatisticsView, TickerSetsPanelsAndUpdatesOnlyTcpRows) {
  api.tcpStats[0].dwCurrEstab = 1500;
  api.tcpStats[0].dwAttemptFails = 2500;
  api.tcpStats[0].dwInSegs = 1234567;
  api.tcpStats[0].dwOutSegs = 7654321;
  TcpStatusTexts panels;
  auto show = [&](const TcpStatusTexts& texts) { panels = texts; };

  // In another view nothing of the list changes.
  Run(UpdateUdpStatsView, true);
  const Texts udpRow = RowTexts(0);
  TickTcpStatistics(tables, list, show);
  EXPECT_EQ(panels.established, L" 建立：1,500");
  EXPECT_EQ(panels.attemptFails, L" 连接尝试：2,500");
  EXPECT_EQ(panels.segments, L" 段输入/输出：1234567 / 7654321");
  EXPECT_EQ(list.RowCount(), 8u);
  EXPECT_EQ(RowTexts(0), udpRow);

  Run(UpdateTcpStatsView, true);
  api.tcpStats[0].dwInSegs = 2000000;
  api.tcpStats[1].dwCurrEstab = 42;
  TickTcpStatistics(tables, list, show);
  EXPECT_EQ(Value(L"TCPv4", L"Segments Received"), L"2,000,000");
  EXPECT_EQ(Value(L"TCPv6", L"Current Connections"), L"42");
  EXPECT_EQ(list.RowCount(), 16u);

  // IPv6 failing after the panels: they are set, the error still ends the tick.
  panels = {};
  api.FailCall(ScriptedIpHelper::kTcpStats, ERROR_GEN_FAILURE, 1);
  EXPECT_THROW(TickTcpStatistics(tables, list, show), SystemError);
  EXPECT_EQ(panels.established, L" 建立：1,500");
  api.FailCall(ScriptedIpHelper::kTcpStats, ERROR_NOT_SUPPORTED, 1);
  EXPECT_NO_THROW(TickTcpStatistics(tables, list, show));
}

}  // namespace
}  // namespace kestro::test
