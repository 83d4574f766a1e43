// Prints what one new connection row costs in address texts, name lookups,
// process details and country lookups. Run under Wine from the build tree:
//   KESTRO_WINEPREFIX=$PWD/wineprefix ../scripts/wine-run.sh tests/details/details_benchmark.exe
#include <ws2tcpip.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/MessageLoop.h"
#include "support/ScriptedNameService.h"
#include "geo/GeoIP.h"
#include "net/EndpointText.h"
#include "process/ProcessInfo.h"

using namespace kestro;

namespace {

double MicrosecondsPerCall(int calls, const std::function<void()>& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) call();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / calls;
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.rfind(L'\\') + 1);
}

}  // namespace

int main() {
  auto service = std::make_shared<test::ScriptedNameService>();
  NameResolver resolver(service);
  uint8_t address[4] = {203, 0, 113, 7};
  EndpointAddressText endpoint = {AF_INET, htons(443), address, 0, false, nullptr, 0};
  std::printf("FormatEndpointCell, numeric:        %8.1f us\n",
              MicrosecondsPerCall(5000, [&] { FormatEndpointCell(resolver, false, endpoint); }));
  std::printf("FormatEndpointCell, with names:     %8.1f us\n",
              MicrosecondsPerCall(5000, [&] { FormatEndpointCell(resolver, true, endpoint); }));

  // Reverse lookups of many rows at once, answered at once by the script.
  const int rows = 2000;
  std::vector<NameLookupState> states(rows);
  std::vector<std::array<uint8_t, 4>> addresses(rows);
  int delivered = 0;
  long mostThreads = 0;
  resolver.SetCompletion([&](RowId row, int code, const std::wstring& name) {
    states[row].Complete(code, name);
    ++delivered;
  });
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rows; ++i) {
    addresses[i] = {10, 1, static_cast<uint8_t>(i / 250), static_cast<uint8_t>(i % 250)};
    EndpointAddressText remote = {AF_INET, htons(80),  addresses[i].data(),  0,
                                  false,   &states[i], static_cast<RowId>(i)};
    FormatEndpointCell(resolver, true, remote);
    mostThreads = std::max(mostThreads, NameLookupThread::LiveCount());
  }
  const auto started = std::chrono::steady_clock::now();
  test::PumpUntil([&] { return delivered == rows; }, 60000);
  const auto done = std::chrono::steady_clock::now();
  using Ms = std::chrono::duration<double, std::milli>;
  std::printf(
      "%d name lookups: started in %.0f ms, all answers applied after %.0f ms, "
      "at most %ld threads alive\n",
      rows, Ms(started - start).count(), Ms(done - start).count(), mostThreads);
  test::WaitForLookupThreads(60000);

  SystemProcessDetails details;
  const DWORD pid = GetCurrentProcessId();
  const std::wstring probe = OwnFolder() + L"two_translations.exe";
  std::printf("ProcessIdToName:                    %8.1f us\n",
              MicrosecondsPerCall(200, [&] { details.ProcessIdToName(pid); }));
  std::printf("GetProcessPath:                     %8.1f us\n",
              MicrosecondsPerCall(200, [&] { details.GetProcessPath(pid); }));
  std::printf("GetProcessImagePath:                %8.1f us\n",
              MicrosecondsPerCall(200, [&] { details.GetProcessImagePath(pid); }));
  std::printf("ReadFileVersionInfo:                %8.1f us\n",
              MicrosecondsPerCall(200, [&] { details.ReadFileVersionInfo(probe); }));
  std::printf("GetFileIconIndex:                   %8.1f us\n",
              MicrosecondsPerCall(200, [&] { details.GetFileIconIndex(probe); }));

  const std::wstring shipped = L"Z:\\usr\\share\\GeoIP\\GeoIP.dat";
  std::printf("GetCountryName (shipped database):  %8.1f us\n",
              MicrosecondsPerCall(2000, [&] { GetCountryName(L"8.8.8.8 :53", shipped); }));
  return 0;
}
