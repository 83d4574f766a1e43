// The main window as a user meets it: its menu bar, the settings it starts
// from and hands back, the start-up with the splash and the "请等待" panel,
// the close question, the options and About windows, always on top and the
// transparency slider, and a failed Windows Sockets start.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "KestroVersion.h"
#include "support/MenuItems.h"
#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/SplashWindow.h"
#include "ui/app/Startup.h"
#include "ui/windows/CloseQuestion.h"
#include "win/SystemError.h"

namespace kestro::test {
namespace {

using namespace ui;

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// Runs `action` on this thread's dialog with `caption` as soon as it shows,
// from inside the modal loop that shows it.
class WhenDialogShows {
 public:
  WhenDialogShows(std::wstring caption, std::function<void(HWND)> action) {
    caption_ = std::move(caption);
    action_ = std::move(action);
    timer_ = SetTimer(nullptr, 0, 50, Tick);
  }
  ~WhenDialogShows() { KillTimer(nullptr, timer_); }
  static inline bool ran = false;

 private:
  static BOOL CALLBACK Find(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || TextOf(window) != caption_) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, id);
    ran = true;
    action_(dialog);
  }
  static inline std::wstring caption_;
  static inline std::function<void(HWND)> action_;
  UINT_PTR timer_ = 0;
};

