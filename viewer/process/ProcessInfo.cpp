#include "process/ProcessInfo.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "win/Handle.h"

namespace kestro {

namespace {

// The snapshot entry's executable name of a process; nothing when the
// snapshot cannot be taken or does not list the PID.
std::optional<std::wstring> SnapshotExeName(DWORD pid) {
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry = {sizeof entry};
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == pid) return std::wstring(entry.szExeFile);
  }
  return std::nullopt;
}

// Lower case with the user locale's mapping, not only A to Z.
std::wstring LocaleLower(const std::wstring& text) {
  if (text.empty()) return text;
  std::wstring lower(text.size(), L'\0');
  int length =
      LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                   lower.data(), static_cast<int>(lower.size()));
  lower.resize(static_cast<size_t>(length));
  return lower;
}

using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);

// psapi's entry point, bound at the first call and kept; tried again at the
// next call when the library cannot be loaded.
GetModuleFileNameExFn ModuleFileNameFunction() {
  static GetModuleFileNameExFn function = nullptr;
  if (function == nullptr) {
    if (HMODULE psapi = LoadLibraryW(L"PSAPI.dll"))
      function = reinterpret_cast<GetModuleFileNameExFn>(
          reinterpret_cast<void*>(GetProcAddress(psapi, "GetModuleFileNameExW")));
  }
  return function;
}

using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

// The program file through a handle with the limited query right: it answers
// where the module list cannot be read (a 64-bit process seen from the 32-bit
// viewer, a service seen without administrator rights, a process that has not
// started yet). Looked up at run time, since Windows XP lacks it.
std::optional<std::wstring> FullImageName(DWORD pid) {
  static const auto query = reinterpret_cast<QueryFullProcessImageNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
  if (query == nullptr) return std::nullopt;
  UniqueHandleNull process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return std::nullopt;
  std::wstring path(32768, L'\0');  // the longest path the system has
  DWORD length = static_cast<DWORD>(path.size());
  if (!query(process.get(), 0, path.data(), &length) || length == 0) return std::nullopt;
  path.resize(length);
  return path;
}

// A version-resource text; empty when the value is missing.
std::wstring VersionValue(const std::vector<BYTE>& data, const std::wstring& subBlock) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), subBlock.c_str(), &value, &length) || value == nullptr)
    return {};
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, length));
}

}  // namespace

std::wstring SystemProcessDetails::ProcessIdToName(DWORD pid) {
  return SnapshotExeName(pid).value_or(L"?");
}

std::wstring SystemProcessDetails::GetProcessPath(DWORD pid) {
  std::optional<std::wstring> exeName = SnapshotExeName(pid);
  return exeName ? MainModulePath(pid, *exeName) : L"?";
}

ProcessNames SystemProcessDetails::SnapshotProcessNames() {
  ProcessNames names;
  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return names;
  PROCESSENTRY32W entry = {sizeof entry};
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    // A PID listed twice keeps its first entry, the one a walk for it finds.
    names.emplace(entry.th32ProcessID, entry.szExeFile);
  }
  return names;
}

std::wstring SystemProcessDetails::MainModulePath(DWORD pid, const std::wstring& exeName) {
  UniqueFileHandle modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
  if (modules) {
    const std::wstring wanted = LocaleLower(exeName);
    MODULEENTRY32W entry = {sizeof entry};
    for (BOOL more = Module32FirstW(modules.get(), &entry); more;
         more = Module32NextW(modules.get(), &entry)) {
      if (LocaleLower(entry.szModule) == wanted) return entry.szExePath;
    }
  }
  return FullImageName(pid).value_or(exeName);
}

std::wstring SystemProcessDetails::GetProcessImagePath(DWORD pid) {
  UniqueHandleNull process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  GetModuleFileNameExFn moduleFileName = ModuleFileNameFunction();
  if (process && moduleFileName != nullptr) {
    wchar_t path[MAX_PATH] = {};
    if (moduleFileName(process.get(), nullptr, path, MAX_PATH) > 0)
      return std::wstring(path, wcsnlen(path, MAX_PATH));
  }
  return FullImageName(pid).value_or(std::wstring());
}

int SystemProcessDetails::GetFileIconIndex(const std::wstring& path) {
  SetProcessPrivilege(L"SeDebugPrivilege", true);
  // By the name only: the shell does not open the file, so every ".exe" gets
  // the generic program icon and unreadable paths work like any other.
  SHFILEINFOW info = {};
  SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
  return info.iIcon;
}

FileVersionInfo SystemProcessDetails::ReadFileVersionInfo(const std::wstring& path) {
  FileVersionInfo result;
  if (SHGetFileInfoW(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE) == 0) return result;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return result;
  std::vector<BYTE> data(size);
  if (GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
    void* translations = nullptr;
    UINT length = 0;
    // Only the first translation counts.
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &translations, &length) &&
        translations != nullptr && length >= sizeof(DWORD)) {
      const auto* first = static_cast<const WORD*>(translations);
      wchar_t prefix[40];
      swprintf(prefix, 40, L"\\StringFileInfo\\%04X%04X\\", first[0], first[1]);
      result.CompanyName = VersionValue(data, prefix + std::wstring(L"CompanyName"));
      result.FileDescription = VersionValue(data, prefix + std::wstring(L"FileDescription"));
      result.FileVersion = VersionValue(data, prefix + std::wstring(L"FileVersion"));
      result.ProductName = VersionValue(data, prefix + std::wstring(L"ProductName"));
    }
  }
  SetProcessPrivilege(L"SeDebugPrivilege", true);
  return result;
}

HIMAGELIST SystemSmallImageList() {
  SHFILEINFOW info = {};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

bool SetProcessPrivilege(const std::wstring& privilege, bool enable) {
  HANDLE rawToken = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken);
  UniqueHandleNull token(rawToken);
  TOKEN_PRIVILEGES privileges = {};
  if (!LookupPrivilegeValueW(nullptr, privilege.c_str(), &privileges.Privileges[0].Luid))
    return false;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  TOKEN_PRIVILEGES previous = {};
  DWORD previousLength = 0;
  // Succeeds also when the account lacks the privilege; that is not told apart.
  return AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof previous, &previous,
                               &previousLength) != FALSE;
}

}  // namespace kestro
