#pragma once
// IP Helper with tables given as data, for the view tests: every call answers
// like the real one (sizing, sort order as given, result codes), and a result
// code can be injected at any call.

#include <array>
#include <functional>
#include <vector>

#include "net/IpHelper.h"

namespace kestro::test {

class ScriptedIpHelper : public IpHelperApi {
 public:
  enum Call {
    kTcp4,
    kTcp6,
    kUdp4,
    kUdp6,
    kIf,
    kIpNet,
    kIpAddr,
    kIpForward,
    kSetTcpEntry,
    kIpStats,
    kIcmpStats,
    kTcpStats,
    kUdpStats,
    kIpNet2,
    kUnicast,
    kForward2,
    kInterface,
    kCallCount
  };

  // The tables, in the order the calls hand them out.
  std::vector<MIB_TCPROW_OWNER_PID> tcp4;
  std::vector<MIB_TCP6ROW_OWNER_PID> tcp6;
  std::vector<MIB_UDPROW_OWNER_PID> udp4;
  std::vector<MIB_UDP6ROW_OWNER_PID> udp6;
  std::vector<MIB_IFROW> ifRows;
  std::vector<MIB_IPNETROW> ipNet;
  std::vector<MIB_IPADDRROW> ipAddr;
  std::vector<MIB_IPFORWARDROW> ipForward;
  std::vector<MIB_IPNET_ROW2> ipNet2;
  std::vector<MIB_UNICASTIPADDRESS_ROW> unicast;
  std::vector<MIB_IPFORWARD_ROW2> forward2;
  std::vector<MIB_IPINTERFACE_ROW> interfaces;

  // Counters per family: index 0 AF_INET, 1 AF_INET6.
  std::array<MIB_IPSTATS, 2> ipStats{};
  std::array<MIB_ICMP_EX, 2> icmpStats{};
  std::array<MIB_TCPSTATS, 2> tcpStats{};
  std::array<MIB_UDPSTATS, 2> udpStats{};

  bool hasNewerTables = true;
  bool hasInterfaceTable = true;  // false: ERROR_NOT_SUPPORTED, as Wine 8 answers

  // Injected result codes: the call answers `code` instead of its table, at
  // its Nth call from now on (0: the next one), once or every time.
  void FailCall(Call call, DWORD code, int afterCalls = 0, bool always = false);
  void ClearFailures();
  // Runs before every call; `sizeQuery` is set for a sized call without buffer.
  std::function<void(Call call, bool sizeQuery)> beforeCall;

  int CallCount(Call call) const { return calls_[call]; }
  // Rows handed to SetTcpEntry.
  std::vector<MIB_TCPROW> setTcpEntries;
  // Tables of the newer calls not yet given back to FreeMibTable.
  int liveMibTables = 0;

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
  bool HasIpNetTable2() const override { return hasNewerTables; }
  bool HasUnicastIpAddressTable() const override { return hasNewerTables; }
  bool HasIpForwardTable2() const override { return hasNewerTables; }
  DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) override;
  DWORD GetUnicastIpAddressTable(ADDRESS_FAMILY family,
                                 MIB_UNICASTIPADDRESS_TABLE** table) override;
  DWORD GetIpForwardTable2(ADDRESS_FAMILY family, MIB_IPFORWARD_TABLE2** table) override;
  DWORD GetIpInterfaceTable(ADDRESS_FAMILY family, MIB_IPINTERFACE_TABLE** table) override;
  void FreeMibTable(void* table) override;

 private:
  struct Failure {
    Call call;
    DWORD code;
    int countdown;
    bool always;
  };
  // Counts the call and answers an injected code, or NO_ERROR to go on.
  DWORD Enter(Call call, bool sizeQuery);
  template <typename Table, typename Row>
  DWORD Sized(Call call, void* table, DWORD* size, const std::vector<Row>& rows);
  template <typename Table, typename Row>
  DWORD Mib(Call call, Table** table, const std::vector<Row>& rows);
  template <typename T>
  DWORD Counters(Call call, const std::array<T, 2>& source, T* out, ULONG family);

  std::array<int, kCallCount> calls_{};
  std::vector<Failure> failures_;
};

// Row builders for the common cases (addresses as dotted text, ports in host order).
MIB_TCPROW_OWNER_PID Tcp4Row(const char* local, unsigned localPort, const char* remote,
                             unsigned remotePort, DWORD state, DWORD pid = 0);
MIB_TCP6ROW_OWNER_PID Tcp6Row(const char* local, unsigned localPort, const char* remote,
                              unsigned remotePort, DWORD state, DWORD pid = 0);
MIB_UDPROW_OWNER_PID Udp4Row(const char* local, unsigned localPort, DWORD pid = 0);
MIB_UDP6ROW_OWNER_PID Udp6Row(const char* local, unsigned localPort, DWORD pid = 0);

}  // namespace kestro::test
