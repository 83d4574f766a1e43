#pragma once
// A name service whose reverse lookups (NI_NAMEREQD) answer from a script and
// wait, if asked to, until the test lets them finish; numeric conversion and
// service names come from Winsock, as in production.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "net/NameService.h"

namespace kestro::test {

class ScriptedNameService : public NameService {
 public:
  // `hostName` is what QueryHostName gives: the local host's name.
  explicit ScriptedNameService(std::wstring hostName = L"test-host")
      : hostName(std::move(hostName)) {}

  struct Answer {
    int code = 0;       // 0: success
    std::wstring name;  // on success
  };

  // Reverse lookups of `address` (numeric text) answer `answer`; addresses
  // without a script fail with WSAHOST_NOT_FOUND.
  void Script(const std::wstring& address, Answer answer);
  // While held, reverse lookups wait in the service until released.
  void Hold();
  void Release();
  // Each reverse lookup then also sleeps a pseudo-random 0 to `maxMs` ms.
  void SetRandomDelay(int maxMs);
  // Reverse lookups that have entered the service (held or not).
  int ReverseCalls();
  // Waits until `count` reverse lookups have entered; false on timeout.
  bool WaitForReverseCalls(int count, DWORD timeoutMs);

  int QueryNameInfo(const EndpointAddress& address, int flags, std::wstring* host,
                    std::wstring* service) override;
  int QueryHostName(std::wstring& name) override;

  std::wstring hostName = L"test-host";

 private:
  WinsockNameService winsock_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::map<std::wstring, Answer> answers_;
  bool held_ = false;
  int maxDelayMs_ = 0;
  unsigned delaySeed_ = 1;
  int reverseCalls_ = 0;
};

// Waits until every lookup thread has ended; false on timeout.
bool WaitForLookupThreads(DWORD timeoutMs);

}  // namespace kestro::test
