// The real IP Helper under the test's own sockets on the loopback interface.
#include <gtest/gtest.h>

#include "net/TableReader.h"
#include "win/SystemError.h"

namespace kestro {
namespace {

class Winsock {
 public:
  Winsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~Winsock() { WSACleanup(); }
};

class Socket {
 public:
  Socket(int family, int type) : s_(socket(family, type, 0)) {}
  explicit Socket(SOCKET s) : s_(s) {}
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

// Binds to the loopback address of the family on a free port; returns the port
// in network order.
u_short BindLoopback(const Socket& s, int family) {
  SOCKADDR_INET address{};
  address.si_family = static_cast<ADDRESS_FAMILY>(family);
  int length;
  if (family == AF_INET) {
    address.Ipv4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof(sockaddr_in);
  } else {
    address.Ipv6.sin6_addr = in6addr_loopback;
    length = sizeof(sockaddr_in6);
  }
  if (bind(s.get(), reinterpret_cast<sockaddr*>(&address), length) != 0) return 0;
  getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length);
  return address.Ipv4.sin_port;  // same offset for both families
}

struct Pair {
  Socket listener, client;
  std::unique_ptr<Socket> server;
  u_short listenPort = 0, clientPort = 0;
};

// A listener and a connected pair on the loopback address of the family.
bool OpenPair(int family, Pair& pair) {
  pair.listenPort = BindLoopback(pair.listener, family);
  if (pair.listenPort == 0 || listen(pair.listener.get(), 1) != 0) return false;
  SOCKADDR_INET target{};
  int length = sizeof(target);
  getsockname(pair.listener.get(), reinterpret_cast<sockaddr*>(&target), &length);
  if (connect(pair.client.get(), reinterpret_cast<sockaddr*>(&target), length) != 0) return false;
  pair.server = std::make_unique<Socket>(accept(pair.listener.get(), nullptr, nullptr));
  SOCKADDR_INET own{};
  length = sizeof(own);
  getsockname(pair.client.get(), reinterpret_cast<sockaddr*>(&own), &length);
  pair.clientPort = own.Ipv4.sin_port;
  return true;
}

template <typename Row>
std::vector<Row> Rows(const TableBuffer& buffer) {
  struct Table {
    DWORD count;
    Row rows[1];
  };
  const auto* table = buffer.As<Table>();
  if (table == nullptr) return {};
  return std::vector<Row>(table->rows, table->rows + table->count);
}

TEST(IpHelperSystem, Tcp4ListenerAndConnectedPairAppearWithTheirStates) {
  Winsock winsock;
  Pair pair{Socket(AF_INET, SOCK_STREAM), Socket(AF_INET, SOCK_STREAM)};
  ASSERT_TRUE(OpenPair(AF_INET, pair));
  SystemIpHelper api;
  TableReader reader(api);
  auto rows = Rows<MIB_TCPROW_OWNER_PID>(reader.TcpTable(AF_INET));
  const DWORD loopback = htonl(INADDR_LOOPBACK);
  bool listening = false, clientSide = false, serverSide = false;
  for (const auto& r : rows) {
    if (r.dwLocalAddr != loopback) continue;
    if (r.dwLocalPort == pair.listenPort && r.dwState == MIB_TCP_STATE_LISTEN) listening = true;
    if (r.dwLocalPort == pair.clientPort && r.dwRemotePort == pair.listenPort &&
        r.dwState == MIB_TCP_STATE_ESTAB)
      clientSide = true;
    if (r.dwLocalPort == pair.listenPort && r.dwRemotePort == pair.clientPort &&
        r.dwState == MIB_TCP_STATE_ESTAB)
      serverSide = true;
  }
  EXPECT_TRUE(listening);
  EXPECT_TRUE(clientSide);
  EXPECT_TRUE(serverSide);
  // None of them is in the other family's table.
  for (const auto& r : Rows<MIB_TCP6ROW_OWNER_PID>(reader.TcpTable(AF_INET6)))
    EXPECT_NE(r.dwLocalPort, pair.clientPort);
}

TEST(IpHelperSystem, Tcp6ConnectedPairAppearsInTheIpv6Table) {
  Winsock winsock;
  Pair pair{Socket(AF_INET6, SOCK_STREAM), Socket(AF_INET6, SOCK_STREAM)};
  if (!OpenPair(AF_INET6, pair)) GTEST_SKIP() << "no IPv6 loopback on this machine";
  SystemIpHelper api;
  TableReader reader(api);
  bool found = false;
  for (const auto& r : Rows<MIB_TCP6ROW_OWNER_PID>(reader.TcpTable(AF_INET6))) {
    if (r.dwLocalPort == pair.clientPort && r.dwRemotePort == pair.listenPort) {
      found = true;
      EXPECT_EQ(r.dwState, static_cast<DWORD>(MIB_TCP_STATE_ESTAB));
      EXPECT_EQ(memcmp(r.ucRemoteAddr, &in6addr_loopback, 16), 0);
    }
  }
  EXPECT_TRUE(found);
}

TEST(IpHelperSystem, UdpEndpointAppearsInTheUdpTable) {
  Winsock winsock;
  Socket udp(AF_INET, SOCK_DGRAM);
  u_short port = BindLoopback(udp, AF_INET);
  ASSERT_NE(port, 0);
  SystemIpHelper api;
  TableReader reader(api);
  bool found = false;
  for (const auto& r : Rows<MIB_UDPROW_OWNER_PID>(reader.UdpTable(AF_INET)))
    if (r.dwLocalPort == port && r.dwLocalAddr == htonl(INADDR_LOOPBACK)) found = true;
  EXPECT_TRUE(found);
  for (const auto& r : Rows<MIB_TCPROW_OWNER_PID>(reader.TcpTable(AF_INET)))
    EXPECT_FALSE(r.dwLocalPort == port && r.dwLocalAddr == htonl(INADDR_LOOPBACK));
}

TEST(IpHelperSystem, OtherTablesAndStatisticsAnswer) {
  SystemIpHelper api;
  TableReader reader(api);
  TableBuffer interfaces = reader.IfTable();
  ASSERT_FALSE(interfaces.empty());
  EXPECT_GE(interfaces.As<MIB_IFTABLE>()->dwNumEntries, 1u);  // loopback at least
  EXPECT_NO_THROW(reader.IpAddrTable());
  EXPECT_NO_THROW(reader.IpForwardTable());
  MIB_IPSTATS ip;
  MIB_ICMP_EX icmp;
  MIB_TCPSTATS tcp;
  MIB_UDPSTATS udp;
  EXPECT_TRUE(reader.IpStatistics(AF_INET, ip));
  EXPECT_TRUE(reader.IcmpStatistics(AF_INET, icmp));
  EXPECT_TRUE(reader.TcpStatistics(AF_INET, tcp));
  EXPECT_TRUE(reader.UdpStatistics(AF_INET, udp));
  EXPECT_NO_THROW(reader.IpStatistics(AF_INET6, ip));
  EXPECT_NO_THROW(reader.TcpStatistics(AF_INET6, tcp));
  // The newer tables are found by name in this system's iphlpapi.
  EXPECT_TRUE(api.HasIpForwardTable2());
  if (api.HasIpForwardTable2()) {
    auto routes = reader.IpForwardTable2();
    EXPECT_TRUE(routes);
  }
  EXPECT_NO_THROW(reader.IpInterfaceTable());
}

TEST(IpHelperSystem, ErrorCodesBecomeTheSystemsMessage) {
  SystemError error(ERROR_INSUFFICIENT_BUFFER);
  wchar_t expected[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 ERROR_INSUFFICIENT_BUFFER, 0, expected, 512, nullptr);
  std::wstring text = expected;
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(error.message(), text);
  EXPECT_EQ(error.code(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  // A code the system has no text for still gives a readable message.
  EXPECT_FALSE(SystemError(0x2FFFFFFF).message().empty());
}

}  // namespace
}  // namespace kestro
