#pragma once
// Every network table and counter set the views show, fetched through the IP
// Helper seam. Owns the sizing rules, the table memory and the error path:
// a failing call raises SystemError with the system's text for its code.

#include <cstdint>
#include <memory>
#include <vector>

#include "net/IpHelper.h"

namespace kestro {

// One variable-size table: a zero-filled block owned by the caller for the
// duration of one view update. Empty (no data) when the size query gave 0,
// which tells the view to skip the table.
class TableBuffer {
 public:
  TableBuffer() = default;
  explicit TableBuffer(size_t size) : bytes_(size) {}

  bool empty() const { return bytes_.empty(); }
  size_t size() const { return bytes_.size(); }
  uint8_t* data() { return bytes_.data(); }
  template <typename T>
  const T* As() const {
    return bytes_.empty() ? nullptr : reinterpret_cast<const T*>(bytes_.data());
  }

 private:
  // Kept 8-byte aligned by the allocator, as the table structures need.
  std::vector<uint8_t> bytes_;
};

// A table of the newer operations, released with FreeMibTable.
template <typename T>
class MibTable {
 public:
  MibTable() = default;
  MibTable(IpHelperApi* api, T* table) : table_(table, Deleter{api}) {}
  const T* get() const { return table_.get(); }
  const T* operator->() const { return table_.get(); }
  explicit operator bool() const { return table_ != nullptr; }

 private:
  struct Deleter {
    IpHelperApi* api;
    void operator()(T* table) const { api->FreeMibTable(table); }
  };
  std::unique_ptr<T, Deleter> table_;
};

class TableReader {
 public:
  explicit TableReader(IpHelperApi& api) : api_(api) {}

  IpHelperApi& api() { return api_; }

  // Sized tables (sorted). Empty when the size query gives 0.
  TableBuffer TcpTable(ULONG family);  // MIB_TCPTABLE_OWNER_PID / MIB_TCP6TABLE_OWNER_PID
  TableBuffer UdpTable(ULONG family);  // MIB_UDPTABLE_OWNER_PID / MIB_UDP6TABLE_OWNER_PID
  TableBuffer IfTable();               // MIB_IFTABLE
  TableBuffer IpNetTable();            // MIB_IPNETTABLE
  TableBuffer IpAddrTable();           // MIB_IPADDRTABLE
  TableBuffer IpForwardTable();        // MIB_IPFORWARDTABLE

  // Newer tables, AF_UNSPEC unless told otherwise; only when the api has them.
  MibTable<MIB_IPNET_TABLE2> IpNetTable2(ADDRESS_FAMILY family = AF_UNSPEC);
  MibTable<MIB_UNICASTIPADDRESS_TABLE> UnicastIpAddressTable();
  MibTable<MIB_IPFORWARD_TABLE2> IpForwardTable2();
  // ERROR_NOT_SUPPORTED gives an empty table (no metrics known); other errors raise.
  MibTable<MIB_IPINTERFACE_TABLE> IpInterfaceTable();

  // Protocol counters of one family. False when the family answers
  // ERROR_NOT_SUPPORTED for AF_INET6 (IPv6 not installed); other errors raise.
  bool IpStatistics(ULONG family, MIB_IPSTATS& stats);
  bool IcmpStatistics(ULONG family, MIB_ICMP_EX& stats);
  bool TcpStatistics(ULONG family, MIB_TCPSTATS& stats);
  bool UdpStatistics(ULONG family, MIB_UDPSTATS& stats);

  // Closes a TCP connection (state DELETE_TCB); raises on failure.
  void CloseTcpEntry(const MIB_TCPROW& row);

  // How often a fetch is repeated when the table grew after it was sized.
  static constexpr int kMaxFetchAttempts = 5;

 private:
  enum Kind { kTcp4, kTcp6, kUdp4, kUdp6, kIf, kIpNet, kIpAddr, kIpForward, kKindCount };
  // One IP Helper call: fills `buffer` (null for the size query), updates `size`.
  template <typename Call>
  TableBuffer FetchSized(Kind kind, Call call);
  // The older IPv4 tables share one calling pattern.
  template <typename Table>
  TableBuffer FetchOlder(Kind kind, DWORD (IpHelperApi::*call)(Table*, ULONG*, BOOL));

  IpHelperApi& api_;
  // The size each table had last time: the next fetch tries it first, so a
  // table that did not grow costs one call instead of two.
  DWORD lastSize_[kKindCount] = {};
};

}  // namespace kestro