void Click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class MainWindowStartupTest : public testing::Test {
 protected:
  MainWindowStartupTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
    WhenDialogShows::ran = false;
  }
  ~MainWindowStartupTest() override { SetErrorBoxSink(nullptr); }

  void Create(const std::optional<Settings>& settings = std::nullopt) {
    form.Create(settings);
    form.SetDestroyHandler([this](const Settings& last) { written = last; });
    form.UpdateCommandStates();
  }
  void Execute(UINT command) {
    SendMessageW(form.hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  bool Shown(HWND control) const { return GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE; }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  MessagePump pump;
  MainWindow form{{ip, processes, std::make_shared<ScriptedNameService>()}, pump};
  std::vector<std::wstring> errors;
  std::optional<Settings> written;
};

// The menu bar: each menu's items in order, "-" for a separator; hidden
// commands are not there.
TEST_F(MainWindowStartupTest, TheMenuBarHasTheFiveMenusInTheirOrder) {
  Create();
  struct MenuCase {
    std::wstring caption;
    std::vector<std::wstring> items;
  };
  const MenuCase menus[] = {
      {L"文件", {L"复制项目", L"复制远程IP", L"-", L"保存\tCtrl+S", L"另存为", L"-", L"退出"}},
      {L"查看",
       {L"-", L"工具栏", L"状态栏", L"-", L"总在最前面", L"透明度", L"-", L"显示网格线", L"选择列",
        L"-"}},
      {L"选项",
       {L"关闭连接\tCtrl+K", L"所有端点\tCtrl+A", L"解析地址\tCtrl+M", L"-", L"域名和IP信息",
        L"地理IP工具", L"-", L"自动刷新\tCtrl+R", L"刷新\tF5", L"自动滚屏", L"-", L"建立通知",
        L"建立声音", L"-", L"选项"}},
      {L"进程", {L"进程属性", L"结束进程", L"属性", L"上传到Mirovan扫描"}},
      {L"帮助", {L"关于"}},
  };
  HMENU bar = GetMenu(form.hwnd());
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  for (int m = 0; m < 5; ++m) {
    wchar_t caption[64] = {};
    GetMenuStringW(bar, m, caption, 64, MF_BYPOSITION);
    EXPECT_EQ(caption, menus[m].caption);
    HMENU menu = GetSubMenu(bar, m);
    std::vector<std::wstring> items = MenuTexts(menu);
    for (std::wstring& item : items)
      if (item.empty()) item = L"-";
    EXPECT_EQ(items, menus[m].items) << menus[m].caption;
  }
  // Items show their commands' pictures, one bitmap each.
  MENUITEMINFOW save{sizeof save};
  save.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(bar, kCmdSave, FALSE, &save));
  BITMAP picture{};
  ASSERT_TRUE(save.hbmpItem && GetObjectW(save.hbmpItem, sizeof picture, &picture));
  EXPECT_EQ(picture.bmWidth, 16);
  EXPECT_EQ(picture.bmHeight, 16);
  MENUITEMINFOW about{sizeof about};
  about.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(bar, kCmdAbout, FALSE, &about));
  EXPECT_NE(about.hbmpItem, save.hbmpItem);

  HMENU view = GetSubMenu(bar, 1);
  EXPECT_TRUE(GetMenuState(view, kCmdToolBar, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(view, kCmdStatusBar, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(view, kCmdAlwaysOnTop, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(MainWindowStartupTest, TheStoredSettingsAreAppliedAndHandedBackAsTheyStand) {
  Settings stored;
  stored.Position = {100, 80, 700, 580};
  stored.ShowToolBar = false;
  stored.ShowStatusBar = false;
  stored.ShowByName = true;
  stored.ShowAllEndpoints = true;
  stored.AutoRefresh = false;
  stored.AppendStatistics = true;
  stored.AutoSave = true;
  stored.StatType = 8;
  stored.Interval = 2500;
  stored.LastFile = L"C:\\r.txt";
  Create(stored);

  EXPECT_EQ(TextOf(form.hwnd()), L"Kestro V 1.0 - C:\\r.txt");
  EXPECT_FALSE(Shown(form.toolBar()));
  EXPECT_FALSE(Shown(form.statusBar().hwnd()));
  EXPECT_TRUE(form.command(kCmdByName).checked);
  EXPECT_TRUE(form.command(kCmdAllEndpoints).checked);
  EXPECT_FALSE(form.command(kCmdAutoRefresh).checked);
  EXPECT_EQ(form.viewState().CurrentView, 8);
  EXPECT_EQ(form.viewActions().Interval(), 2500u);
  EXPECT_EQ(form.list().ColumnCount(), 0u);  // nothing is built before the first activation
  // The bars' checks follow the bars.
  EXPECT_FALSE(form.command(kCmdToolBar).checked);
  Execute(kCmdToolBar);
  form.UpdateCommandStates();
  EXPECT_TRUE(Shown(form.toolBar()));
  EXPECT_TRUE(form.command(kCmdToolBar).checked);
  Execute(kCmdToolBar);

  const Settings back = form.CollectSettings();
  EXPECT_EQ(back.WindowState, MainWindowState::Normal);
  EXPECT_EQ(back.Position.left, 100);
  EXPECT_EQ(back.Position.bottom, 580);
  EXPECT_FALSE(back.ShowToolBar);
  EXPECT_FALSE(back.ShowStatusBar);
  EXPECT_TRUE(back.ShowByName);
  EXPECT_TRUE(back.ShowAllEndpoints);
  EXPECT_FALSE(back.AutoRefresh);
  EXPECT_TRUE(back.AppendStatistics);
  EXPECT_TRUE(back.AutoSave);
  EXPECT_EQ(back.StatType, 8);
  EXPECT_EQ(back.Interval, 2500u);
  EXPECT_EQ(back.LastFile, L"C:\\r.txt");

  ShowWindow(form.hwnd(), SW_SHOWMAXIMIZED);
  EXPECT_EQ(form.CollectSettings().WindowState, MainWindowState::Maximised);
  // Exit (actExit, no question) hands the settings to the destroy handler.
  Execute(kCmdExit);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->WindowState, MainWindowState::Maximised);
  EXPECT_EQ(written->LastFile, L"C:\\r.txt");
}

TEST_F(MainWindowStartupTest,
       TheStartUpTimerShowsTheConnectionViewThenTheWindowAndClosesTheSplash) {
  Settings stored;
  stored.WindowState = MainWindowState::Maximised;
  stored.StatType = kViewConnections;
  stored.AutoRefresh = false;
  Create(stored);
  SplashWindow splash;
  splash.Create();
  // Only the ellipse (42, 40)-(239, 238) of the window shows.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(splash.hwnd(), region), COMPLEXREGION);
  const POINT inside[] = {{140, 139}, {43, 139}, {140, 41}, {237, 139}, {140, 236}};
  const POINT outside[] = {{41, 139}, {42, 40}, {240, 139}, {140, 39}, {140, 239}, {0, 0}};
  for (POINT p : inside) EXPECT_TRUE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
  for (POINT p : outside) EXPECT_FALSE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
  DeleteObject(region);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(splash.hwnd(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 255);

  form.StartUp(splash);
  EXPECT_TRUE(IsWindowVisible(splash.hwnd()));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_TRUE(Shown(form.waitPanel()));
  EXPECT_EQ(TextOf(form.waitPanel()), L"请等待");

  // The first activation builds the stored view (here the connection view);
  // the start-up timer then only refreshes it, so its columns stay as they are.
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 80, kTcpEstablished)};
  SendMessageW(form.hwnd(), WM_ACTIVATEAPP, TRUE, 0);
  ASSERT_GT(form.list().ColumnCount(), 0u);
  form.list().SetColumnWidth(0, 77);
  SendMessageW(form.hwnd(), WM_TIMER, MainWindow::kStartupTimer, 0);
  pump.RunPending();
  EXPECT_EQ(form.viewState().CurrentView, kViewConnections);
  EXPECT_EQ(form.list().Column(0).width, 77);
  EXPECT_EQ(form.list().RowCount(), 1u);
  EXPECT_FALSE(Shown(form.waitPanel()));
  EXPECT_FALSE(IsWindowVisible(splash.hwnd()));
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  EXPECT_TRUE(IsZoomed(form.hwnd()));
}

TEST_F(MainWindowStartupTest, TheCloseQuestionEndsOrHidesTheWindow) {
  Create();
  CloseQuestion question;
  question.Create(form.hwnd());
  form.SetCloseQuestion(&question);
  ShowWindow(form.hwnd(), SW_SHOW);

  struct Answer {
    const char* name;
    std::function<void(HWND)> give;
  };
  const Answer hiding[] = {
      {"最小化", [](HWND dialog) { Click(dialog, IDCANCEL); }},
      {"Esc", [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }},
      {"close box", [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Answer& answer : hiding) {
    ShowWindow(form.hwnd(), SW_SHOW);
    WhenDialogShows asked(L"你要做什么？", [&](HWND dialog) {
      // Its layout: client 231 x 65, two buttons of 75 x 25 at y 20.
      RECT client{};
      GetClientRect(dialog, &client);
      EXPECT_EQ(client.right, 231);
      EXPECT_EQ(client.bottom, 65);
      RECT button{};
      GetWindowRect(GetDlgItem(dialog, IDYES), &button);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
      EXPECT_EQ(button.left, 23);
      EXPECT_EQ(button.top, 20);
      EXPECT_EQ(button.right - button.left, 75);
      EXPECT_EQ(TextOf(GetDlgItem(dialog, IDCANCEL)), L"最小化");
      answer.give(dialog);
    });
    SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WhenDialogShows::ran) << answer.name;
    EXPECT_TRUE(IsWindow(form.hwnd())) << answer.name;
    EXPECT_FALSE(IsWindowVisible(form.hwnd())) << answer.name;
    EXPECT_FALSE(written) << answer.name;
  }

  WhenDialogShows asked(L"你要做什么？", [](HWND dialog) { Click(dialog, IDYES); });
  SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.hwnd());
  EXPECT_TRUE(written);
}

TEST_F(MainWindowStartupTest, TheOptionsWindowShowsWholeSecondsAndOnlyOkKeepsItsValues) {
  Settings stored;
  stored.Interval = 2500;
  stored.AutoSave = true;
  Create(stored);
  std::wstring shown;
  {
    WhenDialogShows options(L"选项", [&](HWND dialog) {
      shown = TextOf(GetDlgItem(dialog, 423));  // edtInterval
      EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, 423), GWL_STYLE) & ES_READONLY);
      EXPECT_EQ(IsDlgButtonChecked(dialog, 426), BST_CHECKED);  // chkAutoSave
      CheckDlgButton(dialog, 425, BST_CHECKED);                 // chkAppendStatistics
      Click(dialog, IDOK);
    });
    Execute(kCmdOptions);
  }
  EXPECT_EQ(shown, L"2");
  EXPECT_EQ(form.viewActions().Interval(), 2000u);
  EXPECT_TRUE(form.reports().settings().AppendStatistics);
  EXPECT_TRUE(form.reports().settings().AutoSave);

  WhenDialogShows cancelled(L"选项", [&](HWND dialog) {
    SendMessageW(GetDlgItem(dialog, 424), UDM_SETPOS32, 0, 7);
    CheckDlgButton(dialog, 426, BST_UNCHECKED);
    Click(dialog, IDCANCEL);
  });
  Execute(kCmdOptions);
  EXPECT_EQ(form.viewActions().Interval(), 2000u);
  EXPECT_TRUE(form.reports().settings().AutoSave);
}

