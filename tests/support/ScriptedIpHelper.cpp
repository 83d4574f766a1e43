#include "support/ScriptedIpHelper.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace kestro::test {

void ScriptedIpHelper::FailCall(Call call, DWORD code, int afterCalls, bool always) {
  failures_.push_back({call, code, afterCalls, always});
}

void ScriptedIpHelper::ClearFailures() { failures_.clear(); }

DWORD ScriptedIpHelper::Enter(Call call, bool sizeQuery) {
  ++calls_[call];
  if (beforeCall) beforeCall(call, sizeQuery);
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->call != call) continue;
    if (it->countdown > 0) {
      --it->countdown;
      continue;
    }
    DWORD code = it->code;
    if (!it->always) failures_.erase(it);
    return code;
  }
  return NO_ERROR;
}

template <typename Table, typename Row>
DWORD ScriptedIpHelper::Sized(Call call, void* table, DWORD* size, const std::vector<Row>& rows) {
  if (DWORD injected = Enter(call, table == nullptr); injected != NO_ERROR) return injected;
  const DWORD needed = static_cast<DWORD>(offsetof(Table, table) + rows.size() * sizeof(Row));
  if (table == nullptr || *size < needed) {
    *size = needed;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  auto* out = static_cast<Table*>(table);
  out->dwNumEntries = static_cast<DWORD>(rows.size());
  if (!rows.empty()) std::memcpy(out->table, rows.data(), rows.size() * sizeof(Row));
  return NO_ERROR;
}

template <typename Table, typename Row>
DWORD ScriptedIpHelper::Mib(Call call, Table** table, const std::vector<Row>& rows) {
  *table = nullptr;
  if (DWORD injected = Enter(call, false); injected != NO_ERROR) return injected;
  const size_t bytes = offsetof(Table, Table) + (rows.empty() ? 1 : rows.size()) * sizeof(Row);
  auto* out = static_cast<Table*>(std::calloc(1, bytes));
  out->NumEntries = static_cast<ULONG>(rows.size());
  if (!rows.empty()) std::memcpy(out->Table, rows.data(), rows.size() * sizeof(Row));
  *table = out;
  ++liveMibTables;
  return NO_ERROR;
}

DWORD ScriptedIpHelper::GetExtendedTcpTable(void* table, DWORD* size, BOOL, ULONG family) {
  return family == AF_INET ? Sized<MIB_TCPTABLE_OWNER_PID>(kTcp4, table, size, tcp4)
                           : Sized<MIB_TCP6TABLE_OWNER_PID>(kTcp6, table, size, tcp6);
}
DWORD ScriptedIpHelper::GetExtendedUdpTable(void* table, DWORD* size, BOOL, ULONG family) {
  return family == AF_INET ? Sized<MIB_UDPTABLE_OWNER_PID>(kUdp4, table, size, udp4)
                           : Sized<MIB_UDP6TABLE_OWNER_PID>(kUdp6, table, size, udp6);
}

DWORD ScriptedIpHelper::GetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL) {
  return Sized<MIB_IFTABLE>(kIf, table, size, ifRows);
}
DWORD ScriptedIpHelper::GetIpNetTable(MIB_IPNETTABLE* table, ULONG* size, BOOL) {
  return Sized<MIB_IPNETTABLE>(kIpNet, table, size, ipNet);
}
DWORD ScriptedIpHelper::GetIpAddrTable(MIB_IPADDRTABLE* table, ULONG* size, BOOL) {
  return Sized<MIB_IPADDRTABLE>(kIpAddr, table, size, ipAddr);
}
DWORD ScriptedIpHelper::GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL) {
  return Sized<MIB_IPFORWARDTABLE>(kIpForward, table, size, ipForward);
}

DWORD ScriptedIpHelper::SetTcpEntry(MIB_TCPROW* row) {
  if (DWORD injected = Enter(kSetTcpEntry, false); injected != NO_ERROR) return injected;
  setTcpEntries.push_back(*row);
  return NO_ERROR;
}

template <typename T>
DWORD ScriptedIpHelper::Counters(Call call, const std::array<T, 2>& source, T* out, ULONG family) {
  if (DWORD injected = Enter(call, false); injected != NO_ERROR) return injected;
  *out = source[family == AF_INET ? 0 : 1];
  return NO_ERROR;
}

