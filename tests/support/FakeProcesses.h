#pragma once
// Process details without processes, for the view and window tests.

#include <string>

#include "process/ProcessInfo.h"

namespace kestro::test {

// Owner PID n is "proc<n>.exe" at C:\p<n>\proc<n>.exe; PID 0 is not found.
class FakeProcesses : public ProcessDetails {
 public:
  std::wstring ProcessIdToName(DWORD pid) override {
    ++calls;
    return pid ? L"proc" + std::to_wstring(pid) + L".exe" : L"?";
  }
  std::wstring GetProcessPath(DWORD pid) override {
    ++calls;
    return pid ? L"C:\\p" + std::to_wstring(pid) + L"\\proc" + std::to_wstring(pid) + L".exe"
               : L"?";
  }
  std::wstring GetProcessImagePath(DWORD pid) override {
    ++calls;
    return pid ? L"C:\\image" + std::to_wstring(pid) + L".exe" : L"";
  }
  int GetFileIconIndex(const std::wstring& path) override {
    ++calls;
    return path.empty() ? 0 : static_cast<int>(path.size());
  }
  FileVersionInfo ReadFileVersionInfo(const std::wstring& path) override {
    ++calls;
    if (path == L"?") return {};
    return {L"company " + path, L"description " + path, L"1.0", L"product " + path};
  }
  int calls = 0;
};

}  // namespace kestro::test
