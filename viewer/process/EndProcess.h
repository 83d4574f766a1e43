#pragma once
// Ending the process a row stands for.

#include <windows.h>

#include <string_view>

namespace kestro {

// The file-name part of a path or executable name: after the last '\' or ':'.
std::wstring_view ExecutableName(std::wstring_view text);

// Ends process `pid` (exit code 1), but only while it still runs the program
// `programName` (a path or bare executable name, compared by file name,
// letter case ignored): a process ID is reused once its process has ended,
// and the row that named it may be older than that. The name is checked on
// the open handle, which keeps the ID from being reused before the end.
// SeDebugPrivilege is enabled for the call and disabled after it. True when
// the process was ended; PID 0 (no process) ends nothing.
bool TerminateProcessById(DWORD pid, std::wstring_view programName);

}  // namespace kestro