DWORD ScriptedIpHelper::GetIpStatisticsEx(MIB_IPSTATS* stats, ULONG family) {
  return Counters(kIpStats, ipStats, stats, family);
}
DWORD ScriptedIpHelper::GetIcmpStatisticsEx(MIB_ICMP_EX* stats, ULONG family) {
  return Counters(kIcmpStats, icmpStats, stats, family);
}
DWORD ScriptedIpHelper::GetTcpStatisticsEx(MIB_TCPSTATS* stats, ULONG family) {
  return Counters(kTcpStats, tcpStats, stats, family);
}
DWORD ScriptedIpHelper::GetUdpStatisticsEx(MIB_UDPSTATS* stats, ULONG family) {
  return Counters(kUdpStats, udpStats, stats, family);
}

DWORD ScriptedIpHelper::GetIpNetTable2(ADDRESS_FAMILY, MIB_IPNET_TABLE2** table) {
  return Mib(kIpNet2, table, ipNet2);
}
DWORD ScriptedIpHelper::GetUnicastIpAddressTable(ADDRESS_FAMILY,
                                                 MIB_UNICASTIPADDRESS_TABLE** table) {
  return Mib(kUnicast, table, unicast);
}
DWORD ScriptedIpHelper::GetIpForwardTable2(ADDRESS_FAMILY, MIB_IPFORWARD_TABLE2** table) {
  return Mib(kForward2, table, forward2);
}
DWORD ScriptedIpHelper::GetIpInterfaceTable(ADDRESS_FAMILY, MIB_IPINTERFACE_TABLE** table) {
  if (!hasInterfaceTable) {
    *table = nullptr;
    Enter(kInterface, false);
    return ERROR_NOT_SUPPORTED;
  }
  return Mib(kInterface, table, interfaces);
}

void ScriptedIpHelper::FreeMibTable(void* table) {
  if (table == nullptr) return;
  --liveMibTables;
  std::free(table);
}

namespace {
DWORD V4(const char* text) {
  IN_ADDR address{};
  inet_pton(AF_INET, text, &address);
  return address.S_un.S_addr;
}
void V6(const char* text, UCHAR* out) {
  IN6_ADDR address{};
  inet_pton(AF_INET6, text, &address);
  std::memcpy(out, &address, 16);
}
DWORD Port(unsigned port) { return htons(static_cast<u_short>(port)); }
}  // namespace

MIB_TCPROW_OWNER_PID Tcp4Row(const char* local, unsigned localPort, const char* remote,
                             unsigned remotePort, DWORD state, DWORD pid) {
  MIB_TCPROW_OWNER_PID row{};
  row.dwState = state;
  row.dwLocalAddr = V4(local);
  row.dwLocalPort = Port(localPort);
  row.dwRemoteAddr = V4(remote);
  row.dwRemotePort = Port(remotePort);
  row.dwOwningPid = pid;
  return row;
}

MIB_TCP6ROW_OWNER_PID Tcp6Row(const char* local, unsigned localPort, const char* remote,
                              unsigned remotePort, DWORD state, DWORD pid) {
  MIB_TCP6ROW_OWNER_PID row{};
  V6(local, row.ucLocalAddr);
  row.dwLocalPort = Port(localPort);
  V6(remote, row.ucRemoteAddr);
  row.dwRemotePort = Port(remotePort);
  row.dwState = state;
  row.dwOwningPid = pid;
  return row;
}

MIB_UDPROW_OWNER_PID Udp4Row(const char* local, unsigned localPort, DWORD pid) {
  MIB_UDPROW_OWNER_PID row{};
  row.dwLocalAddr = V4(local);
  row.dwLocalPort = Port(localPort);
  row.dwOwningPid = pid;
  return row;
}

MIB_UDP6ROW_OWNER_PID Udp6Row(const char* local, unsigned localPort, DWORD pid) {
  MIB_UDP6ROW_OWNER_PID row{};
  V6(local, row.ucLocalAddr);
  row.dwLocalPort = Port(localPort);
  row.dwOwningPid = pid;
  return row;
}

}  // namespace kestro::test
