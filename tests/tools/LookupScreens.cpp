// The two lookup windows as a user sees them, for pictures of the test
// display: the main window on scripted tables, the WHOIS window with the
// answer of a WHOIS peer on 127.0.0.1, then the geolocation window of the
// same row. It prints "shoot lookup-whois" and "shoot lookup-geolocation"
// when each is on screen and keeps it there for a few seconds
// (scripts/window-screenshots.sh).
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "net/NetUtils.h"
#include "support/FakeProcesses.h"
#include "support/MessageLoop.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "support/WhoisPeer.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/WhoisWindow.h"
#include "ui/windows/GeoLocationWindow.h"

using namespace kestro;

namespace {

constexpr DWORD kShownMs = 4000;

const char kAnswer[] =
    "% This is a WHOIS server on 127.0.0.1, answering for the screenshot.\r\n"
    "\r\n"
    "inetnum:        198.51.100.0 - 198.51.100.255\r\n"
    "netname:        DOCUMENTATION-NET\r\n"
    "descr:          Addresses for documentation (RFC 5737)\r\n"
    "country:        ZZ\r\n"
    "status:         ASSIGNED PA\r\n"
    "source:         LOCAL\r\n";

void Announce(const char* what) {
  std::printf("shoot lookup-%s\n", what);
  std::fflush(stdout);
  test::Pump(kShownMs);
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  test::WhoisPeer peer({{kAnswer}});
  test::ScriptedIpHelper ip;
  ip.tcp4 = {test::Tcp4Row("10.0.0.2", 49733, "198.51.100.7", 443, kTcpEstablished, 7),
             test::Tcp4Row("10.0.0.2", 49734, "203.0.113.20", 80, kTcpEstablished, 8)};
  test::FakeProcesses processes;
  ui::MessagePump pump;
  ui::MainWindow form({ip, processes, std::make_shared<test::ScriptedNameService>(L"thishost")},
                      pump);
  form.Create();
  form.command(ui::kCmdAutoRefresh).checked = false;
  form.lookups().CreateWhoisWindow();
  form.lookups().CreateGeoLocationWindow();
  ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  form.viewState().CurrentView = kViewConnections;
  SendMessageW(form.hwnd(), WM_COMMAND, ui::kCmdRefresh, 0);
  ListView_SetItemState(form.listView().hwnd(), 0, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  test::Pump(300);

  ui::WhoisWindow& whois = form.lookups().whoisWindow();
  SetWindowTextW(whois.ServerBox(), peer.Server().c_str());
  SendMessageW(form.hwnd(), WM_COMMAND, ui::kCmdWhois, 0);
  if (!test::PumpUntil([&] { return GetWindowTextLengthW(whois.AnswerBox()) > 0; }, 10'000))
    return 1;
  Announce("whois");
  SendMessageW(whois.hwnd(), WM_CLOSE, 0, 0);

  SendMessageW(form.hwnd(), WM_COMMAND, ui::kCmdGeoLocation, 0);
  Announce("geolocation");
  return 0;
}
