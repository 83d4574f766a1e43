// The main window on scripted tables: commands, the list view reading the
// model, selection kept by row, sorting, colours and flags on screen, the
// column chooser, the status bar and the error box.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>

#include "net/NameService.h"
#include "net/NetUtils.h"
#include "process/ProcessInfo.h"
#include "support/FakeProcesses.h"
#include "support/GeoIPFile.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/ColumnChooser.h"
#include "win/Handle.h"
#include "win/SystemError.h"

namespace kestro::test {
namespace {

using ui::MainWindow;

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ui::SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
    form.connections().view().SetCountryDatabase([this] { return database; });
    form.Create();
    // The tests refresh by command; the refresh timer would add refreshes of its own.
    form.command(ui::kCmdAutoRefresh).checked = false;
    form.UpdateCommandStates();
    chooser.Create(form.hwnd());
    form.listCommands().SetColumnChooser(&chooser);
    pump.SetAccelerators(form.hwnd(), form.accelerators());
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
    pump.RunPending();
  }
  ~MainWindowTest() override {
    ui::SetErrorBoxSink(nullptr);
    DeleteFileW(database.c_str());
  }

  void Execute(UINT command) {
    SendMessageW(form.hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  HWND ListView() const { return form.listView().hwnd(); }
  int ItemCount() const { return ListView_GetItemCount(ListView()); }
  std::wstring ItemText(int item, int column) const {
    wchar_t text[512] = {};
    ListView_GetItemText(ListView(), item, column, text, 512);
    return text;
  }
  int ColumnWidth(int column) const { return ListView_GetColumnWidth(ListView(), column); }
  int SelectedItem() const { return ListView_GetNextItem(ListView(), -1, LVNI_SELECTED); }
  // The colour on screen inside a cell, past its text.
  COLORREF CellPixel(int item, int column, int fromRight = 3) {
    RECT cell{};
    ListView_GetSubItemRect(ListView(), item, column, LVIR_BOUNDS, &cell);
    RECT client;
    GetClientRect(ListView(), &client);
    HDC screen = GetDC(ListView());
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(ListView(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    COLORREF colour = GetPixel(memory, cell.right - fromRight, (cell.top + cell.bottom) / 2);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(ListView(), screen);
    return colour;
  }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  std::shared_ptr<ScriptedNameService> names = std::make_shared<ScriptedNameService>(L"thishost");
  ui::MessagePump pump;
  MainWindow form{{ip, processes, names}, pump};
  ui::ColumnChooser chooser{form.list()};
  std::wstring database = WriteTinyCountryDatabase();
  std::vector<std::wstring> errors;
};

TEST_F(MainWindowTest, StartsWithTheCommandsTimerAndStatusBarOfTheDesign) {
  wchar_t caption[64] = {};
  GetWindowTextW(form.hwnd(), caption, 64);
  EXPECT_STREQ(caption, L"Kestro");
  EXPECT_FALSE(form.viewActions().RefreshTimerRunning());  // switched off by the fixture
  EXPECT_EQ(form.viewActions().Interval(), 1000u);
  EXPECT_EQ(SendMessageW(form.statusBar().hwnd(), SB_GETPARTS, 0, 0), 4);

  ACCEL table[64];
  const int count = CopyAcceleratorTableW(form.accelerators(), table, 64);
  auto shortcutOf = [&](UINT id) {
    for (int i = 0; i < count; ++i)
      if (table[i].cmd == id)
        return ui::CommandTable::ShortcutText(
            {static_cast<BYTE>(table[i].fVirt & ~FVIRTKEY), table[i].key});
    return std::wstring();
  };
  EXPECT_EQ(shortcutOf(ui::kCmdRefresh), L"F5");
  EXPECT_EQ(shortcutOf(ui::kCmdAutoRefresh), L"Ctrl+R");
  EXPECT_EQ(shortcutOf(ui::kCmdAllEndpoints), L"Ctrl+A");
  EXPECT_EQ(shortcutOf(ui::kCmdByName), L"Ctrl+M");
  EXPECT_EQ(shortcutOf(ui::ViewCommandId(kViewConnections)), L"Alt+4");
  for (int i = 0; i < count; ++i) EXPECT_TRUE(table[i].fVirt & FVIRTKEY);

  // Ctrl+R starts and stops the timer at the next idle update of the commands.
  Execute(ui::kCmdAutoRefresh);
  form.UpdateCommandStates();
  EXPECT_TRUE(form.viewActions().RefreshTimerRunning());
  Execute(ui::kCmdAutoRefresh);
  form.UpdateCommandStates();
  EXPECT_FALSE(form.viewActions().RefreshTimerRunning());
}

TEST_F(MainWindowTest, RefreshShowsTheConnectionViewInTheListAndReadyInTheStatusBar) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished, 7)};
  form.viewState().CurrentView = kViewConnections;
  Execute(ui::kCmdRefresh);
  ASSERT_EQ(ItemCount(), 1);
  EXPECT_EQ(ItemText(0, 0), L"proc7.exe");
  EXPECT_EQ(ItemText(0, 1), L"10.0.0.1 :1025");
  EXPECT_EQ(ItemText(0, 5), L"中国");
  EXPECT_EQ(ColumnWidth(11), 0);
  EXPECT_EQ(form.StatusText(), L"准备好了");
}

TEST_F(MainWindowTest, SelectionStaysOnItsRowWhenRowsBeforeItGoAndAfterSorting) {
  for (unsigned port = 1; port <= 4; ++port)
    ip.tcp4.push_back(Tcp4Row("10.0.0.1", port, "10.0.0.9", 80, kTcpEstablished));
  Execute(ui::kCmdRefresh);
  ListView_SetItemState(ListView(), 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ASSERT_EQ(ItemText(SelectedItem(), 1), L"10.0.0.1 :3");

  ip.tcp4.erase(ip.tcp4.begin());  // the first row vanishes
  Execute(ui::kCmdRefresh);
  EXPECT_EQ(ItemCount(), 3);
  EXPECT_EQ(SelectedItem(), 1);
  EXPECT_EQ(ItemText(SelectedItem(), 1), L"10.0.0.1 :3");

  // A click on the local address header sorts descending the first time.
  NMLISTVIEW click{{ListView(), 1, LVN_COLUMNCLICK}, -1, 1};
  SendMessageW(form.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(ItemText(0, 1), L"10.0.0.1 :4");
  EXPECT_EQ(ItemText(SelectedItem(), 1), L"10.0.0.1 :3");
  EXPECT_EQ(ListView_GetNextItem(ListView(), -1, LVNI_FOCUSED), SelectedItem());
}

TEST_F(MainWindowTest, StateCellsAreColouredAndTheCountryCellShowsItsFlag) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "200.0.0.9", 80, kTcpTimeWait),
             Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished)};
  Execute(ui::kCmdRefresh);
  UpdateWindow(ListView());
  EXPECT_EQ(CellPixel(0, 3), RGB(255, 106, 106));
  EXPECT_EQ(CellPixel(1, 3), RGB(204, 255, 204));
  const COLORREF normal = form.listView().NormalBackground();
  EXPECT_EQ(CellPixel(0, 4), normal);
  // The country cell: the flag at its left edge, not the background.
  RECT cell{};
  ListView_GetSubItemRect(ListView(), 0, 5, LVIR_BOUNDS, &cell);
  EXPECT_NE(CellPixel(0, 5, cell.right - cell.left - 8), normal);

  Execute(ui::kCmdStateColor);  // SateColor1 off: the normal background
  EXPECT_EQ(CellPixel(0, 3), normal);
}

