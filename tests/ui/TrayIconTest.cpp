// The tray icon through a recording notification area: what is added,
// changed and removed, the blink, the balloon and its cuts, the switches and
// their mirrors, the tray menu, hiding to the tray and restoring; and the
// shell's own notification area under Wine.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "support/MenuItems.h"
#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/controls/Artwork.h"
#include "ui/controls/CommandPictures.h"
#include "ui/main/MainWindow.h"
#include "ui/main/TrayIcon.h"

namespace kestro::test {
namespace {

using namespace ui;

struct Notification {
  DWORD message;
  NOTIFYICONDATAW data;
};

class RecordingArea final : public NotifyArea {
 public:
  bool Notify(DWORD message, const NOTIFYICONDATAW& data) override {
    calls.push_back({message, data});
    return true;
  }
  std::vector<Notification> calls;
};

// The icon drawn on black, pixel by pixel.
std::vector<COLORREF> Pixels(HICON icon) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, 16, 16};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawIconEx(memory, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(memory, x, y));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// 'b' for the blue cube, 'r' for the red one, '?' for anything else: the
// colour of the cube's left face.
char CubeColour(HICON icon) {
  const COLORREF face = Pixels(icon)[8 * 16 + 4];
  if (GetBValue(face) > GetRValue(face) + 60) return 'b';
  if (GetRValue(face) > GetBValue(face) + 60) return 'r';
  return '?';
}

class TrayIconTest : public testing::Test {
 protected:
  TrayIconTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    form->Create();
    form->command(kCmdAutoRefresh).checked = false;
    form->UpdateCommandStates();
  }

