#pragma once
// Process details without processes, for the view and window tests.

#include <map>
#include <set>
#include <string>

#include "process/ProcessInfo.h"

namespace kestro::test {

// PIDs 1 to 64 run: PID n is "proc<n>.exe" at C:\p<n>\proc<n>.exe, with image
// path C:\image<n>.exe, unless `programs` names another program for it (a PID
// reused: program "x" is "x.exe" at C:\x\x.exe, image C:\x.exe). PID 0,
// higher PIDs and those in `ended` are not found.
class FakeProcesses : public ProcessDetails {
 public:
  std::wstring ProcessIdToName(DWORD pid) override {
    ++calls;
    return Runs(pid) ? Program(pid) + L".exe" : L"?";
  }
  std::wstring GetProcessPath(DWORD pid) override {
    ++calls;
    return Runs(pid) ? Path(pid) : L"?";
  }
  ProcessNames SnapshotProcessNames() override {
    ++calls;
    ++snapshots;
    ProcessNames names;
    for (DWORD pid = 1; pid <= kHighestPid; ++pid)
      if (Runs(pid)) names.emplace(pid, Program(pid) + L".exe");
    return names;
  }
  std::wstring MainModulePath(DWORD pid, const std::wstring& exeName) override {
    ++calls;
    ++modulePaths;
    return Runs(pid) && exeName == Program(pid) + L".exe" ? Path(pid) : exeName;
  }
  std::wstring GetProcessImagePath(DWORD pid) override {
    ++calls;
    if (!Runs(pid)) return L"";
    auto named = programs.find(pid);
    return named != programs.end() ? L"C:\\" + named->second + L".exe"
                                   : L"C:\\image" + std::to_wstring(pid) + L".exe";
  }
  int GetFileIconIndex(const std::wstring& path) override {
    ++calls;
    return path.empty() ? 0 : static_cast<int>(path.size());
  }
  FileVersionInfo ReadFileVersionInfo(const std::wstring& path) override {
    ++calls;
    ++versionReads;
    if (path == L"?") return {};
    return {L"company " + path, L"description " + path, L"1.0", L"product " + path};
  }

  static constexpr DWORD kHighestPid = 64;
  std::map<DWORD, std::wstring> programs;
  std::set<DWORD> ended;
  int calls = 0;
  int snapshots = 0;
  int modulePaths = 0;
  int versionReads = 0;

 private:
  bool Runs(DWORD pid) const { return pid != 0 && pid <= kHighestPid && !ended.count(pid); }
  std::wstring Program(DWORD pid) const {
    auto named = programs.find(pid);
    return named != programs.end() ? named->second : L"proc" + std::to_wstring(pid);
  }
  std::wstring Path(DWORD pid) const {
    auto named = programs.find(pid);
    if (named != programs.end()) return L"C:\\" + named->second + L"\\" + named->second + L".exe";
    return L"C:\\p" + std::to_wstring(pid) + L"\\proc" + std::to_wstring(pid) + L".exe";
  }
};

}  // namespace kestro::test