TEST_F(MainWindowTest, TheColumnChooserHidesAndShowsColumnsAndKeepsItsBoxes) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished)};
  Execute(ui::kCmdRefresh);
  Execute(ui::kCmdChooseColumns);
  EXPECT_TRUE(IsWindowVisible(chooser.hwnd()));
  EXPECT_TRUE(GetWindowLongW(chooser.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowEnabled(chooser.Box(11)));

  HWND country = chooser.Box(5);
  SendMessageW(country, BM_CLICK, 0, 0);
  pump.RunPending();
  EXPECT_EQ(ColumnWidth(5), 0);
  SendMessageW(country, BM_CLICK, 0, 0);
  pump.RunPending();
  EXPECT_EQ(ColumnWidth(5), 113);
  SendMessageW(chooser.Box(3), BM_CLICK, 0, 0);
  SendMessageW(chooser.Box(3), BM_CLICK, 0, 0);
  pump.RunPending();
  EXPECT_EQ(ColumnWidth(3), 100);  // created 87 wide, 100 when its box is checked again

  // A rebuilt view brings the default widths back; the box stays unchecked.
  SendMessageW(country, BM_CLICK, 0, 0);
  Execute(ui::ViewCommandId(kViewTcp));
  Execute(ui::ViewCommandId(kViewConnections));
  EXPECT_EQ(ColumnWidth(5), 113);
  EXPECT_EQ(SendMessageW(country, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  SendMessageW(chooser.OkButton(), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(chooser.hwnd()));
}

TEST_F(MainWindowTest, RefreshRequestsDuringAnUpdateAreDropped) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "10.0.0.9", 80, kTcpEstablished)};
  Execute(ui::kCmdRefresh);
  const int before = ip.CallCount(ScriptedIpHelper::kTcp6);
  // F5 and the all-endpoints toggle wait in the queue; the update lets them
  // run when it shows its status text, and they find it busy.
  PostMessageW(form.hwnd(), WM_COMMAND, ui::kCmdRefresh, 0);
  PostMessageW(form.hwnd(), WM_COMMAND, ui::kCmdAllEndpoints, 0);
  ip.beforeCall = [&](ScriptedIpHelper::Call, bool) { EXPECT_EQ(form.StatusText(), L"更新中..."); };
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 2, "10.0.0.9", 80, kTcpEstablished));
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 3, "10.0.0.9", 80, kTcpEstablished));
  Execute(ui::kCmdRefresh);
  EXPECT_EQ(ip.CallCount(ScriptedIpHelper::kTcp6), before + 1);  // one refresh only
  EXPECT_FALSE(form.command(ui::kCmdAllEndpoints).checked);
  EXPECT_EQ(ItemCount(), 3);
  EXPECT_EQ(form.StatusText(), L"准备好了");
}

