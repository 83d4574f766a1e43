#include <cstring>

#include "ViewFixture.h"
#include "views/AddressViews.h"

namespace kestro::test {
namespace {

using Texts = std::vector<std::wstring>;

MIB_IPNET_ROW2 Neighbor(SOCKADDR_INET address, NET_IFINDEX index, NL_NEIGHBOR_STATE state,
                        ULONG macLength = 6) {
  MIB_IPNET_ROW2 row{};
  row.Address = address;
  row.InterfaceIndex = index;
  row.State = state;
  row.PhysicalAddressLength = macLength;
  const UCHAR mac[6] = {0xaa, 0xbb, 0xcc, 0x00, 0x11, static_cast<UCHAR>(index)};
  std::memcpy(row.PhysicalAddress, mac, sizeof(mac));
  return row;
}

MIB_IPNETROW OldNeighbor(const char* address, DWORD index, DWORD type, BYTE lastMacByte = 1) {
  MIB_IPNETROW row{};
  row.dwAddr = Dotted(address);
  row.dwIndex = index;
  row.dwType = type;
  row.dwPhysAddrLen = 6;
  const BYTE mac[6] = {0x10, 0x20, 0x30, 0x40, 0x50, lastMacByte};
  std::memcpy(row.bPhysAddr, mac, sizeof(mac));
  return row;
}

using ArpView = ViewFixture;

TEST_F(ArpView, NewerSourceShowsBothFamilies) {
  api.ipNet2 = {Neighbor(Inet4("192.168.1.1"), 3, NlnsReachable),
                Neighbor(Inet6("fe80::1", 3), 3, NlnsStale, 0),
                Neighbor(Inet6("fe80::1", 4), 4, static_cast<NL_NEIGHBOR_STATE>(9))};
  Run(UpdateArpView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"IP Address", L"MAC Address", L"状态", L"Interface"}));
  ASSERT_EQ(list.RowCount(), 3u);
  EXPECT_EQ(RowTexts(0),
            (Texts{L"IPv4", L"192.168.1.1", L"AA-BB-CC-00-11-03", L"Reachable", L"3"}));
  // No zone in the ARP view; an unresolved neighbour has no MAC text; the same
  // link-local address on two interfaces is two rows.
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv6", L"fe80::1", L"", L"Stale", L"3"}));
  EXPECT_EQ(RowTexts(2), (Texts{L"IPv6", L"fe80::1", L"AA-BB-CC-00-11-04", L"?", L"4"}));
  EXPECT_EQ(list.Row(0).image, 0);
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(ArpView, NewerSourceRefreshChangesOnlyTheStateCellOfItsRow) {
  api.ipNet2 = {Neighbor(Inet4("10.0.0.1"), 2, NlnsStale),
                Neighbor(Inet4("10.0.0.2"), 2, NlnsStale),
                Neighbor(Inet4("10.0.0.3"), 2, NlnsReachable)};
  Run(UpdateArpView, true);
  SortDescending();  // .3, .2, .1
  const std::vector<RowId> before = Ids();

  api.ipNet2 = {Neighbor(Inet4("10.0.0.1"), 2, NlnsReachable),  // state changed
                Neighbor(Inet4("10.0.0.3"), 2, NlnsReachable),
                Neighbor(Inet4("10.0.0.9"), 2, NlnsDelay)};  // .2 vanished, .9 new
  api.ipNet2[0].PhysicalAddress[5] = 0x99;                   // ignored for a kept row
  Run(UpdateArpView, false);
  ASSERT_EQ(list.RowCount(), 3u);
  EXPECT_EQ(list.Row(0).id, before[0]);
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv4", L"10.0.0.1", L"AA-BB-CC-00-11-02", L"Reachable", L"2"}));
  EXPECT_EQ(list.Row(1).id, before[2]);
  EXPECT_EQ(RowTexts(2)[1], L"10.0.0.9");

  // The stored state follows, so a change back is seen too.
  api.ipNet2[0].State = NlnsStale;
  Run(UpdateArpView, false);
  EXPECT_EQ(RowTexts(1)[3], L"Stale");
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(ArpView, OlderSourceNamesTypesAndNeverUpdatesRows) {
  api.hasNewerTables = false;
  api.ipNet = {OldNeighbor("10.0.0.1", 2, 3), OldNeighbor("10.0.0.2", 2, 4),
               OldNeighbor("10.0.0.3", 1234, 0)};
  Run(UpdateArpView, true);
  EXPECT_EQ(list.Column(3).caption, L"Type");
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"10.0.0.1", L"10-20-30-40-50-01", L"动态", L"2"}));
  EXPECT_EQ(RowTexts(1)[3], L"静态");
  EXPECT_EQ(RowTexts(2)[3], L"?");
  EXPECT_EQ(RowTexts(2)[4], L"1,234");

  api.ipNet = {OldNeighbor("10.0.0.1", 2, 4, 0x77), OldNeighbor("10.0.0.3", 1234, 1)};
  Run(UpdateArpView, false);
  ASSERT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"10.0.0.1", L"10-20-30-40-50-01", L"动态", L"2"}));
  EXPECT_EQ(RowTexts(1)[3], L"?");
}

