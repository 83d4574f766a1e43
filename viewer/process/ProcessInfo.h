#pragma once
// Who owns an endpoint: the process's executable name, its program file, that
// file's icon in the shell's system image list and its version texts. Every
// lookup keeps no state and never fails loudly: failures give fixed fallbacks.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>

namespace kestro {

// One process snapshot: each PID with its executable file name.
using ProcessNames = std::unordered_map<DWORD, std::wstring>;

// Four texts of a program file's version resource; each empty when missing.
struct FileVersionInfo {
  std::wstring CompanyName;
  std::wstring FileDescription;
  std::wstring FileVersion;
  std::wstring ProductName;
};

// The seam to toolhelp, psapi, the version resources and the shell.
class ProcessDetails {
 public:
  virtual ~ProcessDetails() = default;

  // The executable file name from the process snapshot; "?" when the PID is
  // not in it.
  virtual std::wstring ProcessIdToName(DWORD pid) = 0;
  // The main module's full path; when the modules cannot be listed or none
  // carries that name, the program file the system names for the process, or
  // else the bare executable name; "?" when the PID is unknown.
  virtual std::wstring GetProcessPath(DWORD pid) = 0;
  // Every process of one snapshot with the name ProcessIdToName gives; empty
  // when the snapshot cannot be taken.
  virtual ProcessNames SnapshotProcessNames() = 0;
  // GetProcessPath of a process whose snapshot name is already known.
  virtual std::wstring MainModulePath(DWORD pid, const std::wstring& exeName) = 0;
  // The main module's path through the process handle, or else the program
  // file the system names for the process; empty when neither answers.
  virtual std::wstring GetProcessImagePath(DWORD pid) = 0;
  // Index of the file type's icon (by name only) in the system image list.
  virtual int GetFileIconIndex(const std::wstring& path) = 0;
  // The four texts of the file's first translation; all empty for a file that
  // is no executable, has no version data or no translation table.
  virtual FileVersionInfo ReadFileVersionInfo(const std::wstring& path) = 0;
};

// The real platform.
class SystemProcessDetails final : public ProcessDetails {
 public:
  std::wstring ProcessIdToName(DWORD pid) override;
  std::wstring GetProcessPath(DWORD pid) override;
  ProcessNames SnapshotProcessNames() override;
  std::wstring MainModulePath(DWORD pid, const std::wstring& exeName) override;
  std::wstring GetProcessImagePath(DWORD pid) override;
  int GetFileIconIndex(const std::wstring& path) override;
  FileVersionInfo ReadFileVersionInfo(const std::wstring& path) override;
};

// The shell's system image list of small icons, which GetFileIconIndex indexes.
// Owned by the shell (never destroy it). The window binds it as the connection
// list's small image list (LVSIL_SMALL) once a connection row exists.
HIMAGELIST SystemSmallImageList();

// Enables or disables a privilege (e.g. L"SeDebugPrivilege") in the process
// token. True when the adjustment call succeeded, which it also does when the
// account lacks the privilege.
bool SetProcessPrivilege(const std::wstring& privilege, bool enable);

}  // namespace kestro