TEST_F(MainWindowTest, ATableErrorReachesTheErrorBoxAndTheWindowStaysReady) {
  // The fetch at last time's size and the fetch after the size query fail.
  ip.FailCall(ScriptedIpHelper::kTcp4, ERROR_NOT_ENOUGH_MEMORY, 0);
  ip.FailCall(ScriptedIpHelper::kTcp4, ERROR_NOT_ENOUGH_MEMORY, 1);
  Execute(ui::kCmdRefresh);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], ui::ErrorBoxText(SystemMessage(ERROR_NOT_ENOUGH_MEMORY)));
  EXPECT_EQ(ui::ErrorBoxText(L"拒绝访问"), L"拒绝访问.");
  EXPECT_EQ(ui::ErrorBoxText(L"Done."), L"Done.");
  EXPECT_TRUE(form.viewState().Ready);
  EXPECT_EQ(form.StatusText(), L"准备好了");
}

TEST_F(MainWindowTest, NameAndAllEndpointToggleRefreshAtOnce) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 80, kTcpEstablished),
             Tcp4Row("0.0.0.0", 135, "0.0.0.0", 0, kTcpListen)};
  Execute(ui::kCmdRefresh);
  ASSERT_EQ(ItemCount(), 1);
  Execute(ui::kCmdByName);
  EXPECT_TRUE(form.command(ui::kCmdByName).checked);
  EXPECT_EQ(ItemText(0, 1), L"thishost :1025");  // kept row, address cells rebuilt
  EXPECT_FALSE(form.viewState().ReResolve);
  Execute(ui::kCmdAllEndpoints);
  EXPECT_EQ(ItemCount(), 2);
  EXPECT_EQ(ItemText(1, 2), L"thishost :0");  // a listening socket's remote side

  // Both are enabled only while the connection view is shown.
  Execute(ui::ViewCommandId(kViewTcp));
  form.UpdateCommandStates();
  EXPECT_FALSE(form.command(ui::kCmdByName).enabled);
  EXPECT_FALSE(form.command(ui::kCmdAllEndpoints).enabled);
  EXPECT_TRUE(form.command(ui::ViewCommandId(kViewTcp)).checked);
}

TEST_F(MainWindowTest, CloseConnectionActsOnlyOnAnEstablishedTcp4Row) {
  form.command(ui::kCmdAllEndpoints).checked = true;
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "200.1.2.3", 443, kTcpEstablished, 7),
             Tcp4Row("10.0.0.1", 2, "200.1.2.3", 443, kTcpTimeWait, 7)};
  ip.tcp6 = {Tcp6Row("2001:db8::1", 3, "2001:db8::2", 443, kTcpEstablished, 7)};
  ip.udp4 = {Udp4Row("10.0.0.1", 53, 7)};
  Execute(ui::kCmdRefresh);
  ASSERT_EQ(ItemCount(), 4);
  auto select = [&](int item) {
    ListView_SetItemState(ListView(), item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    pump.RunPending();
    form.UpdateCommandStates();
    return form.command(ui::kCmdCloseConnection).enabled;
  };
  EXPECT_FALSE(select(1));  // TIME_WAIT
  EXPECT_FALSE(select(2));  // TCPv6
  EXPECT_FALSE(select(3));  // UDP
  // Ctrl+K on a row it cannot close does nothing, whatever the idle update said.
  form.command(ui::kCmdCloseConnection).enabled = true;
  Execute(ui::kCmdCloseConnection);
  EXPECT_TRUE(ip.setTcpEntries.empty());

  // A refusal shows the system's text and keeps the row.
  ASSERT_TRUE(select(0));
  ip.FailCall(ScriptedIpHelper::kSetTcpEntry, ERROR_ACCESS_DENIED);
  Execute(ui::kCmdCloseConnection);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(SystemMessage(ERROR_ACCESS_DENIED)), std::wstring::npos);
  EXPECT_EQ(ItemCount(), 4);

  // The next refresh writes the table's state back; then the close succeeds.
  Execute(ui::kCmdRefresh);
  ASSERT_TRUE(select(0));
  Execute(ui::kCmdCloseConnection);
  ASSERT_EQ(ip.setTcpEntries.size(), 1u);
  const MIB_TCPROW& closed = ip.setTcpEntries[0];
  EXPECT_EQ(closed.dwState, static_cast<DWORD>(MIB_TCP_STATE_DELETE_TCB));
  EXPECT_EQ(closed.dwLocalPort, ip.tcp4[0].dwLocalPort);
  EXPECT_EQ(closed.dwRemoteAddr, ip.tcp4[0].dwRemoteAddr);
  EXPECT_EQ(ItemCount(), 3);
  EXPECT_EQ(ItemText(0, 1), L"10.0.0.1 :2");

  // Only in the connection view.
  Execute(ui::ViewCommandId(kViewNic));
  form.UpdateCommandStates();
  EXPECT_FALSE(form.command(ui::kCmdCloseConnection).enabled);
}

