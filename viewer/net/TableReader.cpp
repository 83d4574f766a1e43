#include "net/TableReader.h"

#include "win/SystemError.h"

namespace kestro {

template <typename Call>
TableBuffer TableReader::FetchSized(Kind kind, Call call) {
  // Fast path: last time's size. Any failure falls back to the sized pattern
  // below, so the outcome is the same as if it had never been tried.
  if (DWORD size = lastSize_[kind]; size != 0) {
    TableBuffer buffer(size);
    if (call(buffer.data(), &size) == NO_ERROR) return buffer;
  }

  // Size query (its result is ignored), then the fetch into a zero-filled
  // buffer of that size. A table that grew in between answers
  // ERROR_INSUFFICIENT_BUFFER with its new size: fetch again, a bounded
  // number of times.
  DWORD size = 0;
  call(nullptr, &size);
  lastSize_[kind] = 0;
  if (size == 0) return {};
  for (int attempt = 1;; ++attempt) {
    TableBuffer buffer(size);
    DWORD needed = size;
    DWORD result = call(buffer.data(), &needed);
    if (result == NO_ERROR) {
      lastSize_[kind] = size;
      return buffer;
    }
    if (result != ERROR_INSUFFICIENT_BUFFER || attempt == kMaxFetchAttempts || needed <= size)
      throw SystemError(result);
    // Leave some room, so that a table that keeps growing needs fewer rounds.
    size = needed + needed / 8;
  }
}

TableBuffer TableReader::TcpTable(ULONG family) {
  return FetchSized(family == AF_INET ? kTcp4 : kTcp6, [&](uint8_t* buffer, DWORD* size) {
    return api_.GetExtendedTcpTable(buffer, size, TRUE, family);
  });
}

TableBuffer TableReader::UdpTable(ULONG family) {
  return FetchSized(family == AF_INET ? kUdp4 : kUdp6, [&](uint8_t* buffer, DWORD* size) {
    return api_.GetExtendedUdpTable(buffer, size, TRUE, family);
  });
}

template <typename Table>
TableBuffer TableReader::FetchOlder(Kind kind, DWORD (IpHelperApi::*call)(Table*, ULONG*, BOOL)) {
  return FetchSized(kind, [&](uint8_t* buffer, ULONG* size) {
    return (api_.*call)(reinterpret_cast<Table*>(buffer), size, TRUE);
  });
}

TableBuffer TableReader::IfTable() { return FetchOlder(kIf, &IpHelperApi::GetIfTable); }
TableBuffer TableReader::IpNetTable() { return FetchOlder(kIpNet, &IpHelperApi::GetIpNetTable); }
TableBuffer TableReader::IpAddrTable() { return FetchOlder(kIpAddr, &IpHelperApi::GetIpAddrTable); }
TableBuffer TableReader::IpForwardTable() {
  return FetchOlder(kIpForward, &IpHelperApi::GetIpForwardTable);
}

namespace {
template <typename T, typename Call>
MibTable<T> FetchMib(IpHelperApi& api, Call call) {
  T* table = nullptr;
  DWORD result = call(&table);
  MibTable<T> owned(&api, table);  // freed on every path
  CheckResult(result);
  return owned;
}
}  // namespace

MibTable<MIB_IPNET_TABLE2> TableReader::IpNetTable2(ADDRESS_FAMILY family) {
  return FetchMib<MIB_IPNET_TABLE2>(
      api_, [&](MIB_IPNET_TABLE2** t) { return api_.GetIpNetTable2(family, t); });
}

MibTable<MIB_UNICASTIPADDRESS_TABLE> TableReader::UnicastIpAddressTable() {
  return FetchMib<MIB_UNICASTIPADDRESS_TABLE>(api_, [&](MIB_UNICASTIPADDRESS_TABLE** t) {
    return api_.GetUnicastIpAddressTable(AF_UNSPEC, t);
  });
}

MibTable<MIB_IPFORWARD_TABLE2> TableReader::IpForwardTable2() {
  return FetchMib<MIB_IPFORWARD_TABLE2>(
      api_, [&](MIB_IPFORWARD_TABLE2** t) { return api_.GetIpForwardTable2(AF_UNSPEC, t); });
}

MibTable<MIB_IPINTERFACE_TABLE> TableReader::IpInterfaceTable() {
  MIB_IPINTERFACE_TABLE* table = nullptr;
  DWORD result = api_.GetIpInterfaceTable(AF_UNSPEC, &table);
  MibTable<MIB_IPINTERFACE_TABLE> owned(&api_, table);
  if (result == ERROR_NOT_SUPPORTED) return {};
  CheckResult(result);
  return owned;
}

namespace {
// AF_INET6 answering ERROR_NOT_SUPPORTED means IPv6 is not installed.
bool CheckStatistics(DWORD result, ULONG family) {
  if (result == ERROR_NOT_SUPPORTED && family == AF_INET6) return false;
  CheckResult(result);
  return true;
}
}  // namespace

bool TableReader::IpStatistics(ULONG family, MIB_IPSTATS& stats) {
  stats = {};
  return CheckStatistics(api_.GetIpStatisticsEx(&stats, family), family);
}
bool TableReader::IcmpStatistics(ULONG family, MIB_ICMP_EX& stats) {
  stats = {};
  return CheckStatistics(api_.GetIcmpStatisticsEx(&stats, family), family);
}
bool TableReader::TcpStatistics(ULONG family, MIB_TCPSTATS& stats) {
  stats = {};
  return CheckStatistics(api_.GetTcpStatisticsEx(&stats, family), family);
}
bool TableReader::UdpStatistics(ULONG family, MIB_UDPSTATS& stats) {
  stats = {};
  return CheckStatistics(api_.GetUdpStatisticsEx(&stats, family), family);
}

void TableReader::CloseTcpEntry(const MIB_TCPROW& row) {
  MIB_TCPROW copy = row;
  copy.dwState = MIB_TCP_STATE_DELETE_TCB;
  CheckResult(api_.SetTcpEntry(&copy));
}

}  // namespace kestro
