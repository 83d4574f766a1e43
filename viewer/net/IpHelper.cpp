#include "net/IpHelper.h"

namespace kestro {

namespace {
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}
}  // namespace

SystemIpHelper::SystemIpHelper() {
  // iphlpapi.dll is loaded already: the older calls are linked statically.
  HMODULE module = GetModuleHandleW(L"iphlpapi.dll");
  getIpNetTable2_ = Lookup<GetIpNetTable2Fn>(module, "GetIpNetTable2");
  getUnicastIpAddressTable_ =
      Lookup<GetUnicastIpAddressTableFn>(module, "GetUnicastIpAddressTable");
  getIpForwardTable2_ = Lookup<GetIpForwardTable2Fn>(module, "GetIpForwardTable2");
  getIpInterfaceTable_ = Lookup<GetIpInterfaceTableFn>(module, "GetIpInterfaceTable");
  freeMibTable_ = Lookup<FreeMibTableFn>(module, "FreeMibTable");
}

DWORD SystemIpHelper::GetExtendedTcpTable(void* table, DWORD* size, BOOL order, ULONG family) {
  return ::GetExtendedTcpTable(table, size, order, family, TCP_TABLE_OWNER_PID_ALL, 0);
}
DWORD SystemIpHelper::GetExtendedUdpTable(void* table, DWORD* size, BOOL order, ULONG family) {
  return ::GetExtendedUdpTable(table, size, order, family, UDP_TABLE_OWNER_PID, 0);
}
DWORD SystemIpHelper::GetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL order) {
  return ::GetIfTable(table, size, order);
}
DWORD SystemIpHelper::GetIpNetTable(MIB_IPNETTABLE* table, ULONG* size, BOOL order) {
  return ::GetIpNetTable(table, size, order);
}
DWORD SystemIpHelper::GetIpAddrTable(MIB_IPADDRTABLE* table, ULONG* size, BOOL order) {
  return ::GetIpAddrTable(table, size, order);
}
DWORD SystemIpHelper::GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL order) {
  return ::GetIpForwardTable(table, size, order);
}
DWORD SystemIpHelper::SetTcpEntry(MIB_TCPROW* row) { return ::SetTcpEntry(row); }
DWORD SystemIpHelper::GetIpStatisticsEx(MIB_IPSTATS* stats, ULONG family) {
  return ::GetIpStatisticsEx(stats, family);
}
DWORD SystemIpHelper::GetIcmpStatisticsEx(MIB_ICMP_EX* stats, ULONG family) {
  return ::GetIcmpStatisticsEx(stats, family);
}
DWORD SystemIpHelper::GetTcpStatisticsEx(MIB_TCPSTATS* stats, ULONG family) {
  return ::GetTcpStatisticsEx(stats, family);
}
DWORD SystemIpHelper::GetUdpStatisticsEx(MIB_UDPSTATS* stats, ULONG family) {
  return ::GetUdpStatisticsEx(stats, family);
}
DWORD SystemIpHelper::GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) {
  return getIpNetTable2_ ? getIpNetTable2_(family, table) : ERROR_NOT_SUPPORTED;
}
DWORD SystemIpHelper::GetUnicastIpAddressTable(ADDRESS_FAMILY family,
                                               MIB_UNICASTIPADDRESS_TABLE** table) {
  return getUnicastIpAddressTable_ ? getUnicastIpAddressTable_(family, table) : ERROR_NOT_SUPPORTED;
}
DWORD SystemIpHelper::GetIpForwardTable2(ADDRESS_FAMILY family, MIB_IPFORWARD_TABLE2** table) {
  return getIpForwardTable2_ ? getIpForwardTable2_(family, table) : ERROR_NOT_SUPPORTED;
}
DWORD SystemIpHelper::GetIpInterfaceTable(ADDRESS_FAMILY family, MIB_IPINTERFACE_TABLE** table) {
  return getIpInterfaceTable_ ? getIpInterfaceTable_(family, table) : ERROR_NOT_SUPPORTED;
}
void SystemIpHelper::FreeMibTable(void* table) {
  if (table && freeMibTable_) freeMibTable_(table);
}

}  // namespace kestro