TEST_F(ArpView, SystemWithoutIPv6NeighboursShowsTheIPv4Ones) {
  api.ipNet2 = {Neighbor(Inet4("10.0.0.1"), 2, NlnsStale)};
  for (DWORD refusal : {ERROR_INVALID_FUNCTION, ERROR_NOT_SUPPORTED}) {
    api.FailCall(ScriptedIpHelper::kIpNet2, refusal);  // both families at once, as Wine 8
    EXPECT_EQ(RunError(UpdateArpView, true), L"");
    EXPECT_EQ(RowTexts(0)[1], L"10.0.0.1");
  }
  // The IPv4 table failing as well is an error.
  api.FailCall(ScriptedIpHelper::kIpNet2, ERROR_INVALID_FUNCTION, 0, true);
  EXPECT_EQ(RunError(UpdateArpView, true), SystemMessage(ERROR_INVALID_FUNCTION));
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(ArpView, FailingTableEndsTheRefreshAndFreesIt) {
  api.ipNet2 = {Neighbor(Inet4("10.0.0.1"), 2, NlnsStale)};
  Run(UpdateArpView, true);
  api.FailCall(ScriptedIpHelper::kIpNet2, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RunError(UpdateArpView, false), SystemMessage(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(api.liveMibTables, 0);
}

// ---- IP addresses --------------------------------------------------------

MIB_UNICASTIPADDRESS_ROW Unicast(SOCKADDR_INET address, NET_IFINDEX index, UINT8 prefix) {
  MIB_UNICASTIPADDRESS_ROW row{};
  row.Address = address;
  row.InterfaceIndex = index;
  row.OnLinkPrefixLength = prefix;
  return row;
}

MIB_IPADDRROW OldAddress(const char* address, const char* mask, DWORD index) {
  MIB_IPADDRROW row{};
  row.dwAddr = Dotted(address);
  row.dwMask = Dotted(mask);
  row.dwIndex = index;
  return row;
}

using AddressView = ViewFixture;

TEST_F(AddressView, NewerSourceShowsZonesAndMasks) {
  api.unicast = {Unicast(Inet4("127.0.0.1"), 1, 8), Unicast(Inet6("fe80::1", 11), 11, 64),
                 Unicast(Inet6("fe80::1", 12), 12, 64)};
  Run(UpdateAddressView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"IP Address", L"Netmask", L"Interface"}));
  ASSERT_EQ(list.RowCount(), 3u);
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"127.0.0.1", L"255.0.0.0", L"1"}));
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv6", L"fe80::1%11", L"", L"11"}));
  EXPECT_EQ(RowTexts(2), (Texts{L"IPv6", L"fe80::1%12", L"", L"12"}));
}

TEST_F(AddressView, NewerSourceRefreshUpdatesIPv4MasksOnly) {
  api.unicast = {Unicast(Inet4("10.1.2.3"), 2, 8), Unicast(Inet6("2001:db8::5"), 2, 64)};
  Run(UpdateAddressView, true);
  api.unicast = {Unicast(Inet6("2001:db8::5"), 2, 48), Unicast(Inet4("10.1.2.3"), 7, 24)};
  Run(UpdateAddressView, false);
  // The interface cell is made once; only the mask of an IPv4 row follows.
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"10.1.2.3", L"255.255.255.0", L"2"}));
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv6", L"2001:db8::5", L"", L"2"}));
}

TEST_F(AddressView, OlderSourceRefreshReplacesTheMaskCell) {
  api.hasNewerTables = false;
  api.ipAddr = {OldAddress("192.168.0.5", "255.255.0.0", 3),
                OldAddress("10.0.0.1", "255.0.0.0", 4)};
  Run(UpdateAddressView, true);
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"192.168.0.5", L"255.255.0.0", L"3"}));
  api.ipAddr = {OldAddress("192.168.0.5", "255.255.255.0", 3)};
  Run(UpdateAddressView, false);
  ASSERT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(RowTexts(0), (Texts{L"IPv4", L"192.168.0.5", L"255.255.255.0", L"3"}));
}

