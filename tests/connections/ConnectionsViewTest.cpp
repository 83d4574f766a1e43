// The connection view's refresh: columns, new rows, kept rows, vanished rows,
// the purge, UDP and IPv6 rows, notifications, errors and concurrent deletions.
#include <algorithm>

#include "ConnectionsFixture.h"
#include "net/NetUtils.h"
#include "win/SystemError.h"

namespace kestro::test {
namespace {

TEST_F(ConnectionsTest, RebuildCreatesTheColumnsAndEveryCellOfATcpRow) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished, 7)};
  Switch();

  const std::vector<std::pair<std::wstring, int>> columns = {
      {L"进程", 120},     {L"本地地址", 150}, {L"远程地址", 150}, {L"状态", 87},
      {L"协议", 70},      {L"国家", 113},     {L"进程路径", 320}, {L"产品名称", 200},
      {L"公司名称", 200}, {L"文件说明", 200}, {L"文件版本", 70},  {L"", 0}};
  ASSERT_EQ(list.ColumnCount(), columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_EQ(list.Column(i).caption, columns[i].first);
    EXPECT_EQ(list.Column(i).width, columns[i].second);
  }

  ASSERT_EQ(list.RowCount(), 1u);
  const ListRow& row = list.Row(0);
  EXPECT_EQ(row.caption, L"proc7.exe");
  const std::vector<std::wstring> cells = {L"10.0.0.1 :1025",
                                           L"200.1.2.3 :443",
                                           TcpStateNames(kTcpEstablished),
                                           L"TCPv4",
                                           L"中国",
                                           L"C:\\p7\\proc7.exe",
                                           L"product C:\\p7\\proc7.exe",
                                           L"company C:\\p7\\proc7.exe",
                                           L"description C:\\p7\\proc7.exe",
                                           L"1.0",
                                           L"200.1.2.3"};
  EXPECT_EQ(row.cells, cells);
  EXPECT_EQ(row.CellImage(kCellCountry), 45);  // the flag of "cn"
  EXPECT_EQ(row.image, static_cast<int>(std::wstring(L"C:\\image7.exe").size()));
  EXPECT_EQ(Record(0).endpoint.tcp4.dwOwningPid, 7u);
  EXPECT_EQ(Record(0).State(), static_cast<DWORD>(kTcpEstablished));
  EXPECT_EQ(events.statusTexts, (std::vector<std::wstring>{L"更新中...", L"准备好了"}));
}

TEST_F(ConnectionsTest, NewTcpRowsAreAnnouncedInTheirOrderAndKeptRowsAreNot) {
  options.sound = options.balloon = true;  // auto-scroll is on by default
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "10.9.9.9", 80, kTcpEstablished, 3)};
  ip.tcp6 = {Tcp6Row("fe80::1", 2000, "2001:db8::5", 25, kTcpSynSent, 3)};
  Switch();
  EXPECT_EQ(events.log, (std::vector<std::wstring>{L"activity", L"sound", L"scroll",
                                                   L"balloon TCv4建立连接", L"activity",
                                                   L"balloon TCPv6建立连接", L"sound", L"scroll"}));
  EXPECT_EQ(events.balloonTexts[0],
            L"远程IP：10.9.9.9 端口：80\r进程名称：proc3.exe 国家：本地主机");

  events.log.clear();
  Switch();
  Switch();
  EXPECT_TRUE(events.log.empty());
  ASSERT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(Column(kCellProtocol), (std::vector<std::wstring>{L"TCPv4", L"TCPv6"}));
  EXPECT_EQ(list.Row(1).Cell(kCellRemote), L"[2001:db8::5] :25");
  EXPECT_EQ(list.Row(1).CellImage(kCellCountry), 240);  // IPv6: local host square
}

