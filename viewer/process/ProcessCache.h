#pragma once
// The owners of a refresh's new rows, answered from one process snapshot per
// refresh cycle: a row gets what the lookups of ProcessDetails give for its
// PID, but the costly ones (the module snapshot behind the path, the version
// data) run once per process and program file, not once per row.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "process/ProcessInfo.h"

namespace kestro {

// What the connection view shows of an endpoint's owner.
struct OwnerDetails {
  std::wstring name;        // ProcessIdToName
  std::wstring path;        // GetProcessPath
  std::wstring imagePath;   // GetProcessImagePath
  FileVersionInfo version;  // ReadFileVersionInfo of the path
};

class ProcessDetailsCache {
 public:
  explicit ProcessDetailsCache(ProcessDetails& details) : details_(details) {}

  // A new refresh cycle: the next Owner takes a new process snapshot.
  void NewCycle();
  // The owner `pid` has in this cycle's snapshot. A process is known again by
  // its PID, snapshot name and image path; a PID that reappears with another
  // program, or that was missing from a snapshot meanwhile, is looked up anew.
  const OwnerDetails& Owner(DWORD pid);
  // GetFileIconIndex, once per path in a cycle (each call also enables the
  // debug privilege, which the end-process command turns off).
  int Icon(const std::wstring& path);

 private:
  struct Process {
    OwnerDetails owner;
    uint32_t cycle = 0;  // the cycle whose snapshot it was last checked against
  };
  void TakeSnapshot();
  const FileVersionInfo& VersionOf(const std::wstring& path);

  ProcessDetails& details_;
  uint32_t cycle_ = 1;
  bool snapshotTaken_ = false;
  ProcessNames names_;
  std::unordered_map<DWORD, Process> processes_;
  std::unordered_map<std::wstring, FileVersionInfo> versions_;  // by program file
  std::unordered_map<std::wstring, int> icons_;                 // this cycle's
};

}  // namespace kestro
