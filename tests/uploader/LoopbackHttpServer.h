#pragma once
// A small HTTP server on 127.0.0.1 and a free port, on its own thread: it
// records each request as received and answers with fixed bytes.

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mirovan::test {

struct ReceivedRequest {
  std::string head;  // request line and header lines, through the blank line
  std::string body;
  bool complete = false;  // the whole announced body arrived

  std::string RequestLine() const;
  // The value of the only header of that name; "" when absent.
  std::string Header(const std::string& name) const;
};

class LoopbackHttpServer {
 public:
  // beforeAnswer runs on the server's thread once a whole request has
  // arrived, before the answer is sent.
  explicit LoopbackHttpServer(std::string answer, std::function<void()> beforeAnswer = {});
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  INTERNET_PORT Port() const { return port_; }
  // Stops the server; every request it has received.
  std::vector<ReceivedRequest> Finish();

  // An answer redirecting to location.
  static std::string Redirect(const std::string& location);
  // A plain page without a Location header.
  static std::string PlainPage();

 private:
  void Serve();
  void ServeConnection(SOCKET connection);

  std::string answer_;
  std::function<void()> beforeAnswer_;
  INTERNET_PORT port_ = 0;  // before listener_, which sets it
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<ReceivedRequest> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
INTERNET_PORT UnusedPort();

}  // namespace mirovan::test