TEST_F(ConnectionsTest, KeptRowsKeepIdentityPositionAndOwnerAndTakeTheNewState) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "10.9.9.9", 80, kTcpEstablished, 3),
             Tcp4Row("10.0.0.1", 1026, "10.9.9.9", 80, kTcpEstablished, 3)};
  Switch();
  const RowId first = list.Row(0).id, second = list.Row(1).id;

  // The second moves to TIME_WAIT; the first's owner changes, its key does not.
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1026, "10.9.9.9", 80, kTcpTimeWait, 3),
             Tcp4Row("10.0.0.1", 1025, "10.9.9.9", 80, kTcpEstablished, 9)};
  Switch();
  ASSERT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(list.Row(0).id, first);
  EXPECT_EQ(list.Row(1).id, second);
  EXPECT_EQ(list.Row(0).caption, L"proc3.exe");
  EXPECT_EQ(Record(0).endpoint.tcp4.dwOwningPid, 3u);
  EXPECT_EQ(list.Row(1).Cell(kCellState), TcpStateNames(kTcpTimeWait));
  EXPECT_EQ(Record(1).State(), static_cast<DWORD>(kTcpTimeWait));
  EXPECT_EQ(StateCellBackground(list.Row(1), 3), RGB(255, 106, 106));
}

TEST_F(ConnectionsTest, VanishedRowsOfEveryKindGoAndASkippedTableLeavesItsRows) {
  options.allEndpoints = true;
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished)};
  ip.tcp6 = {Tcp6Row("::1", 3, "::1", 80, kTcpEstablished)};
  ip.udp4 = {Udp4Row("0.0.0.0", 53), Udp4Row("0.0.0.0", 54)};
  ip.udp6 = {Udp6Row("::", 55)};
  Switch();
  ASSERT_EQ(list.RowCount(), 6u);

  ip.tcp4 = {Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished)};
  ip.tcp6.clear();  // an empty table: every TCPv6 row goes
  ip.udp4 = {Udp4Row("0.0.0.0", 54)};
  ip.udp6.clear();
  ip.FailCall(ScriptedIpHelper::kUdp6, ERROR_NOT_SUPPORTED, 0, true);  // no size: kept
  Switch();
  EXPECT_EQ(Column(kCellLocal),
            (std::vector<std::wstring>{L"10.0.0.1 :2", L"0.0.0.0 :54", L"[::] :55"}));
}

TEST_F(ConnectionsTest, HiddenEndpointsAreFilteredAndPurgedAtOnce) {
  ip.tcp4 = {Tcp4Row("0.0.0.0", 80, "0.0.0.0", 0, kTcpListen),
             Tcp4Row("10.0.0.1", 5, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 6, "10.0.0.9", 80, kTcpClosed)};
  ip.udp4 = {Udp4Row("0.0.0.0", 53)};
  Switch();
  EXPECT_EQ(Column(kCellLocal), (std::vector<std::wstring>{L"10.0.0.1 :5"}));

  options.allEndpoints = true;
  events.log.clear();
  Switch();
  EXPECT_EQ(list.RowCount(), 4u);
  EXPECT_EQ(events.Count(L"activity"), 3);  // the listening, closed and UDP rows are new
  EXPECT_EQ(list.Row(1).Cell(kCellRemote), L"0.0.0.0 :0");

  // Switching back purges before the tables are even read.
  options.allEndpoints = false;
  ip.FailCall(ScriptedIpHelper::kTcp4, ERROR_ACCESS_DENIED, 0, true);
  ip.FailCall(ScriptedIpHelper::kTcp6, ERROR_ACCESS_DENIED, 0, true);
  Switch();
  EXPECT_EQ(Column(kCellLocal), (std::vector<std::wstring>{L"10.0.0.1 :5"}));
}

