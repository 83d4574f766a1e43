#include "support/ScriptedNameService.h"

#include <ws2tcpip.h>

#include <chrono>

#include "net/NameLookupThread.h"

namespace kestro::test {

void ScriptedNameService::Script(const std::wstring& address, Answer answer) {
  std::lock_guard guard(lock_);
  answers_[address] = std::move(answer);
}

void ScriptedNameService::Hold() {
  std::lock_guard guard(lock_);
  held_ = true;
}

void ScriptedNameService::Release() {
  {
    std::lock_guard guard(lock_);
    held_ = false;
  }
  changed_.notify_all();
}

void ScriptedNameService::SetRandomDelay(int maxMs) {
  std::lock_guard guard(lock_);
  maxDelayMs_ = maxMs;
}

int ScriptedNameService::ReverseCalls() {
  std::lock_guard guard(lock_);
  return reverseCalls_;
}

bool ScriptedNameService::WaitForReverseCalls(int count, DWORD timeoutMs) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                           [&] { return reverseCalls_ >= count; });
}

int ScriptedNameService::QueryNameInfo(const EndpointAddress& address, int flags,
                                       std::wstring* host, std::wstring* service) {
  if ((flags & NI_NAMEREQD) == 0) return winsock_.QueryNameInfo(address, flags, host, service);
  std::wstring numeric;
  winsock_.QueryNameInfo(address, NI_NUMERICHOST, &numeric, nullptr);
  std::unique_lock guard(lock_);
  ++reverseCalls_;
  changed_.notify_all();
  changed_.wait(guard, [&] { return !held_; });
  if (maxDelayMs_ > 0) {
    delaySeed_ = delaySeed_ * 1103515245u + 12345u;
    const DWORD delay = (delaySeed_ >> 16) % static_cast<unsigned>(maxDelayMs_ + 1);
    guard.unlock();
    Sleep(delay);
    guard.lock();
  }
  auto answer = answers_.find(numeric);
  if (answer == answers_.end()) return WSAHOST_NOT_FOUND;
  if (answer->second.code == 0 && host) *host = answer->second.name;
  return answer->second.code;
}

int ScriptedNameService::QueryHostName(std::wstring& name) {
  name = hostName;
  return 0;
}

bool WaitForLookupThreads(DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (NameLookupThread::LiveCount() != 0) {
    if (GetTickCount64() >= end) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace kestro::test