TEST_F(AddressView, OlderSourceWithoutTableEmptiesTheList) {
  api.hasNewerTables = false;
  api.ipAddr = {OldAddress("192.168.0.5", "255.255.0.0", 3)};
  Run(UpdateAddressView, true);
  api.FailCall(ScriptedIpHelper::kIpAddr, ERROR_NO_DATA, 0, true);
  Run(UpdateAddressView, false);
  EXPECT_EQ(list.RowCount(), 0u);
  // The second call's failure is an error.
  api.ClearFailures();
  api.FailCall(ScriptedIpHelper::kIpAddr, ERROR_GEN_FAILURE, 1);
  EXPECT_EQ(RunError(UpdateAddressView, true), SystemMessage(ERROR_GEN_FAILURE));
}

// ---- Routes --------------------------------------------------------------

MIB_IPFORWARD_ROW2 Route(SOCKADDR_INET prefix, UINT8 length, SOCKADDR_INET nextHop,
                         NET_IFINDEX index, ULONG metric) {
  MIB_IPFORWARD_ROW2 row{};
  row.DestinationPrefix.Prefix = prefix;
  row.DestinationPrefix.PrefixLength = length;
  row.NextHop = nextHop;
  row.InterfaceIndex = index;
  row.Metric = metric;
  return row;
}

MIB_IPINTERFACE_ROW Interface(ADDRESS_FAMILY family, NET_IFINDEX index, ULONG metric) {
  MIB_IPINTERFACE_ROW row{};
  row.Family = family;
  row.InterfaceIndex = index;
  row.Metric = metric;
  return row;
}

MIB_IPFORWARDROW OldRoute(const char* destination, const char* mask, const char* nextHop,
                          DWORD index, DWORD metric) {
  MIB_IPFORWARDROW row{};
  row.dwForwardDest = Dotted(destination);
  row.dwForwardMask = Dotted(mask);
  row.dwForwardNextHop = Dotted(nextHop);
  row.dwForwardIfIndex = index;
  row.dwForwardMetric1 = metric;
  return row;
}

class RouteView : public ViewFixture {
 protected:
  void SetUp() override {
    api.ipAddr = {OldAddress("192.168.1.10", "255.255.255.0", 2),
                  OldAddress("192.168.1.11", "255.255.255.0", 2)};
    api.interfaces = {Interface(AF_INET6, 2, 5), Interface(AF_INET, 2, 25),
                      Interface(AF_INET, 3, 4294967295u)};
  }
};

TEST_F(RouteView, NewerSourceShowsBothFamilies) {
  api.forward2 = {Route(Inet4("0.0.0.0"), 0, Inet4("192.168.1.1"), 2, 10),
                  Route(Inet4("192.168.1.0"), 24, Inet4("0.0.0.0"), 2, 256),
                  Route(Inet6("::"), 0, Inet6("fe80::1", 2), 2, 1),
                  Route(Inet4("10.0.0.0"), 8, Inet4("0.0.0.0"), 3, 2)};
  Run(UpdateRouteView, true);
  EXPECT_EQ(Captions(), (Texts{L"协议", L"Network Destination", L"Netmask", L"Gateway",
                               L"Interface", L"Metric"}));
  ASSERT_EQ(list.RowCount(), 4u);
  // The interface's first IPv4 address, and its first metric row whatever the family.
  EXPECT_EQ(RowTexts(0),
            (Texts{L"IPv4", L"0.0.0.0", L"0.0.0.0", L"192.168.1.1", L"192.168.1.10", L"15"}));
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv4", L"192.168.1.0", L"255.255.255.0", L"On-link",
                                L"192.168.1.10", L"261"}));
  EXPECT_EQ(RowTexts(2), (Texts{L"IPv6", L"::/0", L"", L"fe80::1", L"2", L"6"}));
  // No IPv4 address on the interface; the metric sum wraps at 32 bits.
  EXPECT_EQ(RowTexts(3), (Texts{L"IPv4", L"10.0.0.0", L"255.0.0.0", L"On-link", L"0.0.0.0", L"1"}));
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(RouteView, WithoutInterfaceTableTheInterfaceMetricIsZero) {
  api.hasInterfaceTable = false;  // ERROR_NOT_SUPPORTED, as Wine 8 answers
  api.forward2 = {Route(Inet4("0.0.0.0"), 0, Inet4("192.168.1.1"), 2, 10)};
  EXPECT_EQ(RunError(UpdateRouteView, true), L"");
  EXPECT_EQ(RowTexts(0)[5], L"10");
}

