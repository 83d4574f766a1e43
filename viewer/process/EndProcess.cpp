#include "process/EndProcess.h"

#include <string>

#include "process/ProcessInfo.h"
#include "win/Handle.h"

namespace kestro {

namespace {

bool SameFileName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool RunsProgram(HANDLE process, std::wstring_view programName) {
  // A process that has ended may live on as long as someone holds a handle.
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process, &exitCode) || exitCode != STILL_ACTIVE) return false;
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, path, &length)) return false;
  return SameFileName(ExecutableName({path, length}), ExecutableName(programName));
}

}  // namespace

std::wstring_view ExecutableName(std::wstring_view text) {
  const size_t separator = text.find_last_of(L"\\:");
  return separator == std::wstring_view::npos ? text : text.substr(separator + 1);
}

bool TerminateProcessById(DWORD pid, std::wstring_view programName) {
  if (pid == 0 || ExecutableName(programName).empty()) return false;
  if (!SetProcessPrivilege(L"SeDebugPrivilege", true)) return false;
  bool ended = false;
  {
    const UniqueHandleNull process(OpenProcess(
        STANDARD_RIGHTS_REQUIRED | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
        pid));
    if (process && RunsProgram(process.get(), programName))
      ended = TerminateProcess(process.get(), 1) != FALSE;
  }
  SetProcessPrivilege(L"SeDebugPrivilege", false);
  return ended;
}

}  // namespace kestro
