#pragma once
// The user-interface thread's message handling: the main loop, and letting
// pending messages run in the middle of a long update.

#include <windows.h>

#include <functional>

namespace kestro::ui {

class MessagePump {
 public:
  // Shortcuts of `target`'s accelerator table are translated for every message.
  void SetAccelerators(HWND target, HACCEL accelerators);

  // Runs every message waiting now (WM_QUIT is put back for the main loop).
  void RunPending();
  // True when RunPending is due: every kIntervalMs milliseconds, so that an
  // update pays one message-queue round trip per interval, not per row.
  bool Due();
  // The main loop; returns the exit code of WM_QUIT. `onIdle` runs whenever
  // the queue has run dry.
  int Run();
  std::function<void()> onIdle;

  static constexpr double kIntervalMs = 25.0;
  static constexpr unsigned kMaxCallsPerRead = 64;

 private:
  void Dispatch(MSG& msg);

  HWND target_ = nullptr;
  HACCEL accelerators_ = nullptr;
  LARGE_INTEGER last_{};
  LARGE_INTEGER frequency_{};
  LARGE_INTEGER lastRead_{};
  unsigned calls_ = 0;
  unsigned callsPerRead_ = 1;
};

}  // namespace kestro::ui
