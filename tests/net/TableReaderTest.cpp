#include <gtest/gtest.h>

#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "support/ScriptedIpHelper.h"
#include "win/SystemError.h"

namespace kestro {
namespace {

using test::ScriptedIpHelper;
using test::Tcp4Row;

DWORD Count(const TableBuffer& buffer) { return buffer.As<MIB_TCPTABLE_OWNER_PID>()->dwNumEntries; }

TEST(TableReader, SizesThenFetchesAndRemembersTheSize) {
  ScriptedIpHelper api;
  api.tcp4 = {Tcp4Row("127.0.0.1", 80, "127.0.0.1", 5000, kTcpEstablished),
              Tcp4Row("0.0.0.0", 445, "0.0.0.0", 0, kTcpListen)};
  TableReader reader(api);
  TableBuffer table = reader.TcpTable(AF_INET);
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(Count(table), 2u);
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kTcp4), 2);  // size query, then fetch
  // An unchanged table costs one call the next time.
  table = reader.TcpTable(AF_INET);
  EXPECT_EQ(Count(table), 2u);
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kTcp4), 3);
  // A table that shrank to nothing is still one call, and reads as zero rows.
  api.tcp4.clear();
  table = reader.TcpTable(AF_INET);
  EXPECT_EQ(Count(table), 0u);
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kTcp4), 4);
}

TEST(TableReader, TableThatGrewIsFetchedAgain) {
  ScriptedIpHelper api;
  api.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.2", 2, kTcpEstablished)};
  // Between the size query and the fetch, 50 connections appear, twice.
  int grows = 2;
  api.beforeCall = [&](ScriptedIpHelper::Call call, bool sizeQuery) {
    if (call != ScriptedIpHelper::kTcp4 || sizeQuery || grows == 0) return;
    --grows;
    for (unsigned i = 0; i < 50; ++i)
      api.tcp4.push_back(Tcp4Row("10.0.0.1", 1000 + i, "10.0.0.3", 80, kTcpEstablished));
  };
  TableReader reader(api);
  TableBuffer table = reader.TcpTable(AF_INET);
  EXPECT_EQ(Count(table), 101u);
}

TEST(TableReader, TableThatKeepsGrowingEndsWithTheSystemMessage) {
  ScriptedIpHelper api;
  api.beforeCall = [&](ScriptedIpHelper::Call, bool sizeQuery) {
    if (!sizeQuery) api.tcp4.push_back(Tcp4Row("10.0.0.1", 1, "10.0.0.2", 2, kTcpEstablished));
  };
  TableReader reader(api);
  try {
    reader.TcpTable(AF_INET);
    FAIL() << "no error raised";
  } catch (const SystemError& e) {
    EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(e.message(), SystemMessage(ERROR_INSUFFICIENT_BUFFER));
  }
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kTcp4), 1 + TableReader::kMaxFetchAttempts);
}

TEST(TableReader, SizeQueryWithoutSizeSkipsTheTable) {
  ScriptedIpHelper api;
  api.FailCall(ScriptedIpHelper::kTcp6, ERROR_NOT_SUPPORTED, 0, /*always=*/true);
  TableReader reader(api);
  EXPECT_TRUE(reader.TcpTable(AF_INET6).empty());
  EXPECT_EQ(api.CallCount(ScriptedIpHelper::kTcp6), 1);
}

TEST(TableReader, FailingFetchRaisesTheSystemMessage) {
  ScriptedIpHelper api;
  api.ifRows.resize(2);
  api.FailCall(ScriptedIpHelper::kIf, ERROR_ACCESS_DENIED, /*afterCalls=*/1);
  TableReader reader(api);
  try {
    reader.IfTable();
    FAIL() << "no error raised";
  } catch (const SystemError& e) {
    EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(e.message().empty());
    EXPECT_EQ(e.message(), SystemMessage(ERROR_ACCESS_DENIED));
  }
  // The next refresh starts afresh and succeeds.
  EXPECT_EQ(reader.IfTable().As<MIB_IFTABLE>()->dwNumEntries, 2u);
}

TEST(TableReader, RememberedSizeThatFailsFallsBackToSizing) {
  ScriptedIpHelper api;
  api.udp4 = {test::Udp4Row("0.0.0.0", 53)};
  TableReader reader(api);
  ASSERT_FALSE(reader.UdpTable(AF_INET).empty());
  // The family disappears: the remembered size must not turn that into an error.
  api.FailCall(ScriptedIpHelper::kUdp4, ERROR_NOT_SUPPORTED, 0, true);
  EXPECT_TRUE(reader.UdpTable(AF_INET).empty());
}

TEST(TableReader, NewerTablesAreFreedOnEveryPath) {
  ScriptedIpHelper api;
  api.ipNet2.resize(3);
  TableReader reader(api);
  {
    auto table = reader.IpNetTable2();
    EXPECT_EQ(table->NumEntries, 3u);
    EXPECT_EQ(api.liveMibTables, 1);
  }
  EXPECT_EQ(api.liveMibTables, 0);
  api.FailCall(ScriptedIpHelper::kForward2, ERROR_GEN_FAILURE);
  EXPECT_THROW(reader.IpForwardTable2(), SystemError);
  EXPECT_EQ(api.liveMibTables, 0);
  // Wine answers ERROR_NOT_SUPPORTED for the interface table: no metrics, no error.
  api.hasInterfaceTable = false;
  EXPECT_FALSE(reader.IpInterfaceTable());
}

TEST(TableReader, StatisticsSkipUnsupportedIpv6Only) {
  ScriptedIpHelper api;
  api.tcpStats[0].dwActiveOpens = 7;
  TableReader reader(api);
  MIB_TCPSTATS stats;
  ASSERT_TRUE(reader.TcpStatistics(AF_INET, stats));
  EXPECT_EQ(stats.dwActiveOpens, 7u);
  api.FailCall(ScriptedIpHelper::kTcpStats, ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(reader.TcpStatistics(AF_INET6, stats));
  api.FailCall(ScriptedIpHelper::kTcpStats, ERROR_NOT_SUPPORTED);
  EXPECT_THROW(reader.TcpStatistics(AF_INET, stats), SystemError);
}

TEST(TableReader, CloseTcpEntryAsksForDeleteTcb) {
  ScriptedIpHelper api;
  TableReader reader(api);
  MIB_TCPROW row{};
  row.dwState = kTcpEstablished;
  row.dwLocalPort = htons(1234);
  reader.CloseTcpEntry(row);
  ASSERT_EQ(api.setTcpEntries.size(), 1u);
  EXPECT_EQ(api.setTcpEntries[0].dwState, static_cast<DWORD>(MIB_TCP_STATE_DELETE_TCB));
  EXPECT_EQ(api.setTcpEntries[0].dwLocalPort, row.dwLocalPort);
  api.FailCall(ScriptedIpHelper::kSetTcpEntry, ERROR_ACCESS_DENIED);
  EXPECT_THROW(reader.CloseTcpEntry(row), SystemError);
}

}  // namespace
}  // namespace kestro