TEST_F(MainWindowTest, GridLinesFollowTheirMenuCheck) {
  auto gridLines = [&] {
    return (ListView_GetExtendedListViewStyle(ListView()) & LVS_EX_GRIDLINES) != 0;
  };
  EXPECT_FALSE(gridLines());
  Execute(ui::kCmdShowGridLines);
  EXPECT_TRUE(gridLines());
  EXPECT_TRUE(form.command(ui::kCmdShowGridLines).checked);
  Execute(ui::kCmdShowGridLines);
  EXPECT_FALSE(gridLines());
}

}  // namespace
}  // namespace kestro::test

namespace kestro::test {
namespace {

// The real platform: the window lists a connection this test holds open on
// the loopback address, both of its ends.
void CloseSocket(SOCKET socket) { closesocket(socket); }
SOCKET InvalidSocket() { return INVALID_SOCKET; }
using UniqueSocket = UniqueHandle<SOCKET, CloseSocket, InvalidSocket>;

unsigned PortOf(SOCKET socket) {
  sockaddr_in address{};
  int length = sizeof address;
  getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

TEST(MainWindowOnThisMachine, ListsAConnectionHeldOpenOnLoopback) {
  WSADATA winsock;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &winsock), 0);
  UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener.get(), 1), 0);
  address.sin_port = htons(static_cast<u_short>(PortOf(listener.get())));
  UniqueSocket client(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  ASSERT_EQ(connect(client.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  UniqueSocket server(accept(listener.get(), nullptr, nullptr));
  ASSERT_TRUE(server);
  const std::wstring serverEnd = L"127.0.0.1 :" + std::to_wstring(PortOf(server.get()));
  const std::wstring clientEnd = L"127.0.0.1 :" + std::to_wstring(PortOf(client.get()));

  std::vector<std::wstring> errors;
  ui::SetErrorBoxSink([&](HWND, const std::wstring& text) { errors.push_back(text); });
  {
    SystemIpHelper ip;
    SystemProcessDetails processes;
    ui::MessagePump pump;
    ui::MainWindow form({ip, processes, std::make_shared<WinsockNameService>()}, pump);
    form.Create();
    EXPECT_TRUE(form.viewActions().RefreshTimerRunning());  // automatic refresh is on by default
    SendMessageW(form.hwnd(), WM_COMMAND, ui::kCmdRefresh, 0);
    EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
    // Each end of the connection is a row: local and remote address, state, protocol.
    HWND list = form.listView().hwnd();
    auto text = [&](int item, int column) {
      wchar_t cell[512] = {};
      ListView_GetItemText(list, item, column, cell, 512);
      return std::wstring(cell);
    };
    for (const auto& [local, remote] : {std::pair{clientEnd, serverEnd}, {serverEnd, clientEnd}}) {
      SCOPED_TRACE(testing::Message() << "local end " << testing::PrintToString(local));
      int found = -1;
      for (int item = 0; item < ListView_GetItemCount(list); ++item)
        if (text(item, 1) == local && text(item, 2) == remote) found = item;
      ASSERT_GE(found, 0);
      EXPECT_EQ(text(found, 3), TcpStateNames(kTcpEstablished));
      EXPECT_EQ(text(found, 4), L"TCPv4");
    }
  }
  ui::SetErrorBoxSink(nullptr);
  WSACleanup();
}

}  // namespace
}  // namespace kestro::test
