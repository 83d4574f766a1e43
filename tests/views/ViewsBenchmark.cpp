// Prints how long the table views take to build and to refresh with N rows of
// scripted tables (no window): the ARP view of the newer source and the route
// view of the older source (one address-table fetch per new IPv4 route row).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ViewFixture.h"
#include "views/AddressViews.h"

namespace kestro::test {
namespace {

class Bench : public ViewFixture {
 public:
  void TestBody() override {}
  double Time(UpdateFn update, bool rebuild) {
    auto start = std::chrono::steady_clock::now();
    Run(update, rebuild);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  }
  void Arp(unsigned n) {
    api.ipNet2.clear();
    for (unsigned i = 0; i < n; ++i) {
      MIB_IPNET_ROW2 row{};
      row.Address.si_family = AF_INET;
      row.Address.Ipv4.sin_addr.s_addr = htonl(0x0a000000u + i);
      row.InterfaceIndex = 2;
      row.State = NlnsReachable;
      api.ipNet2.push_back(row);
    }
    const double build = Time(UpdateArpView, true);
    api.ipNet2[n / 2].State = NlnsStale;  // one change
    const double refresh = Time(UpdateArpView, false);
    std::printf("ARP view, newer source, %6u rows: build %8.1f ms, refresh %8.1f ms\n", n, build,
                refresh);
  }
  void Routes(unsigned n) {
    api.hasNewerTables = false;
    api.ipAddr.resize(4);
    for (DWORD i = 0; i < 4; ++i) api.ipAddr[i].dwIndex = i, api.ipAddr[i].dwAddr = i + 1;
    api.ipForward.clear();
    for (unsigned i = 0; i < n; ++i) {
      MIB_IPFORWARDROW row{};
      row.dwForwardDest = htonl(0x0a000000u + (i << 8));
      row.dwForwardIfIndex = i % 4;
      api.ipForward.push_back(row);
    }
    const double build = Time(UpdateRouteView, true);
    const double refresh = Time(UpdateRouteView, false);
    std::printf("Route view, older source, %5u rows: build %8.1f ms, refresh %8.1f ms\n", n, build,
                refresh);
  }
};

}  // namespace
}  // namespace kestro::test

// --short: the smallest size only, as the tests run it.
int main(int argc, char** argv) {
  const bool brief = argc > 1 && std::string(argv[1]) == "--short";
  const std::vector<unsigned> sizes =
      brief ? std::vector<unsigned>{100} : std::vector<unsigned>{100, 1000, 5000};
  kestro::test::Bench bench;
  for (unsigned n : sizes) bench.Arp(n);
  for (unsigned n : sizes) bench.Routes(n);
  return 0;
}
