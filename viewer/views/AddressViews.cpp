#include "views/AddressViews.h"

#include <cstring>

#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "views/ViewRows.h"
#include "win/SystemError.h"

namespace kestro {

namespace {

constexpr int kAddressImage = 0;

const EndpointAddress& Endpoint(const SOCKADDR_INET& address) {
  return EndpointAddress::From(address);
}

std::wstring FamilyLabel(const SOCKADDR_INET& address) {
  return address.si_family == AF_INET ? L"IPv4" : L"IPv6";
}

bool SameAddress(const SOCKADDR_INET& a, const SOCKADDR_INET& b) {
  return std::memcmp(&a, &b, sizeof(SOCKADDR_INET)) == 0;
}

std::wstring Mac(const UCHAR* address, ULONG length) {
  return length != 0 ? MacAddressToStr(address) : std::wstring();
}

// ---- ARP ----------------------------------------------------------------

const wchar_t* NeighborStateName(NL_NEIGHBOR_STATE state) {
  static const wchar_t* const kNames[] = {L"Unreachable", L"Incomplete", L"Probe",    L"Delay",
                                          L"Stale",       L"Reachable",  L"Permanent"};
  return static_cast<unsigned>(state) < std::size(kNames) ? kNames[state] : L"?";
}

const wchar_t* EntryTypeName(DWORD type) {
  static const wchar_t* const kNames[] = {L"其它", L"无效", L"动态", L"静态"};
  return type >= 1 && type <= std::size(kNames) ? kNames[type - 1] : L"?";
}

// Cells after the caption: IP address, MAC address, state or type, interface.
constexpr size_t kArpStateCell = 2;

// The neighbour table of both families. A system without an IPv6 neighbour
// table (Wine 8) refuses both families at once, with ERROR_INVALID_FUNCTION
// or ERROR_NOT_SUPPORTED; the view then shows the IPv4 neighbours, as the
// statistics views leave out an IPv6 family that is not there.
MibTable<MIB_IPNET_TABLE2> NeighborTable(TableReader& tables) {
  try {
    return tables.IpNetTable2();
  } catch (const SystemError& e) {
    if (e.code() != ERROR_INVALID_FUNCTION && e.code() != ERROR_NOT_SUPPORTED) throw;
  }
  return tables.IpNetTable2(AF_INET);
}

void UpdateArpNewer(ViewContext& context, bool rebuild) {
  auto table = NeighborTable(context.tables);
  auto [rows, count] = Rows(table);
  RefreshTableRows<MIB_IPNET_ROW2>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_IPNET_ROW2& row) { return KeyBytes(row.InterfaceIndex, row.Address); },
      [&](size_t index, MIB_IPNET_ROW2& stored, const MIB_IPNET_ROW2& fresh) {
        if (stored.State == fresh.State) return;
        stored.State = fresh.State;
        context.list.SetCell(index, kArpStateCell, NeighborStateName(fresh.State));
      },
      [](const MIB_IPNET_ROW2& row) -> RowTexts {
        return {FamilyLabel(row.Address),
                {AddressToStr(Endpoint(row.Address), false),
                 Mac(row.PhysicalAddress, row.PhysicalAddressLength), NeighborStateName(row.State),
                 IntToStrThousands(row.InterfaceIndex)}};
      });
}

void UpdateArpOlder(ViewContext& context, bool rebuild) {
  TableBuffer buffer = context.tables.IpNetTable();
  auto [rows, count] = Rows<MIB_IPNETTABLE>(buffer);
  // A kept entry keeps its texts, even a changed MAC address.
  RefreshTableRows<MIB_IPNETROW>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_IPNETROW& row) { return KeyBytes(row.dwAddr); },
      [](size_t, MIB_IPNETROW&, const MIB_IPNETROW&) {},
      [](const MIB_IPNETROW& row) -> RowTexts {
        return {L"IPv4",
                {IPv4ToStr(row.dwAddr), Mac(row.bPhysAddr, row.dwPhysAddrLen),
                 EntryTypeName(row.dwType), IntToStrThousands(row.dwIndex)}};
      });
}

// ---- IP addresses ------------------------------------------------------

// Cells after the caption: IP address, netmask, interface.
constexpr size_t kAddressMaskCell = 1;

