#include "support/WhoisPeer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace kestro::test {

namespace {

class Winsock {
 public:
  Winsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  }
  ~Winsock() { WSACleanup(); }
};

void StartWinsock() { static Winsock winsock; }

std::runtime_error SocketFailure(const char* what) {
  return std::runtime_error(std::string(what) + " failed, error " +
                            std::to_string(WSAGetLastError()));
}

// A socket bound to the loopback address of `family` on a free port.
UniqueSocket BoundLoopbackSocket(int family, USHORT& port) {
  StartWinsock();
  UniqueSocket s(socket(family, SOCK_STREAM, IPPROTO_TCP));
  if (!s) throw SocketFailure("socket");
  sockaddr_storage address = {};
  int length = 0;
  if (family == AF_INET6) {
    auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
    v6.sin6_family = AF_INET6;
    v6.sin6_addr = in6addr_loopback;
    length = sizeof v6;
  } else {
    auto& v4 = reinterpret_cast<sockaddr_in&>(address);
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof v4;
  }
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if (bind(s.get(), raw, length) != 0) throw SocketFailure("bind");
  if (getsockname(s.get(), raw, &length) != 0) throw SocketFailure("getsockname");
  port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(address).sin6_port
                                  : reinterpret_cast<sockaddr_in&>(address).sin_port);
  return s;
}

bool Readable(SOCKET socket, long timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket, &readable);
  timeval pause = {0, timeoutMs * 1000};
  return select(0, &readable, nullptr, nullptr, &pause) > 0;
}

}  // namespace

WhoisPeer::WhoisPeer(PeerScript script, int family)
    : script_(std::move(script)), family_(family), listener_(BoundLoopbackSocket(family, port_)) {
  if (listen(listener_.get(), 4) != 0) throw SocketFailure("listen");
  thread_ = std::thread([this] { Serve(); });
}

WhoisPeer::~WhoisPeer() {
  stop_ = true;
  thread_.join();
}

std::wstring WhoisPeer::Server() const {
  return (family_ == AF_INET6 ? L"[::1]:" : L"127.0.0.1:") + std::to_wstring(port_);
}

std::vector<std::string> WhoisPeer::Queries() const {
  std::lock_guard lock(mutex_);
  return queries_;
}

bool WhoisPeer::WaitForQueries(size_t count, DWORD timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return queries_.size() >= count; });
}

bool WhoisPeer::WaitForClientCloses(size_t count, DWORD timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return clientCloses_ >= count; });
}

bool WhoisPeer::WaitReadable(SOCKET socket) const {
  while (!stop_) {
    if (Readable(socket, 20)) return true;
  }
  return false;
}

void WhoisPeer::Serve() {
  while (WaitReadable(listener_.get())) {
    UniqueSocket connection(accept(listener_.get(), nullptr, nullptr));
    if (connection) ServeConnection(connection.get());
  }
}

void WhoisPeer::ServeConnection(SOCKET connection) {
  std::string query;
  char buffer[512];
  while (query.find("\r\n") == std::string::npos) {
    if (!WaitReadable(connection)) return;
    int received = recv(connection, buffer, sizeof buffer, 0);
    if (received <= 0) break;
    query.append(buffer, static_cast<size_t>(received));
  }
  {
    std::lock_guard lock(mutex_);
    queries_.push_back(query);
  }
  changed_.notify_all();

  for (const std::string& piece : script_.answer) {
    if (script_.pauseMs != 0 && ClientClosedWithin(connection, script_.pauseMs)) return;
    if (send(connection, piece.data(), static_cast<int>(piece.size()), 0) == SOCKET_ERROR) return;
  }
  switch (script_.end) {
    case PeerScript::End::Reset: {
      linger abort = {1, 0};
      setsockopt(connection, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
      return;  // closed by the caller, without the orderly end
    }
    case PeerScript::End::Close:
      shutdown(connection, SD_SEND);
      break;
    case PeerScript::End::Hold:
      break;
  }
  // Nothing more is said; the client's close ends the connection.
  ClientClosedWithin(connection, INFINITE);
}

bool WhoisPeer::ClientClosedWithin(SOCKET connection, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (ULONGLONG now = GetTickCount64(); !stop_ && (timeoutMs == INFINITE || now < deadline);
       now = GetTickCount64()) {
    const long slice =
        timeoutMs == INFINITE ? 20 : static_cast<long>(std::min<ULONGLONG>(20, deadline - now));
    if (!Readable(connection, slice)) continue;
    char buffer[512];
    if (recv(connection, buffer, sizeof buffer, 0) <= 0) {
      {
        std::lock_guard lock(mutex_);
        ++clientCloses_;
      }
      changed_.notify_all();
      return true;
    }
  }
  return false;
}

USHORT UnusedPort() {
  USHORT port = 0;
  BoundLoopbackSocket(AF_INET, port);  // closed again at once
  return port;
}

}  // namespace kestro::test
