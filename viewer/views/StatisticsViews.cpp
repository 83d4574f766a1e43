#include "views/StatisticsViews.h"

#include <array>
#include <vector>

#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "views/ViewRows.h"

namespace kestro {

namespace {

constexpr int kStatisticsImage = 0;

// One row of a block: the counter's title and its values (ICMP: received and sent).
struct StatisticLine {
  const wchar_t* title;
  std::vector<std::wstring> values;
};

template <typename Stats>
struct Counter {
  const wchar_t* title;
  DWORD Stats::*field;
};

template <typename Stats, size_t N>
std::vector<StatisticLine> Lines(const std::array<Counter<Stats>, N>& counters,
                                 const Stats& stats) {
  std::vector<StatisticLine> lines;
  for (const auto& counter : counters)
    lines.push_back({counter.title, {IntToStrThousands(stats.*counter.field)}});
  return lines;
}

constexpr std::array<Counter<MIB_IPSTATS>, 17> kIpCounters = {{
    {L"Packets Received", &MIB_IPSTATS::dwInReceives},
    {L"接收的头错误", &MIB_IPSTATS::dwInHdrErrors},
    {L"接收的地址错误", &MIB_IPSTATS::dwInAddrErrors},
    {L"Datagrams Forwarded", &MIB_IPSTATS::dwForwDatagrams},
    {L"未知协议接收", &MIB_IPSTATS::dwInUnknownProtos},
    {L"Received Packets Discarded", &MIB_IPSTATS::dwInDiscards},
    {L"Received Packets Delivered", &MIB_IPSTATS::dwInDelivers},
    {L"Output Requests", &MIB_IPSTATS::dwOutRequests},
    {L"Routing Discards", &MIB_IPSTATS::dwRoutingDiscards},
    {L"Discarded Output Packets", &MIB_IPSTATS::dwOutDiscards},
    {L"Output Packet No Route", &MIB_IPSTATS::dwOutNoRoutes},
    {L"Reassembly Required", &MIB_IPSTATS::dwReasmReqds},
    {L"Reassembly Successful", &MIB_IPSTATS::dwReasmOks},
    {L"Reassembly Failures", &MIB_IPSTATS::dwReasmFails},
    {L"Datagrams Successfully Fragmented", &MIB_IPSTATS::dwFragOks},
    {L"Datagrams Failing Fragmentation", &MIB_IPSTATS::dwFragFails},
    {L"Fragments Created", &MIB_IPSTATS::dwFragCreates},
}};

constexpr std::array<Counter<MIB_TCPSTATS>, 8> kTcpCounters = {{
    {L"活动打开", &MIB_TCPSTATS::dwActiveOpens},
    {L"Passive Opens", &MIB_TCPSTATS::dwPassiveOpens},
    {L"连接尝试失败", &MIB_TCPSTATS::dwAttemptFails},
    {L"Reset Connections", &MIB_TCPSTATS::dwEstabResets},
    {L"Current Connections", &MIB_TCPSTATS::dwCurrEstab},
    {L"Segments Received", &MIB_TCPSTATS::dwInSegs},
    {L"Segments Sent", &MIB_TCPSTATS::dwOutSegs},
    {L"Segments Retransmitted", &MIB_TCPSTATS::dwRetransSegs},
}};

constexpr std::array<Counter<MIB_UDPSTATS>, 4> kUdpCounters = {{
    {L"Datagrams Received", &MIB_UDPSTATS::dwInDatagrams},
    {L"No Ports", &MIB_UDPSTATS::dwNoPorts},
    {L"接收错误", &MIB_UDPSTATS::dwInErrors},
    {L"Datagrams Sent", &MIB_UDPSTATS::dwOutDatagrams},
}};

// An ICMP counter: a message type, or the message or error count.
constexpr int kIcmpMessages = -1;
constexpr int kIcmpErrors = -2;
struct IcmpCounter {
  const wchar_t* title;
  int type;
};

constexpr IcmpCounter kIcmp4Counters[] = {
    {L"Messages", kIcmpMessages},
    {L"错误", kIcmpErrors},
    {L"Destination Unreachable", 3},
    {L"Time Exceeded", 11},
    {L"Parameter Problems", 12},
    {L"Source Quenchs", 4},
    {L"Redirects", 5},
    {L"Echos", 8},
    {L"Echo Replies", 0},
    {L"Timestamps", 13},
    {L"Timestamp Replies", 14},
    {L"地址掩码", 17},
    {L"地址掩码回复", 18},
    {L"Router Solicitations", 10},
    {L"Router Advertisements", 9},
};

constexpr IcmpCounter kIcmp6Counters[] = {
    {L"Messages", kIcmpMessages},
    {L"错误", kIcmpErrors},
    {L"Destination Unreachable", 1},
    {L"Packet Too Big", 2},
    {L"Time Exceeded", 3},
    {L"Parameter Problems", 4},
    {L"Echos", 128},
    {L"Echo Replies", 129},
    {L"MLD Queries", 130},
    {L"MLD Reports", 131},
    {L"MLD Dones", 132},
    {L"Router Solicitations", 133},
    {L"Router Advertisements", 134},
    {L"Neighbor Solicitations", 135},
    {L"Neighbor Advertisements", 136},
    {L"Redirects", 137},
    {L"Router Renumberings", 138},
};

std::wstring IcmpValue(const MIBICMPSTATS_EX& stats, int type) {
  DWORD value = type == kIcmpMessages ? stats.dwMsgs
                : type == kIcmpErrors ? stats.dwErrors
                                      : stats.rgdwTypeCount[type];
  return IntToStrThousands(value);
}

template <size_t N>
std::vector<StatisticLine> IcmpLines(const IcmpCounter (&counters)[N], const MIB_ICMP_EX& stats) {
  std::vector<StatisticLine> lines;
  for (const IcmpCounter& counter : counters)
    lines.push_back({counter.title,
                     {IcmpValue(stats.icmpInStats, counter.type),
                      IcmpValue(stats.icmpOutStats, counter.type)}});
  return lines;
}

// One family's block: new rows when rebuilding, otherwise the values of the
// row with this caption and title (the first from the top) are replaced.
void ShowBlock(ListModel& list, bool rebuild, const wchar_t* label,
               const std::vector<StatisticLine>& lines) {
  const std::wstring caption = label;
  for (const StatisticLine& line : lines) {
    const std::wstring title = line.title;
    if (rebuild) {
      RowTexts texts{caption, {title}};
      texts.cells.insert(texts.cells.end(), line.values.begin(), line.values.end());
      AppendRow(list, std::move(texts), kStatisticsImage, nullptr);
    } else if (auto index = FindRow(list, caption, &title)) {
      for (size_t v = 0; v < line.values.size(); ++v) list.SetCell(*index, 1 + v, line.values[v]);
    }
  }
}

// The columns of a statistics view: protocol, description, then the values.
void AddStatisticsColumns(ListModel& list, const wchar_t* description,
                          std::initializer_list<const wchar_t*> values) {
  list.AddColumn({L"协议", 70, Align::kLeft});
  list.AddColumn({description, 210, Align::kLeft});
  for (const wchar_t* value : values) list.AddColumn({value, 130, Align::kRight});
}

// Both blocks of a view: IPv4, then IPv6 unless the system has no IPv6
// statistics. `fetch` zeroes and fills the counters of a family; `lines`
// turns them into the block of family 0 (IPv4) or 1 (IPv6).
template <typename Stats, typename Lines>
void ShowFamilies(ListModel& list, bool rebuild, TableReader& tables,
                  bool (TableReader::*fetch)(ULONG, Stats&), const wchar_t* const (&labels)[2],
                  Lines lines) {
  Stats stats;
  (tables.*fetch)(AF_INET, stats);
  ShowBlock(list, rebuild, labels[0], lines(0, stats));
  if (!(tables.*fetch)(AF_INET6, stats)) return;
  ShowBlock(list, rebuild, labels[1], lines(1, stats));
}

constexpr const wchar_t* kTcpLabels[2] = {L"TCPv4", L"TCPv6"};

}  // namespace

void UpdateIpStatsView(ViewContext& context, bool rebuild) {
  if (rebuild) AddStatisticsColumns(context.list, L"IP Description", {L"Value"});
  ShowFamilies<MIB_IPSTATS>(context.list, rebuild, context.tables, &TableReader::IpStatistics,
                            {L"IPv4", L"IPv6"},
                            [](int, const MIB_IPSTATS& s) { return Lines(kIpCounters, s); });
}

void UpdateIcmpStatsView(ViewContext& context, bool rebuild) {
  if (rebuild) AddStatisticsColumns(context.list, L"ICMP Description", {L"Received", L"Sent"});
  ShowFamilies<MIB_ICMP_EX>(context.list, rebuild, context.tables, &TableReader::IcmpStatistics,
                            {L"ICMPv4", L"ICMPv6"}, [](int family, const MIB_ICMP_EX& s) {
                              return family == 0 ? IcmpLines(kIcmp4Counters, s)
                                                 : IcmpLines(kIcmp6Counters, s);
                            });
}

void UpdateTcpStatsView(ViewContext& context, bool rebuild) {
  if (rebuild) AddStatisticsColumns(context.list, L"TCP Description", {L"Value"});
  ShowFamilies<MIB_TCPSTATS>(context.list, rebuild, context.tables, &TableReader::TcpStatistics,
                             kTcpLabels,
                             [](int, const MIB_TCPSTATS& s) { return Lines(kTcpCounters, s); });
}

void UpdateUdpStatsView(ViewContext& context, bool rebuild) {
  if (rebuild) AddStatisticsColumns(context.list, L"UDP Description", {L"Value"});
  ShowFamilies<MIB_UDPSTATS>(context.list, rebuild, context.tables, &TableReader::UdpStatistics,
                             {L"UDPv4", L"UDPv6"},
                             [](int, const MIB_UDPSTATS& s) { return Lines(kUdpCounters, s); });
}

void TickTcpStatistics(TableReader& tables, ListModel& list,
                       const std::function<void(const TcpStatusTexts&)>& showPanels) {
  ShowFamilies<MIB_TCPSTATS>(list, false, tables, &TableReader::TcpStatistics, kTcpLabels,
                             [&](int family, const MIB_TCPSTATS& s) {
                               if (family == 0)
                                 showPanels({L" 建立：" + IntToStrThousands(s.dwCurrEstab),
                                             L" 连接尝试：" + IntToStrThousands(s.dwAttemptFails),
                                             L" 段输入/输出：" + std::to_wstring(s.dwInSegs) +
                                                 L" / " + std::to_wstring(s.dwOutSegs)});
                               return Lines(kTcpCounters, s);
                             });
}

}  // namespace kestro