void UpdateAddressNewer(ViewContext& context, bool rebuild) {
  auto table = context.tables.UnicastIpAddressTable();
  auto [rows, count] = Rows(table);
  auto mask = [](const MIB_UNICASTIPADDRESS_ROW& row) {
    return row.Address.si_family == AF_INET ? PrefixLengthToMask(row.OnLinkPrefixLength)
                                            : std::wstring();
  };
  RefreshTableRows<MIB_UNICASTIPADDRESS_ROW>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_UNICASTIPADDRESS_ROW& row) { return KeyBytes(row.Address); },
      [&](size_t index, MIB_UNICASTIPADDRESS_ROW& stored, const MIB_UNICASTIPADDRESS_ROW& fresh) {
        if (fresh.Address.si_family != AF_INET ||
            stored.OnLinkPrefixLength == fresh.OnLinkPrefixLength)
          return;
        stored.OnLinkPrefixLength = fresh.OnLinkPrefixLength;
        context.list.SetCell(index, kAddressMaskCell, mask(fresh));
      },
      [&](const MIB_UNICASTIPADDRESS_ROW& row) -> RowTexts {
        return {FamilyLabel(row.Address),
                {AddressToStr(Endpoint(row.Address), true), mask(row),
                 IntToStrThousands(row.InterfaceIndex)}};
      });
}

void UpdateAddressOlder(ViewContext& context, bool rebuild) {
  TableBuffer buffer = context.tables.IpAddrTable();
  auto [rows, count] = Rows<MIB_IPADDRTABLE>(buffer);
  RefreshTableRows<MIB_IPADDRROW>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_IPADDRROW& row) { return KeyBytes(row.dwAddr); },
      [&](size_t index, MIB_IPADDRROW& stored, const MIB_IPADDRROW& fresh) {
        if (stored.dwMask == fresh.dwMask) return;
        stored.dwMask = fresh.dwMask;
        context.list.SetCell(index, kAddressMaskCell, IPv4ToStr(fresh.dwMask));
      },
      [](const MIB_IPADDRROW& row) -> RowTexts {
        return {L"IPv4",
                {IPv4ToStr(row.dwAddr), IPv4ToStr(row.dwMask), IntToStrThousands(row.dwIndex)}};
      });
}

// ---- Routes ------------------------------------------------------------

// Cells after the caption: destination, netmask, gateway, interface, metric.
constexpr size_t kRouteGatewayCell = 2;
constexpr size_t kRouteMetricCell = 4;

std::wstring Gateway(const MIB_IPFORWARD_ROW2& row) {
  const EndpointAddress& nextHop = Endpoint(row.NextHop);
  return IsUnspecifiedAddress(nextHop) ? L"On-link" : AddressToStr(nextHop, false);
}

// The interface's metric plus the route's, as a 32-bit sum that wraps.
std::wstring RouteMetric(TableReader& tables, const MIB_IPFORWARD_ROW2& row) {
  const uint32_t metric = InterfaceMetric(tables, row.InterfaceIndex) + row.Metric;
  return IntToStrThousands(metric);
}

RowTexts NewerRouteTexts(TableReader& tables, const MIB_IPFORWARD_ROW2& row) {
  const SOCKADDR_INET& prefix = row.DestinationPrefix.Prefix;
  const unsigned length = row.DestinationPrefix.PrefixLength;
  const bool v4 = prefix.si_family == AF_INET;
  std::wstring destination = AddressToStr(Endpoint(prefix), false);
  if (!v4) destination += L"/" + std::to_wstring(length);
  return {FamilyLabel(prefix),
          {std::move(destination), v4 ? PrefixLengthToMask(length) : std::wstring(), Gateway(row),
           v4 ? IPv4ToStr(InterfaceIPv4Address(tables, row.InterfaceIndex))
              : IntToStrThousands(row.InterfaceIndex),
           RouteMetric(tables, row)}};
}

void UpdateRouteNewer(ViewContext& context, bool rebuild) {
  auto table = context.tables.IpForwardTable2();
  auto [rows, count] = Rows(table);
  RefreshTableRows<MIB_IPFORWARD_ROW2>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_IPFORWARD_ROW2& row) {
        return KeyBytes(row.InterfaceIndex, row.DestinationPrefix);
      },
      [&](size_t index, MIB_IPFORWARD_ROW2& stored, const MIB_IPFORWARD_ROW2& fresh) {
        if (!SameAddress(stored.NextHop, fresh.NextHop)) {
          stored.NextHop = fresh.NextHop;
          context.list.SetCell(index, kRouteGatewayCell, Gateway(fresh));
        }
        if (stored.Metric != fresh.Metric) {
          stored.Metric = fresh.Metric;
          context.list.SetCell(index, kRouteMetricCell, RouteMetric(context.tables, fresh));
        }
      },
      [&](const MIB_IPFORWARD_ROW2& row) { return NewerRouteTexts(context.tables, row); });
}

