#pragma once
// The narrow seam between the viewer and the platform's IP Helper: the raw
// calls, with their own signatures and result codes. Production forwards to
// iphlpapi.dll; tests script tables and result codes. Sizing, retries, memory
// ownership and errors are handled once, above this seam, by TableReader.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

namespace kestro {

class IpHelperApi {
 public:
  virtual ~IpHelperApi() = default;

  virtual DWORD GetExtendedTcpTable(void* table, DWORD* size, BOOL order, ULONG family) = 0;
  virtual DWORD GetExtendedUdpTable(void* table, DWORD* size, BOOL order, ULONG family) = 0;
  virtual DWORD GetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL order) = 0;
  virtual DWORD GetIpNetTable(MIB_IPNETTABLE* table, ULONG* size, BOOL order) = 0;
  virtual DWORD GetIpAddrTable(MIB_IPADDRTABLE* table, ULONG* size, BOOL order) = 0;
  virtual DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL order) = 0;
  virtual DWORD SetTcpEntry(MIB_TCPROW* row) = 0;

  virtual DWORD GetIpStatisticsEx(MIB_IPSTATS* stats, ULONG family) = 0;
  virtual DWORD GetIcmpStatisticsEx(MIB_ICMP_EX* stats, ULONG family) = 0;
  virtual DWORD GetTcpStatisticsEx(MIB_TCPSTATS* stats, ULONG family) = 0;
  virtual DWORD GetUdpStatisticsEx(MIB_UDPSTATS* stats, ULONG family) = 0;

  // The newer tables exist only on newer systems: each is available when the
  // function was found at start-up. FreeMibTable releases what they return.
  virtual bool HasIpNetTable2() const = 0;
  virtual bool HasUnicastIpAddressTable() const = 0;
  virtual bool HasIpForwardTable2() const = 0;
  virtual DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) = 0;
  virtual DWORD GetUnicastIpAddressTable(ADDRESS_FAMILY family,
                                         MIB_UNICASTIPADDRESS_TABLE** table) = 0;
  virtual DWORD GetIpForwardTable2(ADDRESS_FAMILY family, MIB_IPFORWARD_TABLE2** table) = 0;
  virtual DWORD GetIpInterfaceTable(ADDRESS_FAMILY family, MIB_IPINTERFACE_TABLE** table) = 0;
  virtual void FreeMibTable(void* table) = 0;
};

// The real IP Helper. The older calls are linked statically; the newer ones are
// looked up by name once, in the loaded iphlpapi module, when this is created.
class SystemIpHelper final : public IpHelperApi {
 public:
  SystemIpHelper();

  DWORD GetExtendedTcpTable(void* table, DWORD* size, BOOL order, ULONG family) override;
  DWORD GetExtendedUdpTable(void* table, DWORD* size, BOOL order, ULONG family) override;
  DWORD GetIfTable(MIB_IFTABLE* table, ULONG* size, BOOL order) override;
  DWORD GetIpNetTable(MIB_IPNETTABLE* table, ULONG* size, BOOL order) override;
  DWORD GetIpAddrTable(MIB_IPADDRTABLE* table, ULONG* size, BOOL order) override;
  DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL order) override;
  DWORD SetTcpEntry(MIB_TCPROW* row) override;
  DWORD GetIpStatisticsEx(MIB_IPSTATS* stats, ULONG family) override;
  DWORD GetIcmpStatisticsEx(MIB_ICMP_EX* stats, ULONG family) override;
  DWORD GetTcpStatisticsEx(MIB_TCPSTATS* stats, ULONG family) override;
  DWORD GetUdpStatisticsEx(MIB_UDPSTATS* stats, ULONG family) override;
  bool HasIpNetTable2() const override { return getIpNetTable2_ && freeMibTable_; }
  bool HasUnicastIpAddressTable() const override {
    return getUnicastIpAddressTable_ && freeMibTable_;
  }
  bool HasIpForwardTable2() const override { return getIpForwardTable2_ && freeMibTable_; }
  DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) override;
  DWORD GetUnicastIpAddressTable(ADDRESS_FAMILY family,
                                 MIB_UNICASTIPADDRESS_TABLE** table) override;
  DWORD GetIpForwardTable2(ADDRESS_FAMILY family, MIB_IPFORWARD_TABLE2** table) override;
  DWORD GetIpInterfaceTable(ADDRESS_FAMILY family, MIB_IPINTERFACE_TABLE** table) override;
  void FreeMibTable(void* table) override;

 private:
  using GetIpNetTable2Fn = DWORD(WINAPI*)(ADDRESS_FAMILY, MIB_IPNET_TABLE2**);
  using GetUnicastIpAddressTableFn = DWORD(WINAPI*)(ADDRESS_FAMILY, MIB_UNICASTIPADDRESS_TABLE**);
  using GetIpForwardTable2Fn = DWORD(WINAPI*)(ADDRESS_FAMILY, MIB_IPFORWARD_TABLE2**);
  using GetIpInterfaceTableFn = DWORD(WINAPI*)(ADDRESS_FAMILY, MIB_IPINTERFACE_TABLE**);
  using FreeMibTableFn = void(WINAPI*)(void*);

  GetIpNetTable2Fn getIpNetTable2_ = nullptr;
  GetUnicastIpAddressTableFn getUnicastIpAddressTable_ = nullptr;
  GetIpForwardTable2Fn getIpForwardTable2_ = nullptr;
  GetIpInterfaceTableFn getIpInterfaceTable_ = nullptr;
  FreeMibTableFn freeMibTable_ = nullptr;
};

}  // namespace kestro
