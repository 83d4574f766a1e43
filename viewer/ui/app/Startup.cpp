#include "ui/app/Startup.h"

#include "process/ProcessInfo.h"
#include "ui/base/Window.h"
#include "win/SystemError.h"

namespace kestro::ui {

void EnableDebugPrivilege() { SetProcessPrivilege(L"SeDebugPrivilege", true); }

UniqueHandleNull ClaimSingleInstance() {
  UniqueHandleNull mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    MessageBoxW(nullptr, kAlreadyRunningText, kApplicationTitle, MB_OK | MB_ICONINFORMATION);
    return {};
  }
  return mutex;
}

WindowsSockets::WindowsSockets(SocketStartup startup) {
  WSADATA data{};
  const int result = startup(MAKEWORD(2, 2), &data);
  started_ = result == 0;
  if (!started_) ShowErrorBox(nullptr, SystemError(static_cast<DWORD>(result)).message());
}

WindowsSockets::~WindowsSockets() {
  if (started_) WSACleanup();
}

}  // namespace kestro::ui
