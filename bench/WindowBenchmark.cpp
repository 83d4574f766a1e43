// The main window showing N synthetic TCP endpoints (scripted tables, the
// real process details and country database). Prints one line per N:
//   window N=<n> rebuild_ms=<x> longest_wait_ms=<w> steady_ms=<y> sort_ms=<s>
//          sort_wait_ms=<v> scroll_ms=<c> paint_ms=<p>
// and at the end `window peak_memory_mb=<m>`, the process's peak working set.
// longest_wait: the longest time a 1 ms timer waited during the rebuild, that
// is how long the window could not answer; sort: a header click until the
// list shows the new order, repainted; sort_wait: the timer's longest wait
// during it; scroll: one page down with its repaint (mean of 20); paint: a
// repaint of the whole list (mean of 10). --short: N=200 only, as the tests
// run it; a wrong row count fails the run.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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
  longestWait = std::max(longestWait, now - lastTick);
  lastTick = now;
}

}  // namespace

int main(int argc, char** argv) {
  const bool brief = argc > 1 && std::string(argv[1]) == "--short";
  const std::vector<uint32_t> sizes =
      brief ? std::vector<uint32_t>{200} : std::vector<uint32_t>{1000, 10000, 50000};
  int failures = 0;
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

  for (uint32_t n : sizes) {
    ip.tcp4.clear();
    for (uint32_t i = 0; i < n; ++i) ip.tcp4.push_back(bench::Endpoint(i));

    // Another view first, so that the connection view is built anew.
    form.viewActions().ShowView(kViewTcp);
    lastTick = bench::NowMs();  // the wait until the first tick counts too
    longestWait = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, Tick);
    double start = bench::NowMs();
    form.viewActions().ShowView(kViewConnections);
    UpdateWindow(list);
    const double rebuild = bench::NowMs() - start;
    KillTimer(nullptr, timer);
    const double rebuildWait = longestWait;

    start = bench::NowMs();
    for (int run = 0; run < 5; ++run) {
      form.viewActions().Refresh();
      UpdateWindow(list);
    }
    const double steady = (bench::NowMs() - start) / 5;

    // The new order shows when the first row changes (remote addresses are
    // in table order before the click).
    wchar_t before[64] = {};
    ListView_GetItemText(list, 0, 2, before, 64);
    lastTick = bench::NowMs();  // the wait until the first tick counts too
    longestWait = 0;
    const UINT_PTR sortTimer = SetTimer(nullptr, 0, 1, Tick);
    start = bench::NowMs();
    form.listCommands().SortByColumn(2);
    for (wchar_t first[64] = {}; bench::NowMs() - start < 30000;) {
      pump.RunPending();
      ListView_GetItemText(list, 0, 2, first, 64);
      if (wcscmp(first, before) != 0) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    UpdateWindow(list);
    const double sorted = bench::NowMs() - start;
    KillTimer(nullptr, sortTimer);
    const double sortWait = longestWait;

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

    if (ListView_GetItemCount(list) != static_cast<int>(n)) {
      std::printf("error: %d rows for %u endpoints\n", ListView_GetItemCount(list), n);
      ++failures;
    }
    std::printf(
        "window N=%u rebuild_ms=%.1f longest_wait_ms=%.1f steady_ms=%.2f sort_ms=%.1f "
        "sort_wait_ms=%.1f scroll_ms=%.2f paint_ms=%.2f\n",
        n, rebuild, rebuildWait, steady, sorted, sortWait, scroll, paint);
    std::fflush(stdout);
  }
  PROCESS_MEMORY_COUNTERS memory = {sizeof memory};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("window peak_memory_mb=%.1f\n",
              static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0));
  return failures ? 1 : 0;
}
