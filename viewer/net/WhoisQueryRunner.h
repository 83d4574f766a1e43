#pragma once
// WHOIS queries off the user-interface thread, so that the viewer keeps
// refreshing while a server takes its time. Each query runs on a thread of its
// own; its outcome reaches the owner on the user-interface thread, and only if
// no later query has started meanwhile.

#include <functional>
#include <memory>
#include <string>

#include "net/Whois.h"

namespace kestro {

struct WhoisOutcome {
  bool answered = false;  // the server's answer, or else an error
  std::wstring text;      // the answer as it came, or the error's text
};

class WhoisQueryRunner {
 public:
  // Called on the user-interface thread with the outcome of the latest query.
  // It must not throw.
  using Done = std::function<void(const WhoisOutcome& outcome)>;

  // Create it on the user-interface thread: outcomes arrive through that
  // thread's message loop.
  explicit WhoisQueryRunner(Done done, WhoisTimeouts timeouts = {});
  // Cancels the queries still running and waits for their threads, which end
  // promptly (a name still being resolved ends with the system's resolver).
  // Nothing is delivered afterwards.
  ~WhoisQueryRunner();
  WhoisQueryRunner(const WhoisQueryRunner&) = delete;
  WhoisQueryRunner& operator=(const WhoisQueryRunner&) = delete;

  // Queries `server` for `address` (trimmed by the exchange). A query still
  // running is cancelled: its outcome never arrives.
  void Start(std::wstring server, std::wstring address);
  // Cancels the query still running, if any: its outcome never arrives.
  void Cancel();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestro
