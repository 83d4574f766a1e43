#pragma once
// What the benchmarks share: a millisecond clock and the synthetic endpoints.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstdint>

#include "net/NetUtils.h"

namespace kestro::bench {

inline double NowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Endpoint number `serial`: a distinct local address and port, one of 2,000
// remote hosts (so that countries repeat as they do), one of 40 owners; one
// in seven in TIME_WAIT, the others established.
inline MIB_TCPROW_OWNER_PID Endpoint(uint32_t serial) {
  MIB_TCPROW_OWNER_PID row{};
  row.dwState = serial % 7 ? kTcpEstablished : kTcpTimeWait;
  row.dwLocalAddr = htonl(0x0A000000u | (serial / 50000u));
  row.dwLocalPort = htons(static_cast<u_short>(1024 + serial % 50000u));
  row.dwRemoteAddr =
      htonl(0x50000000u + (serial % 2000u) * 0x00351A07u);  // spread over public ranges
  row.dwRemotePort = htons(443);
  row.dwOwningPid = 4 * (serial % 40u);
  return row;
}

}  // namespace kestro::bench
