#include "LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <utility>
#include <stdexcept>

namespace mirovan::test {

namespace {

constexpr DWORD kReceiveTimeoutMs = 15'000;

class Winsock {
 public:
  Winsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  }
};

SOCKET BoundLoopbackSocket(INTERNET_PORT& port) {
  static Winsock winsock;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot bind a socket on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return s;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string ReceivedRequest::RequestLine() const { return head.substr(0, head.find("\r\n")); }

std::string ReceivedRequest::Header(const std::string& name) const {
  const std::string key = "\r\n" + Lower(name) + ":";
  const std::string lowered = Lower(head);
  std::size_t at = lowered.find(key);
  if (at == std::string::npos || lowered.find(key, at + 1) != std::string::npos) return "";
  std::size_t start = head.find_first_not_of(' ', at + key.size());
  return head.substr(start, head.find("\r\n", start) - start);
}

LoopbackHttpServer::LoopbackHttpServer(std::string answer, std::function<void()> beforeAnswer)
    : answer_(std::move(answer)),
      beforeAnswer_(std::move(beforeAnswer)),
      listener_(BoundLoopbackSocket(port_)) {
  if (listen(listener_, 4) != 0) throw std::runtime_error("listen failed");
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() { Finish(); }

std::vector<ReceivedRequest> LoopbackHttpServer::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) closesocket(std::exchange(listener_, INVALID_SOCKET));
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string LoopbackHttpServer::Redirect(const std::string& location) {
  return "HTTP/1.1 302 Found\r\nLocation: " + location +
         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

std::string LoopbackHttpServer::PlainPage() {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 6\r\n"
         "Connection: close\r\n\r\nthanks";
}

void LoopbackHttpServer::Serve() {
  while (!stop_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait{0, 20'000};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
    SOCKET connection = accept(listener_, nullptr, nullptr);
    if (connection == INVALID_SOCKET) continue;
    ServeConnection(connection);
    closesocket(connection);
  }
}

void LoopbackHttpServer::ServeConnection(SOCKET connection) {
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeoutMs),
             sizeof(kReceiveTimeoutMs));
  std::string data;
  std::size_t headEnd = std::string::npos, bodyLength = 0;
  ReceivedRequest request;
  char buffer[65536];
  for (;;) {
    if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
      headEnd += 4;
      request.head = data.substr(0, headEnd);
      const std::string length = request.Header("Content-Length");
      bodyLength = length.empty() ? 0 : std::stoul(length);
    }
    if (headEnd != std::string::npos && data.size() - headEnd >= bodyLength) break;
    int got = recv(connection, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    data.append(buffer, static_cast<std::size_t>(got));
  }
  if (data.empty()) return;
  if (headEnd == std::string::npos) {
    request.head = data;
  } else {
    request.body = data.substr(headEnd);
    request.complete = request.body.size() == bodyLength;
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
  }
  if (!request.complete) return;
  if (beforeAnswer_) beforeAnswer_();
  send(connection, answer_.data(), static_cast<int>(answer_.size()), 0);
  shutdown(connection, SD_SEND);
}

INTERNET_PORT UnusedPort() {
  INTERNET_PORT port = 0;
  closesocket(BoundLoopbackSocket(port));
  return port;
}

}  // namespace mirovan::test
