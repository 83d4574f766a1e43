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
#include "support/ScriptedIpHelper.h"
#include "ui/MessagePump.h"
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

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Endpoint number `serial`: a distinct local address and port, one of 2,000
// remote hosts (so that countries repeat as they do), one of 40 owners.
MIB_TCPROW_OWNER_PID Endpoint(uint32_t serial) {
  MIB_TCPROW_OWNER_PID row{};
  row.dwState = kTcpEstablished;
  row.dwLocalAddr = htonl(0x0A000000u | (serial / 50000u));
  row.dwLocalPort = htons(static_cast<u_short>(1024 + serial % 50000u));
  const uint32_t host = serial % 2000u;
  row.dwRemoteAddr = htonl(0x50000000u + host * 0x00351A07u);  // spread over public ranges
  row.dwRemotePort = htons(443);
  row.dwOwningPid = 4 * (serial % 40u);
  return row;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  test::ScriptedIpHelper ip;
  TableReader tables(ip);
  ListModel list;
  list.SetDeletionHook(ListViewDeletion);
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
    for (uint32_t i = 0; i < n; ++i) ip.tcp4.push_back(Endpoint(i));
    uint32_t next = n;

    list.DeleteAllRows();
    list.ClearColumns();
    double start = Now();
    view.Update(context, true);
    const double rebuild = Now() - start;

    std::vector<double> steady;
    for (int run = 0; run < 7; ++run) {
      start = Now();
      view.Update(context, false);
      steady.push_back(Now() - start);
    }

    std::vector<double> churn;
    for (int run = 0; run < 3; ++run) {
      for (uint32_t i = run; i < n; i += 10) ip.tcp4[i] = Endpoint(next++);
      start = Now();
      view.Update(context, false);
      churn.push_back(Now() - start);
    }
    ListSortState sort;
    start = Now();
    ListViewColumnClick(list, sort, 2);  // remote addresses, the widest variety
    const double sorted = Now() - start;

    if (list.RowCount() != n)
      std::printf("error: %u rows for %u endpoints\n", static_cast<unsigned>(list.RowCount()), n);
    std::printf("connections N=%u rebuild_ms=%.1f steady_ms=%.2f churn_ms=%.1f\n", n, rebuild,
                Median(steady), Median(churn));
    std::printf("list N=%u sort_ms=%.1f\n", n, sorted);
    std::fflush(stdout);
  }
  return 0;
}