TEST_F(ConnectionsTest, UdpRowsHaveTenCellsNoStateNoRemoteAndNoSoundOrBalloon) {
  options.allEndpoints = options.sound = options.balloon = true;
  ip.udp4 = {Udp4Row("127.0.0.1", 137, 4)};
  ip.udp6 = {Udp6Row("::1", 138, 4)};
  Switch();
  ASSERT_EQ(list.RowCount(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(list.Row(i).cells.size(), 10u);
    EXPECT_EQ(list.Row(i).Cell(kCellRemote), L"*:*");
    EXPECT_EQ(list.Row(i).Cell(kCellState), L"");
    EXPECT_EQ(list.Row(i).Cell(kCellCountry), L"本地主机");
    EXPECT_EQ(StateCellBackground(list.Row(i), 3), std::nullopt);
  }
  EXPECT_EQ(Column(kCellProtocol), (std::vector<std::wstring>{L"UDPv4", L"UDPv6"}));
  // UDPv4 takes the image path's icon, UDPv6 the process path's.
  EXPECT_EQ(list.Row(0).image, static_cast<int>(std::wstring(L"C:\\image4.exe").size()));
  EXPECT_EQ(list.Row(1).image, static_cast<int>(std::wstring(L"C:\\p4\\proc4.exe").size()));
  EXPECT_EQ(events.log,
            (std::vector<std::wstring>{L"activity", L"scroll", L"activity", L"scroll"}));
}

TEST_F(ConnectionsTest, ProcessDetailsAreAskedOncePerOwnerInARefresh) {
  for (unsigned port = 1; port <= 50; ++port)
    ip.tcp4.push_back(Tcp4Row("10.0.0.1", port, "10.0.0.9", 80, kTcpEstablished, 5));
  Switch();
  EXPECT_EQ(list.RowCount(), 50u);
  EXPECT_EQ(processes.calls, 5);  // snapshot, image path, module path, details, icon
  EXPECT_EQ(list.Row(49).caption, L"proc5.exe");
}

TEST_F(ConnectionsTest, ANewRowOfAReusedPidShowsTheNewProgramAndTheOldRowKeepsItsOwn) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished, 5)};
  Switch();
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished, 5));
  Switch();  // the same process: nothing looked up again but the image path and icon
  EXPECT_EQ(processes.modulePaths, 1);
  EXPECT_EQ(processes.snapshots, 2);
  processes.programs[5] = L"other";
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 3, "10.0.0.9", 80, kTcpEstablished, 5));
  Switch();
  ASSERT_EQ(list.RowCount(), 3u);
  for (size_t row : {0u, 1u}) {
    EXPECT_EQ(list.Row(row).caption, L"proc5.exe");
    EXPECT_EQ(list.Row(row).Cell(kCellPath), L"C:\\p5\\proc5.exe");
  }
  EXPECT_EQ(list.Row(2).caption, L"other.exe");
  EXPECT_EQ(list.Row(2).Cell(kCellPath), L"C:\\other\\other.exe");
  EXPECT_EQ(list.Row(2).Cell(kCellProduct), L"product C:\\other\\other.exe");
  EXPECT_EQ(list.Row(2).image, static_cast<int>(std::wstring(L"C:\\other.exe").size()));
  EXPECT_EQ(processes.modulePaths, 2);
}

TEST_F(ConnectionsTest, ATableErrorEndsTheRefreshAndTheSwitchRestoresItsState) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished)};
  ip.tcp6 = {Tcp6Row("::1", 2, "::1", 80, kTcpEstablished)};
  ip.FailCall(ScriptedIpHelper::kTcp6, ERROR_ACCESS_DENIED, 1);  // the fetch after the size
  state.ReResolve = true;
  try {
    Switch();
    FAIL() << "no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.code(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  EXPECT_TRUE(state.Ready);
  EXPECT_FALSE(state.ReResolve);
  EXPECT_EQ(state.CurrentView, kViewConnections);
  EXPECT_EQ(events.statusTexts.back(), L"准备好了");
  EXPECT_EQ(Column(kCellProtocol), (std::vector<std::wstring>{L"TCPv4"}));

  // The next refresh starts afresh and completes.
  Switch();
  EXPECT_EQ(Column(kCellProtocol), (std::vector<std::wstring>{L"TCPv4", L"TCPv6"}));
}

TEST_F(ConnectionsTest, ARowWhoseCountryCannotBeLookedUpDoesNotStay) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished)};
  Switch();
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished));
  const std::wstring missing = database + L".missing";
  view.SetCountryDatabase([&] { return missing; });
  try {
    Switch();
    FAIL() << "no error";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.message().rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u);
  }
  ASSERT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(list.Row(0).Cell(kCellLocal), L"10.0.0.1 :1");
  EXPECT_EQ(events.Count(L"activity"), 1);
}

