// A process that holds one loopback connection open until it is ended: the
// end-process test starts two copies of it. Argument: the port to connect to.
#include <winsock2.h>
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 2;
  SOCKET peer = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<u_short>(_wtoi(argv[1])));
  server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(peer, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) return 3;
  // The test ends it, or its end of the connection closes.
  char byte;
  recv(peer, &byte, 1, 0);
  return 0;
}
