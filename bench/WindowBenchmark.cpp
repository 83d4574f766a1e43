// The main window showing N synthetic TCP endpoints (scripted tables, the
// real process details and country database). Prints one line per N:
//   window N=<n> rebuild_ms=<x> longest_wait_ms=<w> steady_ms=<y> sort_ms=<s>
//          scroll_ms=<c> paint_ms=<p>
// longest_wait: the longest time a 1 ms timer waited during the rebuild, that
// is how long the window could not answer; sort: a header click with its
// repaint; scroll: one page down with its repaint (mean of 20); paint: a
// repaint of the whole list (mean of 10).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "geo/GeoIP.h"
#include "net/NameService.h"
#include "process/ProcessInfo.h"
#include "Synthetic.h"
#include "support/ScriptedIpHelper.h"
#include "ui/main/MainWindow.h"

using namespace kestro;

namespace {

double lastTick = 0;
double longestWait = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  const double now = bench::NowMs();
  if (lastTick != 0) longestWait = std::max(longestWait, now - lastTick);
  lastTick = now;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  test::ScriptedIpHelper ip;
  SystemProcessDetails processes;
  ui::MessagePump pump;
  ui::MainWindow form({ip, processes, std::make_shared<WinsockNameService>()}, pump);
  form.Create();
  form.command(ui::kCmdAutoRefresh).checked = false;  // refreshes by hand only
  form.UpdateCommandStates();
  std::wstring database = CountryDatabasePath();
  if (GetFileAttributesW(database.c_str()) == INVALID_FILE_ATTRIBUTES)
    database = L"Z:\\usr\\share\\GeoIP\\GeoIP.dat";
  form.connections().view().SetCountryDatabase([&] { return database; });
  ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  pump.RunPending();
  HWND list = form.listView().hwnd();

  for (uint32_t n : {1000u, 10000u, 50000u}) {
    ip.tcp4.clear();
    for (uint32_t i = 0; i < n; ++i) ip.tcp4.push_back(bench::Endpoint(i));

    // Another view first, so that the connection view is built anew.
    form.viewActions().ShowView(kViewTcp);
    lastTick = longestWait = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, Tick);
    double start = bench::NowMs();
    form.viewActions().ShowView(kViewConnections);
    UpdateWindow(list);
    const double rebuild = bench::NowMs() - start;
    KillTimer(nullptr, timer);

    start = bench::NowMs();
    for (int run = 0; run < 5; ++run) {
      form.viewActions().Refresh();
      UpdateWindow(list);
    }
    const double steady = (bench::NowMs() - start) / 5;

    start = bench::NowMs();
    form.listCommands().SortByColumn(2);
    UpdateWindow(list);
    const double sorted = bench::NowMs() - start;

    start = bench::NowMs();
    for (int page = 0; page < 20; ++page) {
      SendMessageW(list, WM_VSCROLL, SB_PAGEDOWN, 0);
      UpdateWindow(list);
    }
    const double scroll = (bench::NowMs() - start) / 20;

    start = bench::NowMs();
    for (int run = 0; run < 10; ++run) {
      InvalidateRect(list, nullptr, FALSE);
      UpdateWindow(list);
    }
    const double paint = (bench::NowMs() - start) / 10;

    std::printf(
        "window N=%u rebuild_ms=%.1f longest_wait_ms=%.1f steady_ms=%.2f sort_ms=%.1f "
        "scroll_ms=%.2f paint_ms=%.2f\n",
        n, rebuild, longestWait, steady, sorted, scroll, paint);
    std::fflush(stdout);
  }
  return 0;
}
