#include "ui/main/TrayIcon.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/controls/CommandPictures.h"
#include "ui/main/MainMenu.h"
#include "win/SystemError.h"

namespace kestro::ui {

namespace {

template <size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text) {
  const size_t length = std::min(text.size(), N - 1);
  text.copy(field, length);
  field[length] = L'\0';
}

}  // namespace

bool ShellNotifyArea::Notify(DWORD message, const NOTIFYICONDATAW& data) {
  return Shell_NotifyIconW(message, const_cast<NOTIFYICONDATAW*>(&data)) != FALSE;
}

TrayIcon::TrayIcon(const MainContext& context, NotifyArea& area, MenuPictures& pictures)
    : context_(context), area_(area), pictures_(pictures) {
  AddCommands();
}

TrayIcon::~TrayIcon() {
  if (hwnd()) area_.Notify(NIM_DELETE, Data(0));
}

void TrayIcon::AddCommands() {
  CommandTable& commands = context_.commands;
  commands.Add({.id = kCmdShowWindow,
                .name = L"Show1",
                .caption = L"显示窗口",
                .picture = kPictureShowWindow,
                .execute = [this] { RestoreFromTray(); }});
  commands.Add({.id = kCmdHideWindow,
                .name = L"Hidewindow1",
                .caption = L"隐藏窗口",
                .picture = kPictureHideWindow,
                .execute = [this] { HideToTray(); }});
  commands.Add({.id = kCmdTest, .name = L"test1", .caption = L"测试", .execute = [&commands] {
                  commands.Toggle(kCmdTest);
                }});
}

void TrayIcon::Start() {
  // A top-level window, so that the shell's broadcast of its restart reaches it.
  CreateWindowOf(L"TTrayIcon", WS_EX_TOOLWINDOW, L"", WS_POPUP, 0, 0, 0, 0, nullptr);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  HINSTANCE module = GetModuleHandleW(nullptr);
  programIcon_ = LoadProgramIcon(module, GetSystemMetrics(SM_CXSMICON));
  UniqueImageList cubes = LoadCubePictures(module);
  for (int i = 0; i < kCubeCount; ++i)
    cubes_[i].reset(cubes ? ImageList_GetIcon(cubes.get(), i, ILD_NORMAL) : nullptr);
  shown_ = programIcon_.get();
  // Refused when no shell runs yet: its "TaskbarCreated" adds the icon then.
  area_.Notify(NIM_ADD, Data(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd();
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = shown_;
  return data;  // szTip stays empty: the icon has no tool tip
}

void TrayIcon::ShowImage(HICON image) {
  shown_ = image;
  area_.Notify(NIM_MODIFY, Data(NIF_ICON));
}

void TrayIcon::HideToTray() { ShowWindow(context_.owner(), SW_HIDE); }

void TrayIcon::RestoreFromTray() {
  HWND main = context_.owner();
  // Restoring a minimised window brings back its size, maximised included.
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
}

void TrayIcon::ActivitySignal() {
  context_.command(kCmdTest).checked = true;
  if (!cycling_) {
    cycling_ = true;
    cycleIndex_ = 0;
    ShowImage(cubes_[0].get());
    SetTimer(hwnd(), kCycleTimer, kCycleInterval, nullptr);
  }
  if (!timer3Enabled_) {
    timer3Enabled_ = true;
    SetTimer(hwnd(), kBlinkTimer, kBlinkInterval, nullptr);
  }
}

void TrayIcon::OnBlinkTimer() {
  context_.command(kCmdTest).checked = false;
  cycling_ = false;
  KillTimer(hwnd(), kCycleTimer);
  timer3Enabled_ = false;
  KillTimer(hwnd(), kBlinkTimer);
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  NOTIFYICONDATAW data = Data(NIF_INFO);
  CopyCut(data.szInfoTitle, title);
  CopyCut(data.szInfo, text);
  data.uTimeout = kBalloonTimeoutMs;
  data.dwInfoFlags = NIIF_INFO;
  area_.Notify(NIM_MODIFY, data);
}

UniqueMenu TrayIcon::BuildMenu() {
  return BuildPopupMenu(context_.commands, TrayMenuLayout(), &pictures_);
}

void TrayIcon::ShowMenu() {
  UniqueMenu menu = BuildMenu();
  POINT cursor{};
  GetCursorPos(&cursor);
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(hwnd());
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                     cursor.y, 0, hwnd(), nullptr);
  PostMessageW(context_.owner(), WM_NULL, 0, 0);
  // The main window runs it, as it runs a command of its own menus.
  if (chosen) SendMessageW(context_.owner(), WM_COMMAND, chosen, 0);
}

LRESULT TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kCallbackMessage:
      if (lParam == WM_LBUTTONUP) RestoreFromTray();
      if (lParam == WM_RBUTTONDOWN) ShowMenu();
      return 0;
    case WM_TIMER:
      if (wParam == kCycleTimer && cycling_) {
        cycleIndex_ = (cycleIndex_ + 1) % kCubeCount;
        ShowImage(cubes_[cycleIndex_].get());
      }
      if (wParam == kBlinkTimer) OnBlinkTimer();
      return 0;
  }
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    area_.Notify(NIM_ADD, Data(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace kestro::ui
