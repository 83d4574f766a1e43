// The lookups of a row's remote address in the real windows: the WHOIS window
// against WHOIS peers on 127.0.0.1 named in its server box, and the
// geolocation window, which in the test prefix (no HTML engine) hands the page
// to the stand-in default browser.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/GeoLocationPage.h"
#include "net/NetUtils.h"
#include "net/Whois.h"
#include "support/FakeProcesses.h"
#include "support/MessageLoop.h"
#include "support/OpenedUrls.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "support/WhoisPeer.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/WhoisWindow.h"
#include "ui/windows/GeoLocationWindow.h"
#include "views/ConnectionsView.h"
#include "win/Dpi.h"
#include "win/Text.h"

namespace kestro::test {
namespace {

using ui::MainWindow;

// Short enough for a test to wait them out.
constexpr WhoisTimeouts kTestTimeouts = {2'000, 1'500};
constexpr DWORD kWait = 10'000;

std::wstring TextOf(HWND window) {
  wchar_t text[4096] = {};
  GetWindowTextW(window, text, 4096);
  return text;
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

bool IsTopmost(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST; }

// The window's centre is the work area's.
void ExpectCentredOnTheDesktop(HWND window) {
  RECT area{}, frame{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(window, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, (area.left + area.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (area.top + area.bottom) / 2, 1);
}

void ExpectTahoma8Gb2312(HWND window) {
  LOGFONTW font{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font,
                       &font),
            0);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
}

class LookupWindowsTest : public testing::Test {
 protected:
  LookupWindowsTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ui::SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
    form.Create();
    form.command(ui::kCmdAutoRefresh).checked = false;
    form.UpdateCommandStates();
    // In the order of the program's start.
    form.lookups().CreateWhoisWindow(kTestTimeouts);
    form.lookups().CreateGeoLocationWindow();
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
    pump.RunPending();
  }
  ~LookupWindowsTest() override { ui::SetErrorBoxSink(nullptr); }

  ui::WhoisWindow& whois() { return form.lookups().whoisWindow(); }
  ui::GeoLocationWindow& geo() { return form.lookups().geoLocationWindow(); }
  HWND ListView() const { return form.listView().hwnd(); }

  void Execute(UINT command) {
    SendMessageW(form.hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  // The connection view with these tables, and row `item` selected and focused.
  void ShowRowsAndSelect(int item) {
    form.viewState().CurrentView = kViewConnections;
    Execute(ui::kCmdRefresh);
    Select(item);
  }
  void Select(int item) {
    ListView_SetItemState(ListView(), item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    pump.RunPending();
  }
  // The close box: the dialog turns it into a posted IDCANCEL.
  void Close(HWND window) {
    SendMessageW(window, WM_CLOSE, 0, 0);
    pump.RunPending();
  }
  // As the user pastes a server over the box's text: one change of the text.
  void TypeServer(const std::wstring& server) {
    COMBOBOXINFO info{sizeof info};
    GetComboBoxInfo(whois().ServerBox(), &info);
    SendMessageW(info.hwndItem, EM_SETSEL, 0, -1);
    SendMessageW(info.hwndItem, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(server.c_str()));
    pump.RunPending();
  }
  // As the user picks an entry of the box's list.
  void PickServer(int index) {
    SendMessageW(whois().ServerBox(), CB_SETCURSEL, index, 0);
    SendMessageW(whois().hwnd(), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(whois().ServerBox()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(whois().ServerBox()));
    pump.RunPending();
  }
  std::wstring Memo() { return TextOf(whois().AnswerBox()); }
  bool WaitForMemo(const std::wstring& text) {
    return PumpUntil([&] { return Memo() == text; }, kWait);
  }
  bool WaitForError() {
    return PumpUntil([&] { return !errors.empty(); }, kWait);
  }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  std::shared_ptr<ScriptedNameService> names = std::make_shared<ScriptedNameService>(L"thishost");
  ui::MessagePump pump;
  MainWindow form{{ip, processes, names}, pump};
  std::vector<std::wstring> errors;
};

TEST_F(LookupWindowsTest, TheWhoisWindowIsMadeHiddenTopmostAndCentredWithItsLayout) {
  HWND window = whois().hwnd();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IsTopmost(window));
  EXPECT_EQ(TextOf(window), L"");
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, ScaleFromDesign(433));
  EXPECT_EQ(client.cy, ScaleFromDesign(424));
  ExpectCentredOnTheDesktop(window);
  ExpectTahoma8Gb2312(whois().AnswerBox());

  // The memo fills all but the 23-pixel strip at the bottom, where the box is.
  RECT memo{}, box{};
  GetWindowRect(whois().AnswerBox(), &memo);
  GetWindowRect(whois().ServerBox(), &box);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&memo), 2);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(memo.left, 0);
  EXPECT_EQ(memo.top, 0);
  EXPECT_EQ(memo.right, client.cx);
  EXPECT_EQ(memo.bottom, ScaleFromDesign(401));
  EXPECT_TRUE(GetWindowLongW(whois().AnswerBox(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(GetWindowLongW(whois().AnswerBox(), GWL_STYLE) & ES_MULTILINE);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, client.cx);
  EXPECT_GE(box.top, memo.bottom);
  EXPECT_LE(box.bottom, client.cy);

  // An editable box with the American and the European registry; the European one shown.
  EXPECT_EQ(GetWindowLongW(whois().ServerBox(), GWL_STYLE) & 3, CBS_DROPDOWN);
  ASSERT_EQ(SendMessageW(whois().ServerBox(), CB_GETCOUNT, 0, 0), 2);
  wchar_t entry[64] = {};
  SendMessageW(whois().ServerBox(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, L"whois.arin.net");
  SendMessageW(whois().ServerBox(), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, L"whois.ripe.net");
  EXPECT_EQ(TextOf(whois().ServerBox()), L"whois.ripe.net");
  EXPECT_FALSE(GetWindowLongW(whois().AddressBox(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(LookupWindowsTest, TheGeolocationWindowIsMadeHiddenTopmostAndCentredWithItsSize) {
  HWND window = geo().hwnd();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IsTopmost(window));
  EXPECT_EQ(TextOf(window), L"地理IP工具");
  EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, ScaleFromDesign(807));
  EXPECT_EQ(client.cy, ScaleFromDesign(556));
  ExpectCentredOnTheDesktop(window);
  ExpectTahoma8Gb2312(geo().Notice());
  EXPECT_EQ(geo().PageAddress(), L"about:blank");
  // The test prefix has no HTML engine: the notice stands where the page would.
  EXPECT_FALSE(geo().HasBrowser());
  EXPECT_TRUE(GetWindowLongW(geo().Notice(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(LookupWindowsTest, TheOptionsMenuListsBothLookupsBetweenSeparators) {
  HMENU options = GetSubMenu(GetMenu(form.hwnd()), 2);
  std::vector<std::wstring> items;
  for (int i = 0; i < GetMenuItemCount(options); ++i) {
    wchar_t caption[64] = {};
    GetMenuStringW(options, i, caption, 64, MF_BYPOSITION);
    items.emplace_back(caption);
  }
  auto byName = std::find_if(items.begin(), items.end(), [](const std::wstring& item) {
    return item.starts_with(L"解析地址");
  });
  ASSERT_GE(std::distance(byName, items.end()), 6);
  EXPECT_EQ(
      std::vector<std::wstring>(byName + 1, byName + 6),
      (std::vector<std::wstring>{L"", L"域名和IP信息", L"地理IP工具", L"", L"自动刷新\tCtrl+R"}));
}

// A multi-line answer with a line of code page 936 text.
const std::string kRegistryAnswer =
    "% This is the RIPE Database query service.\r\n\r\ninetnum:        200.1.2.0 - "
    "200.1.2.255\r\nnetname:        EXAMPLE-NET\r\ndescr:          \xd6\xd0\xb9\xfa\r\n";
const std::wstring kRegistryAnswerShown =
    L"% This is the RIPE Database query service.\r\n\r\ninetnum:        200.1.2.0 - "
    L"200.1.2.255\r\nnetname:        EXAMPLE-NET\r\ndescr:          中国\r\n";

std::vector<std::string> InPiecesOf(const std::string& text, size_t size) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < text.size(); at += size) pieces.push_back(text.substr(at, size));
  return pieces;
}

struct AnswerCase {
  const char* name;
  PeerScript script;
  std::wstring memo;  // as AnswerBox holds it
  int lines;
};

const AnswerCase kAnswerCases[] = {
    {"OnePiece", {{kRegistryAnswer}}, kRegistryAnswerShown, 6},
    {"PiecesOfThreeBytes", {InPiecesOf(kRegistryAnswer, 3), 5}, kRegistryAnswerShown, 6},
    {"BareLineFeeds", {{"first\nsecond\n\nlast"}}, L"first\r\nsecond\r\n\r\nlast", 4},
};

class LookupAnswerTest : public LookupWindowsTest,
                         public testing::WithParamInterface<AnswerCase> {};

TEST_P(LookupAnswerTest, SendsTheTrimmedAddressAndShowsTheAnswerAsItCame) {
  WhoisPeer peer(GetParam().script);
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  // The remote-address text with blanks: the caption keeps them, the query does not.
  form.list().SetCell(0, kCellRemoteHost, L" 200.1.2.3 ");
  TypeServer(peer.Server());

  Execute(ui::kCmdWhois);
  EXPECT_TRUE(IsWindowVisible(whois().hwnd()));
  EXPECT_EQ(TextOf(whois().hwnd()), L"Whois IP -  200.1.2.3 ");
  EXPECT_EQ(TextOf(whois().AddressBox()), L" 200.1.2.3 ");
  ASSERT_TRUE(peer.WaitForQueries(1, kWait));
  EXPECT_EQ(peer.Queries(), std::vector<std::string>{"200.1.2.3\r\n"});
  EXPECT_TRUE(WaitForMemo(GetParam().memo)) << ToUtf8(Memo());
  EXPECT_EQ(SendMessageW(whois().AnswerBox(), EM_GETLINECOUNT, 0, 0), GetParam().lines);
  EXPECT_TRUE(errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, LookupAnswerTest, testing::ValuesIn(kAnswerCases),
                         [](const testing::TestParamInfo<AnswerCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(LookupWindowsTest, ANewLookupClearsTheMemoFirstSoThatAFailureLeavesItEmpty) {
  WhoisPeer answering({{"inetnum: 200.1.2.0 - 200.1.2.255\r\n"}});
  WhoisPeer closingAtOnce({});
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  auto answerFirst = [&] {
    TypeServer(answering.Server());
    Execute(ui::kCmdWhois);
    return WaitForMemo(L"inetnum: 200.1.2.0 - 200.1.2.255\r\n");
  };

  // A server that closes without a word: an empty answer, no error.
  ASSERT_TRUE(answerFirst());
  TypeServer(closingAtOnce.Server());
  ASSERT_TRUE(WaitForMemo(L""));  // the re-query's empty answer
  Execute(ui::kCmdWhois);
  ASSERT_TRUE(closingAtOnce.WaitForQueries(2, kWait));
  Pump(300);
  EXPECT_EQ(Memo(), L"");
  EXPECT_TRUE(errors.empty());

  // A server that cannot be reached: the system's text in the error box.
  ASSERT_TRUE(answerFirst());
  errors.clear();
  TypeServer(L"127.0.0.1:" + std::to_wstring(UnusedPort()));
  ASSERT_TRUE(WaitForError());
  errors.clear();
  Execute(ui::kCmdWhois);
  EXPECT_EQ(Memo(), L"");  // cleared before the query
  ASSERT_TRUE(WaitForError());
  EXPECT_NE(errors[0], ui::ErrorBoxText(kWhoisNoAnswer));
  EXPECT_EQ(Memo(), L"");
}

TEST_F(LookupWindowsTest, ASilentServerEndsInTheTimeOutWhileTheMainWindowGoesOn) {
  WhoisPeer silent({{}, 0, PeerScript::End::Hold});
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  TypeServer(silent.Server());

  const ULONGLONG started = GetTickCount64();
  Execute(ui::kCmdWhois);
  ASSERT_TRUE(silent.WaitForQueries(1, kWait));
  // The query waits off this thread: the command has returned, the answer's
  // time is not up, and the main window refreshes meanwhile.
  ASSERT_LT(GetTickCount64() - started, kTestTimeouts.answerMs);
  EXPECT_TRUE(errors.empty());
  ip.tcp4.push_back(Tcp4Row("10.0.0.1", 1026, "200.1.2.4", 443, kTcpEstablished));
  PostMessageW(form.hwnd(), WM_COMMAND, ui::kCmdRefresh, 0);
  EXPECT_TRUE(PumpUntil([&] { return ListView_GetItemCount(ListView()) == 2; }, kWait));
  EXPECT_TRUE(errors.empty());

  ASSERT_TRUE(WaitForError());
  EXPECT_EQ(errors, std::vector<std::wstring>{ui::ErrorBoxText(kWhoisNoAnswer)});
  EXPECT_EQ(Memo(), L"");
  // The connection does not outlive the query.
  EXPECT_TRUE(silent.WaitForClientCloses(1, kWait));
}

TEST_F(LookupWindowsTest, AServerChangeQueriesTheKeptAddressAndAFailureKeepsTheAnswer) {
  WhoisPeer first({{"first answer\r\n"}});
  WhoisPeer second({{"second answer\r\n"}});
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished),
             Tcp4Row("10.0.0.1", 1026, "200.9.9.9", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  TypeServer(first.Server());
  Execute(ui::kCmdWhois);
  ASSERT_TRUE(WaitForMemo(L"first answer\r\n"));
  Select(1);  // the kept address is the lookup's, not the selection's

  // Typing a server queries it for the kept address; the list is not touched.
  TypeServer(second.Server());
  ASSERT_TRUE(WaitForMemo(L"second answer\r\n"));
  ASSERT_EQ(second.Queries().size(), 1u);
  EXPECT_EQ(second.Queries()[0], "200.1.2.3\r\n");
  EXPECT_EQ(TextOf(whois().hwnd()), L"Whois IP - 200.1.2.3");
  EXPECT_EQ(ListView_GetNextItem(ListView(), -1, LVNI_SELECTED), 1);

  // Picking an entry queries the entry's server, not the text the box had.
  SendMessageW(whois().ServerBox(), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(first.Server().c_str()));
  PickServer(2);
  ASSERT_TRUE(WaitForMemo(L"first answer\r\n"));
  EXPECT_EQ(first.Queries().back(), "200.1.2.3\r\n");
  EXPECT_EQ(second.Queries().size(), 1u);

  // A failing re-query shows its error and keeps the answer.
  TypeServer(L"127.0.0.1:" + std::to_wstring(UnusedPort()));
  ASSERT_TRUE(WaitForError());
  EXPECT_EQ(Memo(), L"first answer\r\n");
}

TEST_F(LookupWindowsTest, ClosingTheWhoisWindowHidesItAndEndsAQueryStillRunning) {
  WhoisPeer answering({{"answer\r\n"}});
  WhoisPeer silent({{}, 0, PeerScript::End::Hold});
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  TypeServer(answering.Server());
  Execute(ui::kCmdWhois);
  ASSERT_TRUE(WaitForMemo(L"answer\r\n"));
  Close(whois().hwnd());
  EXPECT_FALSE(IsWindowVisible(whois().hwnd()));
  EXPECT_EQ(TextOf(whois().hwnd()), L"Whois IP - 200.1.2.3");
  EXPECT_EQ(Memo(), L"answer\r\n");

  TypeServer(silent.Server());
  ASSERT_TRUE(silent.WaitForQueries(1, kWait));
  Close(whois().hwnd());
  EXPECT_TRUE(silent.WaitForClientCloses(1, kWait));
  Pump(kTestTimeouts.answerMs + 500);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(Memo(), L"answer\r\n");
}

TEST_F(LookupWindowsTest, RowsWithoutARemoteAddressCellAreLeftAlone) {
  WhoisPeer peer({{"answer\r\n"}});
  TypeServer(peer.Server());
  const OpenedUrls opened;
  auto expectNothingDone = [&] {
    Execute(ui::kCmdWhois);
    Execute(ui::kCmdGeoLocation);
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(whois().hwnd()));
    EXPECT_FALSE(IsWindowVisible(geo().hwnd()));
    EXPECT_EQ(TextOf(whois().hwnd()), L"");
    EXPECT_EQ(TextOf(geo().hwnd()), L"地理IP工具");
    EXPECT_TRUE(peer.Queries().empty());
  };

  // No selection.
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ip.udp4 = {Udp4Row("10.0.0.1", 53)};
  form.viewState().CurrentView = kViewConnections;
  Execute(ui::kCmdRefresh);
  {
    SCOPED_TRACE("no row selected");
    expectNothingDone();
  }
  // A UDP row: its cells end before the remote address.
  Execute(ui::kCmdAllEndpoints);
  ASSERT_EQ(ListView_GetItemCount(ListView()), 2);
  const int udp = form.list().Row(0).Cell(kCellProtocol) == L"UDPv4" ? 0 : 1;
  ASSERT_EQ(form.list().Row(static_cast<size_t>(udp)).cells.size(), kCellRemoteHost);
  Select(udp);
  {
    SCOPED_TRACE("UDP row");
    expectNothingDone();
  }
  // A row of another view.
  Execute(ui::ViewCommandId(kViewTcp));
  ASSERT_GT(ListView_GetItemCount(ListView()), 0);
  Select(0);
  {
    SCOPED_TRACE("TCP statistics row");
    expectNothingDone();
  }
  for (const std::string& line : opened.Lines())
    EXPECT_FALSE(line.starts_with(ToUtf8(kGeoLocationSite))) << line;
  EXPECT_TRUE(errors.empty());
}

TEST_F(LookupWindowsTest, TheGeolocationPageOfARowOpensInTheDefaultBrowserWithoutTheControl) {
  struct Case {
    const char* name;
    const wchar_t* address;  // the row's remote-address cell
  };
  const Case cases[] = {{"IPv4", L"200.1.2.3"}, {"IPv6", L"[2001:db8::5]"}};
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished)};
  ip.tcp6 = {Tcp6Row("2001:db8::1", 1026, "2001:db8::5", 443, kTcpEstablished)};
  form.viewState().CurrentView = kViewConnections;
  Execute(ui::kCmdRefresh);
  ASSERT_EQ(ListView_GetItemCount(ListView()), 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int item = 0;
    while (item < 2 &&
           form.list().Row(static_cast<size_t>(item)).Cell(kCellRemoteHost) != c.address)
      ++item;
    ASSERT_LT(item, 2);
    Select(item);
    const OpenedUrls opened;

    Execute(ui::kCmdGeoLocation);
    const std::wstring page = std::wstring(L"https://www.geoiptool.com/?IP=") + c.address;
    EXPECT_TRUE(IsWindowVisible(geo().hwnd()));
    EXPECT_EQ(TextOf(geo().hwnd()), std::wstring(L"GeoIP Tool - ") + c.address);
    EXPECT_EQ(geo().PageAddress(), page);
    EXPECT_NE(TextOf(geo().Notice()).find(page), std::wstring::npos);
    EXPECT_TRUE(IsWindowVisible(geo().Notice()));
    EXPECT_TRUE(opened.WaitFor(ToUtf8(page), kWait));
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(LookupWindowsTest, ClosingLeavesTheBlankPageAndTheNextRowNeverShowsTheLastPage) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished),
             Tcp4Row("10.0.0.1", 1026, "200.9.9.9", 443, kTcpEstablished)};
  ShowRowsAndSelect(0);
  const std::wstring firstPage = GeoLocationPageAddress(form.list().Row(0).Cell(kCellRemoteHost));
  const std::wstring secondPage = GeoLocationPageAddress(form.list().Row(1).Cell(kCellRemoteHost));
  const OpenedUrls opened;
  Execute(ui::kCmdGeoLocation);
  ASSERT_TRUE(opened.WaitFor(ToUtf8(firstPage), kWait));

  Close(geo().hwnd());
  EXPECT_FALSE(IsWindowVisible(geo().hwnd()));
  EXPECT_EQ(geo().PageAddress(), L"about:blank");
  EXPECT_EQ(TextOf(geo().Notice()), L"");

  const OpenedUrls afterClosing;
  Select(1);
  Execute(ui::kCmdGeoLocation);
  EXPECT_EQ(geo().PageAddress(), secondPage);
  EXPECT_EQ(TextOf(geo().Notice()).find(firstPage), std::wstring::npos);
  EXPECT_NE(TextOf(geo().Notice()).find(secondPage), std::wstring::npos);
  ASSERT_TRUE(afterClosing.WaitFor(ToUtf8(secondPage), kWait));
  // Neither the blank page nor the first page went to the browser again.
  for (const std::string& line : afterClosing.Lines()) {
    EXPECT_NE(line, ToUtf8(firstPage));
    EXPECT_NE(line, "about:blank");
  }
  EXPECT_EQ(TextOf(geo().hwnd()), L"GeoIP Tool - 200.9.9.9");
}

}  // namespace
}  // namespace kestro::test