TEST_F(RouteView, NewerSourceRefreshUpdatesGatewayAndMetric) {
  api.forward2 = {Route(Inet4("0.0.0.0"), 0, Inet4("192.168.1.1"), 2, 10),
                  Route(Inet4("10.0.0.0"), 8, Inet4("192.168.1.1"), 2, 10),
                  Route(Inet4("10.0.0.0"), 8, Inet4("0.0.0.0"), 3, 5)};
  Run(UpdateRouteView, true);
  SortDescending();
  const std::vector<RowId> before = Ids();
  const int interfaceFetches = api.CallCount(ScriptedIpHelper::kInterface);

  api.interfaces[0].Metric = 50;  // looked up again only where the route's own metric changed
  api.forward2 = {Route(Inet4("0.0.0.0"), 0, Inet4("0.0.0.0"), 2, 10),
                  Route(Inet4("10.0.0.0"), 8, Inet4("192.168.1.1"), 2, 20),
                  Route(Inet4("10.0.0.0"), 8, Inet4("0.0.0.0"), 3, 5)};
  Run(UpdateRouteView, false);
  EXPECT_EQ(Ids(), before);
  auto row = [&](const wchar_t* destination, const wchar_t* mask) {
    for (size_t i = 0; i < list.RowCount(); ++i)
      if (list.Row(i).Cell(0) == destination && list.Row(i).Cell(1) == mask) return RowTexts(i);
    return Texts{};
  };
  EXPECT_EQ(row(L"0.0.0.0", L"0.0.0.0"),
            (Texts{L"IPv4", L"0.0.0.0", L"0.0.0.0", L"On-link", L"192.168.1.10", L"15"}));
  EXPECT_EQ(row(L"10.0.0.0", L"255.0.0.0")[5], L"70");
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kInterface), interfaceFetches + 1);
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(RouteView, FailingLookupKeepsTheRowsMadeSoFar) {
  api.forward2 = {Route(Inet4("0.0.0.0"), 0, Inet4("192.168.1.1"), 2, 10),
                  Route(Inet4("10.0.0.0"), 8, Inet4("0.0.0.0"), 2, 1)};
  api.FailCall(ScriptedIpHelper::kInterface, ERROR_ACCESS_DENIED, 1);  // the second row's
  EXPECT_EQ(RunError(UpdateRouteView, true), SystemMessage(ERROR_ACCESS_DENIED));
  ASSERT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(RowTexts(0)[1], L"0.0.0.0");
  EXPECT_EQ(api.liveMibTables, 0);

  // The address lookup's fetch fails (after the remembered size was refused).
  api.FailCall(ScriptedIpHelper::kIpAddr, ERROR_GEN_FAILURE, 0);
  api.FailCall(ScriptedIpHelper::kIpAddr, ERROR_GEN_FAILURE, 1);
  EXPECT_EQ(RunError(UpdateRouteView, true), SystemMessage(ERROR_GEN_FAILURE));
  EXPECT_EQ(list.RowCount(), 0u);
  EXPECT_EQ(api.liveMibTables, 0);
}

TEST_F(RouteView, OlderSourceShowsNextHopsAndUpdatesInPlace) {
  api.hasNewerTables = false;
  api.ipForward = {OldRoute("0.0.0.0", "0.0.0.0", "192.168.1.1", 2, 10),
                   OldRoute("192.168.1.0", "255.255.255.0", "192.168.1.10", 2, 1234),
                   OldRoute("192.168.1.0", "255.255.255.0", "10.0.0.1", 3, 1)};
  Run(UpdateRouteView, true);
  ASSERT_EQ(list.RowCount(), 3u);
  EXPECT_EQ(RowTexts(1), (Texts{L"IPv4", L"192.168.1.0", L"255.255.255.0", L"192.168.1.10",
                                L"192.168.1.10", L"1,234"}));
  EXPECT_EQ(RowTexts(2)[4], L"0.0.0.0");

  api.ipForward = {OldRoute("0.0.0.0", "0.0.0.0", "192.168.1.254", 2, 11),
                   OldRoute("192.168.1.0", "255.255.255.0", "10.0.0.1", 3, 1)};
  Run(UpdateRouteView, false);
  ASSERT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(RowTexts(0),
            (Texts{L"IPv4", L"0.0.0.0", L"0.0.0.0", L"192.168.1.254", L"192.168.1.10", L"11"}));
  EXPECT_EQ(RowTexts(1)[3], L"10.0.0.1");
}

TEST_F(RouteView, LookupsFindTheFirstMatchingRow) {
  EXPECT_EQ(InterfaceIPv4Address(tables, 2), Dotted("192.168.1.10"));
  EXPECT_EQ(InterfaceIPv4Address(tables, 9), 0u);
  EXPECT_EQ(InterfaceMetric(tables, 2), 5u);
  EXPECT_EQ(InterfaceMetric(tables, 9), 0u);
  EXPECT_EQ(api.liveMibTables, 0);
}

}  // namespace
}  // namespace kestro::test
