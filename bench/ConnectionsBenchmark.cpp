// Feeds N synthetic TCP endpoints through the connection view's refresh: the
// scripted table source, the in-memory list, the production message pump,
// process details and the country database. Prints one line per N:
//   connections N=<n> rebuild_ms=<x> steady_ms=<y> churn_ms=<z>
// steady: nothing changed; churn: 10 % of the endpoints replaced by new ones.
// Then `list N=<n> sort_ms=<x>`: one click on a column header of that list.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "geo/GeoIP.h"
#include "net/NameService.h"
#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "process/ProcessInfo.h"
#include "Synthetic.h"
#include "support/ScriptedIpHelper.h"
#include "ui/base/MessagePump.h"
#include "views/ConnectionsView.h"
#include "views/ListPresentation.h"

using namespace kestro;

namespace {

class PumpEvents : public ViewEvents {
 public:
  void ProcessPendingMessages() override { pump.RunPending(); }
  bool PendingMessagesDue() override { return pump.Due(); }
  ui::MessagePump pump;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  test::ScriptedIpHelper ip;
  TableReader tables(ip);
  ListModel list;
  list.SetDeletionHook(OnRowDeleted);
  ViewState state;
  state.Ready = true;
  PumpEvents events;
  SystemProcessDetails processes;
  NameResolver names(std::make_shared<WinsockNameService>());
  ConnectionsView view(list, processes, names, [] { return ConnectionOptions{}; });
  std::wstring database = CountryDatabasePath();
  if (GetFileAttributesW(database.c_str()) == INVALID_FILE_ATTRIBUTES)
    database = L"Z:\\usr\\share\\GeoIP\\GeoIP.dat";  // not installed: Debian's copy
  view.SetCountryDatabase([&] { return database; });
  ViewContext context{list, tables, state, events};

  for (uint32_t n : {1000u, 10000u, 50000u}) {
    ip.tcp4.clear();
    for (uint32_t i = 0; i < n; ++i) ip.tcp4.push_back(bench::Endpoint(i));
    uint32_t next = n;

    list.DeleteAllRows();
    list.ClearColumns();
    double start = bench::NowMs();
    view.Update(context, true);
    const double rebuild = bench::NowMs() - start;

    std::vector<double> steady;
    for (int run = 0; run < 7; ++run) {
      start = bench::NowMs();
      view.Update(context, false);
      steady.push_back(bench::NowMs() - start);
    }

    std::vector<double> churn;
    for (int run = 0; run < 3; ++run) {
      for (uint32_t i = run; i < n; i += 10) ip.tcp4[i] = bench::Endpoint(next++);
      start = bench::NowMs();
      view.Update(context, false);
      churn.push_back(bench::NowMs() - start);
    }
    ListSortState sort;
    start = bench::NowMs();
    SortByColumn(list, sort, 2);  // remote addresses, the widest variety
    const double sorted = bench::NowMs() - start;

    if (list.RowCount() != n)
      std::printf("error: %u rows for %u endpoints\n", static_cast<unsigned>(list.RowCount()), n);
    std::printf("connections N=%u rebuild_ms=%.1f steady_ms=%.2f churn_ms=%.1f\n", n, rebuild,
                Median(steady), Median(churn));
    std::printf("list N=%u sort_ms=%.1f\n", n, sorted);
    std::fflush(stdout);
  }
  return 0;
}