  void Execute(UINT command) {
    SendMessageW(form->hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  // A refresh that finds one more established connection.
  void NewConnection() {
    ip.tcp4.push_back(Tcp4Row("10.0.0.1", static_cast<unsigned>(1000 + ip.tcp4.size()), "10.0.0.9",
                              80, kTcpEstablished, 7));
    Execute(kCmdRefresh);
  }
  void Tick(UINT_PTR timer) { SendMessageW(form->tray().hwnd(), WM_TIMER, timer, 0); }
  void Callback(UINT mouse) {
    SendMessageW(form->tray().hwnd(), TrayIcon::kCallbackMessage, TrayIcon::kIconId, mouse);
  }
  std::vector<Notification> Calls(UINT flag) const {
    std::vector<Notification> found;
    for (const Notification& call : area.calls)
      if (call.message != NIM_DELETE && (call.data.uFlags & flag)) found.push_back(call);
    return found;
  }
  int ToolBarPicture(UINT command) {
    TBBUTTONINFOW info{sizeof info, TBIF_IMAGE};
    SendMessageW(form->toolBar(), TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
    return info.iImage;
  }

  RecordingArea area;
  ScriptedIpHelper ip;
  FakeProcesses processes;
  MessagePump pump;
  std::optional<MainWindow> form{
      std::in_place,
      MainWindowPlatform{ip, processes, std::make_shared<ScriptedNameService>(), &area}, pump};
};

TEST_F(TrayIconTest, AddedWithTheProgramIconAndNoTipAddedAgainWhenTheShellRestartsRemovedAtTheEnd) {
  ASSERT_EQ(area.calls.size(), 1u);
  const Notification added = area.calls[0];
  EXPECT_EQ(added.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(added.data.hWnd, form->tray().hwnd());
  EXPECT_EQ(added.data.uCallbackMessage, TrayIcon::kCallbackMessage);
  EXPECT_EQ(added.data.uFlags & (NIF_ICON | NIF_MESSAGE),
            static_cast<UINT>(NIF_ICON | NIF_MESSAGE));
  EXPECT_STREQ(added.data.szTip, L"");
  UniqueIcon program = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(Pixels(added.data.hIcon), Pixels(program.get()));

  // After a blink the shell gets the cube back, not the program icon.
  NewConnection();
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  SendMessageW(form->tray().hwnd(), taskbarCreated, 0, 0);
  const Notification again = area.calls.back();
  EXPECT_EQ(again.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(again.data.uID, added.data.uID);
  EXPECT_EQ(CubeColour(again.data.hIcon), 'b');

  const HWND trayWindow = form->tray().hwnd();
  form.reset();
  EXPECT_EQ(area.calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(area.calls.back().data.hWnd, trayWindow);
  EXPECT_EQ(area.calls.back().data.uID, added.data.uID);
}

TEST_F(TrayIconTest, NewRowsBlinkBlueRedBlueUntilTimer3AndTheLastCubeStays) {
  EXPECT_FALSE(form->command(kCmdTest).checked);
  NewConnection();
  EXPECT_TRUE(form->tray().Blinking());
  EXPECT_TRUE(form->command(kCmdTest).checked);
  Tick(TrayIcon::kCycleTimer);
  NewConnection();  // a blink that runs goes on where it is
  Tick(TrayIcon::kCycleTimer);
  std::string colours;
  for (const Notification& call : Calls(NIF_ICON))
    if (call.message == NIM_MODIFY) colours += CubeColour(call.data.hIcon);
  EXPECT_EQ(colours, "brb");

  Tick(TrayIcon::kBlinkTimer);
  EXPECT_FALSE(form->tray().Blinking());
  EXPECT_FALSE(form->command(kCmdTest).checked);
  const size_t calls = area.calls.size();
  Tick(TrayIcon::kCycleTimer);  // one that was already queued changes nothing
  EXPECT_EQ(area.calls.size(), calls);

  // With the real timers the blink ends by itself, having stepped every cycle.
  NewConnection();
  const DWORD start = GetTickCount();
  while (form->tray().Blinking() && GetTickCount() - start < 10000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    pump.RunPending();
  }
  EXPECT_FALSE(form->tray().Blinking());
  EXPECT_GE(area.calls.size(), calls + 3);  // blue at once, then at least red and blue
  EXPECT_FALSE(form->command(kCmdTest).checked);
}

TEST_F(TrayIconTest, TheBalloonSwitchAndItsMirrorsThenTheBalloonOfANewConnection) {
  // Off at start: the icon blinks, no balloon.
  NewConnection();
  EXPECT_TRUE(Calls(NIF_INFO).empty());
  EXPECT_FALSE(form->command(kCmdBalloonTip).checked);
  EXPECT_FALSE(form->command(kCmdSound).checked);
  EXPECT_EQ(ToolBarPicture(kCmdBalloonTip), kPictureBalloonOff);
  EXPECT_EQ(ToolBarPicture(kCmdSound), kPictureSoundOff);

  // "气球提示通知" in the tray menu: the Options item gets the check, the
  // tool-bar button the picture.
  Execute(kCmdBalloonTip);
  form->UpdateCommandStates();
  EXPECT_TRUE(form->command(kCmdBalloonTip).checked);
  EXPECT_EQ(ToolBarPicture(kCmdBalloonTip), kPictureBalloonOn);
  EXPECT_TRUE(SendMessageW(form->toolBar(), TB_ISBUTTONCHECKED, kCmdBalloonTip, 0));
  Execute(kCmdSound);
  Execute(kCmdSound);
  form->UpdateCommandStates();
  EXPECT_EQ(ToolBarPicture(kCmdSound), kPictureSoundOff);

  NewConnection();
  const std::vector<Notification> balloons = Calls(NIF_INFO);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_STREQ(balloons[0].data.szInfoTitle, L"TCv4建立连接");
  EXPECT_EQ(std::wstring(balloons[0].data.szInfo)
                .rfind(L"远程IP：10.0.0.9 端口：80\r进程名称：proc7.exe 国家：", 0),
            0u);
  EXPECT_EQ(balloons[0].data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(balloons[0].data.uTimeout, 10000u);

  Execute(kCmdBalloonTip);
  form->UpdateCommandStates();
  EXPECT_EQ(ToolBarPicture(kCmdBalloonTip), kPictureBalloonOff);
}

TEST_F(TrayIconTest, BalloonTitlesAndTextsAreCutTo63And255Characters) {
  struct Case {
    size_t title, text, shownTitle, shownText;
  };
  for (const Case& c : {Case{10, 20, 10, 20}, Case{63, 255, 63, 255}, Case{64, 256, 63, 255},
                        Case{100, 300, 63, 255}}) {
    form->tray().ShowBalloon(std::wstring(c.title, L'标'), std::wstring(c.text, L'x'));
    const NOTIFYICONDATAW& shown = area.calls.back().data;
    EXPECT_EQ(wcslen(shown.szInfoTitle), c.shownTitle) << c.title;
    EXPECT_EQ(wcslen(shown.szInfo), c.shownText) << c.text;
  }
}

TEST_F(TrayIconTest, TheTrayMenuItsPicturesAndTheSwitchMirrorsWithoutCheckMarks) {
  UniqueMenu menu = form->tray().BuildMenu();
  std::vector<MenuItem> items = ReadMenu(menu.get());
  const std::vector<std::wstring> captions = {
      L"", L"显示窗口", L"隐藏窗口", L"", L"气球提示通知", L"声音通知", L"", L"退出"};
  ASSERT_EQ(items.size(), captions.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].text, captions[i]) << i;
    EXPECT_EQ(items[i].separator, captions[i].empty()) << i;
    if (!items[i].separator) {
      EXPECT_NE(items[i].picture, nullptr) << i;
    }
  }
  EXPECT_EQ(items[7].id, static_cast<UINT>(kCmdExit));
  const HBITMAP balloonOff = items[4].picture;

  Execute(kCmdBalloonTip);
  items = ReadMenu(form->tray().BuildMenu().get());
  EXPECT_FALSE(items[4].checked);  // the check mark is the Options item's alone
  EXPECT_NE(items[4].picture, balloonOff);
  Execute(kCmdBalloonTip);
  EXPECT_EQ(ReadMenu(form->tray().BuildMenu().get())[4].picture, balloonOff);
}

// While the tray menu is open (it runs its own loop): where it is, then the
// keys that choose its last item, "退出".
struct OpenMenu {
  static inline RECT rect{};
  static inline bool seen = false;
  static void CALLBACK Look(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return;
    KillTimer(nullptr, timer);
    seen = true;
    GetWindowRect(popup, &rect);
    for (WPARAM key : {VK_UP, VK_RETURN}) {
      PostMessageW(popup, WM_KEYDOWN, key, 0);
      PostMessageW(popup, WM_KEYUP, key, 0);
    }
  }
};

TEST_F(TrayIconTest, TheRightButtonOpensTheMenuAtTheCursorAndExitEndsAtOnceWritingTheSettings) {
  std::optional<Settings> written;
  form->SetDestroyHandler([&](const Settings& settings) { written = settings; });
  ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  SetCursorPos(200, 150);
  POINT cursor{};
  GetCursorPos(&cursor);
  SetTimer(nullptr, 0, 50, OpenMenu::Look);
  Callback(WM_RBUTTONDOWN);
  pump.RunPending();
  ASSERT_TRUE(OpenMenu::seen);
  EXPECT_EQ(OpenMenu::rect.left, cursor.x);
  EXPECT_EQ(OpenMenu::rect.top, cursor.y);
  EXPECT_TRUE(written.has_value());  // "退出": no question, the window is gone
  EXPECT_EQ(form->hwnd(), nullptr);
}

TEST_F(TrayIconTest, MinimisingHidesTheWindowAndALeftClickBringsItBackInItsSize) {
  SetWindowPos(form->hwnd(), nullptr, 50, 60, 640, 480, SWP_NOZORDER);
  ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  RECT before{};
  GetWindowRect(form->hwnd(), &before);
  SendMessageW(form->hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(form->hwnd()));  // no window, no task-bar button
  Callback(WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(form->hwnd()));
  EXPECT_FALSE(IsIconic(form->hwnd()));
  RECT after{};
  GetWindowRect(form->hwnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));

  // Minimised some other way while maximised: back maximised.
  ShowWindow(form->hwnd(), SW_SHOWMAXIMIZED);
  ShowWindow(form->hwnd(), SW_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(form->hwnd()));
  Execute(kCmdShowWindow);  // "显示窗口"
  EXPECT_TRUE(IsWindowVisible(form->hwnd()));
  EXPECT_TRUE(IsZoomed(form->hwnd()));

  Execute(kCmdHideWindow);  // "隐藏窗口"
  EXPECT_FALSE(IsWindowVisible(form->hwnd()));
  Callback(WM_LBUTTONDOWN);  // only the release restores
  EXPECT_FALSE(IsWindowVisible(form->hwnd()));
}

// The shell's notification area, as the program calls it.
TEST(ShellNotifyAreaTest, TakesTheIconItsBalloonAndItsRemoval) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  UniqueIcon icon = LoadProgramIcon(GetModuleHandleW(nullptr), 16);
  ShellNotifyArea area;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 7;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = WM_APP;
  data.hIcon = icon.get();
  EXPECT_TRUE(area.Notify(NIM_ADD, data));
  data.uFlags = NIF_INFO;
  wcscpy(data.szInfoTitle, L"TCv4建立连接");
  wcscpy(data.szInfo, L"远程IP：127.0.0.1 端口：80");
  data.uTimeout = 10000;
  data.dwInfoFlags = NIIF_INFO;
  EXPECT_TRUE(area.Notify(NIM_MODIFY, data));
  EXPECT_TRUE(area.Notify(NIM_DELETE, data));
  EXPECT_FALSE(area.Notify(NIM_MODIFY, data));  // gone
  DestroyWindow(window);
}

}  // namespace
}  // namespace kestro::test