TEST_F(MainWindowStartupTest,
       AboutNamesTheProgramItsVersionAndYearAndCentresOnTheScreenWhenHidden) {
  Create();
  RECT placed{};
  std::wstring caption, version, rights;
  WhenDialogShows about(L"关于 Kestro V 1.0", [&](HWND dialog) {
    caption = TextOf(dialog);
    version = TextOf(GetDlgItem(dialog, 433));
    rights = TextOf(GetDlgItem(dialog, 434));
    GetWindowRect(dialog, &placed);
    Click(dialog, IDOK);
  });
  Execute(kCmdAbout);  // the main window is hidden
  ASSERT_TRUE(WhenDialogShows::ran);
  // This program carries the viewer's resources, and so its version.
  EXPECT_EQ(version, L"版本：" KESTRO_VERSION_TEXT L" (创建 " KESTRO_BUILD_TEXT L")");
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_NE(rights.find(std::to_wstring(now.wYear)), std::wstring::npos) << rights;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((placed.left + placed.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(MainWindowStartupTest, AlwaysOnTopAndTheTransparencySlider) {
  Create();
  ShowWindow(form.hwnd(), SW_SHOW);
  Execute(kCmdAlwaysOnTop);
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Execute(kCmdAlwaysOnTop);
  EXPECT_FALSE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  EXPECT_FALSE(Shown(form.trackBar()));
  Execute(kCmdTransparency);
  ASSERT_TRUE(Shown(form.trackBar()));
  EXPECT_EQ(TextOf(form.hwnd()), L"Kestro");
  auto slide = [&](int position) {
    SendMessageW(form.trackBar(), TBM_SETPOS, TRUE, position);
    SendMessageW(form.hwnd(), WM_HSCROLL, TB_THUMBPOSITION,
                 reinterpret_cast<LPARAM>(form.trackBar()));
  };
  auto alpha = [&] {
    BYTE value = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(form.hwnd(), nullptr, &value, &flags);
    return int{value};
  };
  slide(128);
  EXPECT_EQ(TextOf(form.hwnd()), L"Kestro   - Trasparency 128%");
  EXPECT_EQ(alpha(), 128);
  slide(100);
  Execute(kCmdTransparency);  // the slider goes, the window stays as translucent
  EXPECT_FALSE(Shown(form.trackBar()));
  EXPECT_EQ(TextOf(form.hwnd()), L"Kestro");
  EXPECT_EQ(alpha(), 100);
}

int WSAAPI RefuseSockets(WORD, LPWSADATA) { return WSAVERNOTSUPPORTED; }

TEST_F(MainWindowStartupTest, AFailedSocketsStartShowsTheSystemsText) {
  const WindowsSockets sockets(RefuseSockets);
  EXPECT_FALSE(sockets.started());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], ErrorBoxText(SystemError(WSAVERNOTSUPPORTED).message()));
  const WindowsSockets real;
  EXPECT_TRUE(real.started());
}

}  // namespace
}  // namespace kestro::test