void UpdateRouteOlder(ViewContext& context, bool rebuild) {
  TableBuffer buffer = context.tables.IpForwardTable();
  auto [rows, count] = Rows<MIB_IPFORWARDTABLE>(buffer);
  RefreshTableRows<MIB_IPFORWARDROW>(
      context, rebuild, rows, count, kAddressImage,
      [](const MIB_IPFORWARDROW& row) { return KeyBytes(row.dwForwardIfIndex, row.dwForwardDest); },
      [&](size_t index, MIB_IPFORWARDROW& stored, const MIB_IPFORWARDROW& fresh) {
        if (stored.dwForwardNextHop != fresh.dwForwardNextHop) {
          stored.dwForwardNextHop = fresh.dwForwardNextHop;
          context.list.SetCell(index, kRouteGatewayCell, IPv4ToStr(fresh.dwForwardNextHop));
        }
        if (stored.dwForwardMetric1 != fresh.dwForwardMetric1) {
          stored.dwForwardMetric1 = fresh.dwForwardMetric1;
          context.list.SetCell(index, kRouteMetricCell, IntToStrThousands(fresh.dwForwardMetric1));
        }
      },
      [&](const MIB_IPFORWARDROW& row) -> RowTexts {
        return {L"IPv4",
                {IPv4ToStr(row.dwForwardDest), IPv4ToStr(row.dwForwardMask),
                 IPv4ToStr(row.dwForwardNextHop),
                 IPv4ToStr(InterfaceIPv4Address(context.tables, row.dwForwardIfIndex)),
                 IntToStrThousands(row.dwForwardMetric1)}};
      });
}

}  // namespace

void UpdateArpView(ViewContext& context, bool rebuild) {
  const bool newer = context.tables.api().HasIpNetTable2();
  if (rebuild)
    AddColumns(context.list, {{L"协议", 70, Align::kLeft},
                              {L"IP Address", 150, Align::kLeft},
                              {L"MAC Address", 120, Align::kLeft},
                              {newer ? L"状态" : L"Type", 100, Align::kLeft},
                              {L"Interface", 100, Align::kRight}});
  newer ? UpdateArpNewer(context, rebuild) : UpdateArpOlder(context, rebuild);
}

void UpdateAddressView(ViewContext& context, bool rebuild) {
  if (rebuild)
    AddColumns(context.list, {{L"协议", 70, Align::kLeft},
                              {L"IP Address", 150, Align::kLeft},
                              {L"Netmask", 110, Align::kLeft},
                              {L"Interface", 100, Align::kRight}});
  context.tables.api().HasUnicastIpAddressTable() ? UpdateAddressNewer(context, rebuild)
                                                  : UpdateAddressOlder(context, rebuild);
}

void UpdateRouteView(ViewContext& context, bool rebuild) {
  if (rebuild)
    AddColumns(context.list, {{L"协议", 70, Align::kLeft},
                              {L"Network Destination", 150, Align::kLeft},
                              {L"Netmask", 110, Align::kLeft},
                              {L"Gateway", 150, Align::kLeft},
                              {L"Interface", 110, Align::kLeft},
                              {L"Metric", 60, Align::kRight}});
  context.tables.api().HasIpForwardTable2() ? UpdateRouteNewer(context, rebuild)
                                            : UpdateRouteOlder(context, rebuild);
}

uint32_t InterfaceIPv4Address(TableReader& tables, uint32_t interfaceIndex) {
  TableBuffer buffer = tables.IpAddrTable();
  auto [rows, count] = Rows<MIB_IPADDRTABLE>(buffer);
  for (DWORD r = 0; r < count; ++r)
    if (rows[r].dwIndex == interfaceIndex) return rows[r].dwAddr;
  return 0;
}

uint32_t InterfaceMetric(TableReader& tables, uint32_t interfaceIndex) {
  auto table = tables.IpInterfaceTable();
  auto [rows, count] = Rows(table);
  for (ULONG r = 0; r < count; ++r)
    if (rows[r].InterfaceIndex == interfaceIndex) return rows[r].Metric;
  return 0;
}

}  // namespace kestro
