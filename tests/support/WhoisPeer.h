#pragma once
// A WHOIS server on the loopback address and a free port, on its own thread.
// It takes connections one after another, records each query as received
// (through its CR LF) and answers as its script says.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "win/Handle.h"

namespace kestro::test {

struct PeerScript {
  enum class End {
    Close,  // end of data after the answer; the client closes
    Reset,  // abort the connection after the answer
    Hold,   // never say more; wait for the client to give up
  };
  std::vector<std::string> answer;  // sent piece by piece after the query
  DWORD pauseMs = 0;                // before each piece
  End end = End::Close;
};

class WhoisPeer {
 public:
  // AF_INET listens on 127.0.0.1, AF_INET6 on ::1. Throws std::runtime_error
  // with the reason when it cannot listen there.
  explicit WhoisPeer(PeerScript script, int family = AF_INET);
  ~WhoisPeer();
  WhoisPeer(const WhoisPeer&) = delete;
  WhoisPeer& operator=(const WhoisPeer&) = delete;

  // The server text that names this peer: "127.0.0.1:port" or "[::1]:port".
  std::wstring Server() const;
  USHORT Port() const { return port_; }

  // Every query received so far, its bytes as they came.
  std::vector<std::string> Queries() const;
  // Waits until `count` queries have arrived, at most `timeoutMs`.
  bool WaitForQueries(size_t count, DWORD timeoutMs) const;
  // Waits until the client has closed `count` connections, at most `timeoutMs`.
  bool WaitForClientCloses(size_t count, DWORD timeoutMs) const;

 private:
  void Serve();
  void ServeConnection(SOCKET connection);
  // False when the peer stops first.
  bool WaitReadable(SOCKET socket) const;
  // Discards what the client sends until it closes (true, counted) or
  // `timeoutMs` (INFINITE: until the peer stops) passes.
  bool ClientClosedWithin(SOCKET connection, DWORD timeoutMs);

  PeerScript script_;
  int family_;
  USHORT port_ = 0;
  UniqueSocket listener_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> queries_;
  size_t clientCloses_ = 0;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
USHORT UnusedPort();

}  // namespace kestro::test
