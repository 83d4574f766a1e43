// Shows, one after the other, the properties window, the connection view's
// context menu and the tray menu on scripted rows, announcing each on
// standard output ("shoot NAME") and holding it for a few seconds, so that a
// script can take a picture of the display. Not a test.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/RowPropertiesWindow.h"

using namespace kestro;

namespace {

constexpr DWORD kHoldMs = 3000;
const char* announced = nullptr;

void Announce(const char* name) {
  std::printf("shoot %s\n", name);
  std::fflush(stdout);
}

void Hold(ui::MessagePump& pump) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kHoldMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    pump.RunPending();
  }
}

// A menu runs its own loop: announced once it shows, closed after the hold.
void CALLBACK WhileMenuOpen(HWND, UINT, UINT_PTR timer, DWORD) {
  static DWORD shownAt = 0;
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  if (announced) {
    Announce(announced);
    announced = nullptr;
    shownAt = GetTickCount();
  } else if (GetTickCount() - shownAt > kHoldMs) {
    KillTimer(nullptr, timer);
    EndMenu();
  }
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  test::ScriptedIpHelper ip;
  test::FakeProcesses processes;
  ui::MessagePump pump;
  ui::MainWindow form({ip, processes, std::make_shared<test::ScriptedNameService>(L"thishost")},
                      pump);
  form.Create();
  form.command(ui::kCmdAutoRefresh).checked = false;
  ui::RowPropertiesWindow properties(form.commands(), ui::kCmdUpload, ui::kCmdEndProcess);
  properties.Create(form.hwnd());
  form.rowCommands().SetPropertiesWindow(&properties);
  ip.tcp4 = {test::Tcp4Row("192.168.1.20", 49731, "200.1.2.3", 443, kTcpEstablished, 7),
             test::Tcp4Row("192.168.1.20", 49732, "10.0.0.9", 80, kTcpTimeWait, 8)};
  form.viewState().CurrentView = kViewConnections;
  SetWindowPos(form.hwnd(), nullptr, 20, 20, 900, 500, SWP_NOZORDER);
  ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  SendMessageW(form.hwnd(), WM_COMMAND, ui::kCmdRefresh, 0);
  HWND list = form.listView().hwnd();
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  pump.RunPending();
  form.UpdateCommandStates();

  form.rowCommands().ShowRowProperties();
  pump.RunPending();
  Announce("properties-window");
  Hold(pump);
  ShowWindow(properties.hwnd(), SW_HIDE);

  RECT item{};
  ListView_GetItemRect(list, 0, &item, LVIR_LABEL);
  POINT at{item.left + 40, item.bottom};
  ClientToScreen(list, &at);
  announced = "context-menu";
  SetTimer(nullptr, 0, 100, WhileMenuOpen);
  form.rowCommands().ShowContextMenu(at);
  pump.RunPending();

  SetCursorPos(700, 300);
  announced = "tray-menu";
  SetTimer(nullptr, 0, 100, WhileMenuOpen);
  SendMessageW(form.tray().hwnd(), ui::TrayIcon::kCallbackMessage, ui::TrayIcon::kIconId,
               WM_RBUTTONDOWN);
  pump.RunPending();
  return 0;
}
