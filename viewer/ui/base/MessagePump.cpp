#include "ui/base/MessagePump.h"

#include <algorithm>

namespace kestro::ui {

void MessagePump::SetAccelerators(HWND target, HACCEL accelerators) {
  target_ = target;
  accelerators_ = accelerators;
}

void MessagePump::Dispatch(MSG& msg) {
  if (accelerators_ && target_ && TranslateAcceleratorW(target_, accelerators_, &msg)) return;
  HWND dialog = GetAncestor(msg.hwnd, GA_ROOT);
  if (dialog && dialog != target_ && IsDialogMessageW(dialog, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void MessagePump::RunPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
  QueryPerformanceCounter(&last_);
}

bool MessagePump::Due() {
  // Reading the clock costs more than a row of most updates, but some rows
  // take milliseconds: read it every so many calls, fewer when calls are slow.
  if (++calls_ < callsPerRead_) return false;
  calls_ = 0;
  if (frequency_.QuadPart == 0) QueryPerformanceFrequency(&frequency_);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  auto elapsedMs = [&](const LARGE_INTEGER& since) {
    return static_cast<double>(now.QuadPart - since.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
  };
  const double sinceRead = elapsedMs(lastRead_);
  lastRead_ = now;
  if (sinceRead > kIntervalMs / 10)
    callsPerRead_ = std::max(1u, callsPerRead_ / 2);
  else if (sinceRead < kIntervalMs / 100)
    callsPerRead_ = std::min(kMaxCallsPerRead, callsPerRead_ * 2);
  return elapsedMs(last_) >= kIntervalMs;
}

int MessagePump::Run() {
  MSG msg;
  for (;;) {
    if (onIdle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) onIdle();
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace kestro::ui
