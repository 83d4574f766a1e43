#pragma once
// SplashWindow: the round emblem shown from the program's start until the
// start-up timer shows the main window. Borderless and layered; only the
// ellipse of its window region is visible.

#include "ui/base/Window.h"
#include "win/Handle.h"

namespace kestro::ui {

class SplashWindow final : public Window {
 public:
  // FormCreate: visible at once, centred on the screen.
  void Create();
  void Close() { ShowWindow(hwnd(), SW_HIDE); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc);

  UniqueBitmap emblem_;
};

}  // namespace kestro::ui
