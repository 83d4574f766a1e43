#pragma once
// What the process does before its windows exist: the debug privilege, the
// single-instance mutex and Windows Sockets.

#include <winsock2.h>
#include <windows.h>

#include "win/Handle.h"

namespace kestro::ui {

inline constexpr wchar_t kInstanceMutexName[] = L"Kestro V 1.0";
inline constexpr wchar_t kAlreadyRunningText[] = L"应用程序已在运行。";

// Enables SeDebugPrivilege for the process; a failure is silent.
void EnableDebugPrivilege();

// The mutex that keeps a second copy out, owned by this process and held
// until it ends. Empty when another copy holds it: the user has then been
// told, and this copy ends with exit code 0.
UniqueHandleNull ClaimSingleInstance();

// WSAStartup, or a stand-in that fails in tests.
using SocketStartup = int(WSAAPI*)(WORD version, LPWSADATA data);

// Windows Sockets 2.2 for the program's life. A failure shows the system's
// text for its code in the standard error box; the program then ends without
// showing its main window.
class WindowsSockets {
 public:
  explicit WindowsSockets(SocketStartup startup = WSAStartup);
  ~WindowsSockets();
  WindowsSockets(const WindowsSockets&) = delete;
  WindowsSockets& operator=(const WindowsSockets&) = delete;

  bool started() const { return started_; }

 private:
  bool started_ = false;
};

}  // namespace kestro::ui
