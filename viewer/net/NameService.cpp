#include "net/NameService.h"

#include <ws2tcpip.h>

#include "win/Text.h"

namespace kestro {

WinsockNameService::WinsockNameService() {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockNameService::~WinsockNameService() {
  if (started_) WSACleanup();
}

int WinsockNameService::QueryNameInfo(const EndpointAddress& address, int flags, std::wstring* host,
                                      std::wstring* service) {
  wchar_t hostBuffer[NI_MAXHOST] = {};  // 1025
  wchar_t serviceBuffer[32] = {};
  int result = GetNameInfoW(address.AsSockaddr(), address.SockaddrLength(),
                            host ? hostBuffer : nullptr, host ? NI_MAXHOST : 0,
                            service ? serviceBuffer : nullptr, service ? 32 : 0, flags);
  if (result != 0) return result;
  if (host) *host = hostBuffer;
  if (service) *service = serviceBuffer;
  return 0;
}

int WinsockNameService::QueryHostName(std::wstring& name) {
  char buffer[1025] = {};
  if (gethostname(buffer, sizeof buffer) != 0) return WSAGetLastError();
  name = WidenField(buffer, sizeof buffer);
  return 0;
}

}  // namespace kestro