TEST_F(ConnectionsTest, RowsTheUserDeletesWhileMessagesRunDoNotUpsetTheRefresh) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 3, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 4, "10.0.0.9", 80, kTcpEstablished)};
  Switch();
  // Port 2 vanishes, port 5 is new; while the refresh lets messages run, the
  // user closes port 3 after the first table row and port 4 during the vanish walk.
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 3, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 5, "10.0.0.9", 80, kTcpEstablished)};
  auto deletePort = [&](const std::wstring& cell) {
    for (size_t i = 0; i < list.RowCount(); ++i)
      if (list.Row(i).Cell(kCellLocal) == cell) return list.DeleteRow(i);
  };
  const int start = events.pumps;
  events.onPump = [&](int pump) {
    if (pump == start + 2) deletePort(L"10.0.0.1 :3");  // after the first table row
    if (pump == start + 5) deletePort(L"10.0.0.1 :4");  // in the vanish walk
  };
  Switch();
  // Port 3 came back as a new row; port 2 vanished; port 4 is gone by the user.
  EXPECT_EQ(Column(kCellLocal),
            (std::vector<std::wstring>{L"10.0.0.1 :1", L"10.0.0.1 :3", L"10.0.0.1 :5"}));
  for (size_t i = 0; i < list.RowCount(); ++i) EXPECT_NE(list.Row(i).record, nullptr);
}

TEST_F(ConnectionsTest, NameDisplayRebuildsKeptAddressCellsAndShowsResolvedNames) {
  names->Script(L"10.0.0.9", {0, L"far.example"});
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 25, kTcpEstablished)};
  Switch();
  EXPECT_EQ(list.Row(0).Cell(kCellLocal), L"10.0.0.1 :1025");

  options.byName = true;
  state.ReResolve = true;
  Switch();
  EXPECT_EQ(list.Row(0).Cell(kCellLocal), L"thishost :1025");
  EXPECT_EQ(list.Row(0).Cell(kCellRemote), L"10.0.0.9 :smtp");  // the lookup runs meanwhile
  EXPECT_EQ(list.Row(0).Cell(kCellRemoteHost), L"10.0.0.9");    // cell 10 is not rebuilt

  for (int i = 0; i < 500 && Record(0).lookup.name.empty(); ++i) {
    resolver.DeliverPending();
    Sleep(10);
  }
  EXPECT_EQ(Record(0).lookup.name, L"far.example");
  EXPECT_FALSE(Record(0).lookup.Running());
  EXPECT_EQ(list.Row(0).Cell(kCellRemote), L"far.example:smtp");
}

TEST_F(ConnectionsTest, ADeletedRowsLookupIsStoppedAndTouchesNoOtherRow) {
  // Each row's remote host has a name of its own, so that an answer delivered
  // to the wrong row would show. Both lookups wait in the service until the
  // first row is gone.
  options.byName = true;
  names->Script(L"10.0.0.8", {0, L"gone.example"});
  names->Script(L"10.0.0.9", {0, L"far.example"});
  names->Hold();
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.8", 80, kTcpEstablished),
             Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished)};
  Switch();
  ASSERT_TRUE(names->WaitForReverseCalls(2, 5000));
  ASSERT_TRUE(Record(0).lookup.Running());
  list.DeleteRow(0);
  names->Release();
  ASSERT_TRUE(WaitForLookupThreads(5000));
  resolver.DeliverPending();

  ASSERT_EQ(list.RowCount(), 1u);
  EXPECT_EQ(list.Row(0).Cell(kCellLocal), L"thishost :2");
  EXPECT_EQ(list.Row(0).Cell(kCellRemote), L"far.example:http");
  EXPECT_EQ(Record(0).lookup.name, L"far.example");
  EXPECT_FALSE(Record(0).lookup.Running());
  EXPECT_EQ(list.Row(0).caption.find(L"gone.example"), std::wstring::npos);
  for (const std::wstring& cell : list.Row(0).cells)
    EXPECT_EQ(cell.find(L"gone.example"), std::wstring::npos) << testing::PrintToString(cell);
}

}  // namespace
}  // namespace kestro::test
