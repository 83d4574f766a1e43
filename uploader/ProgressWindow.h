#pragma once
// The progress window (dialog template IDD_PROGRESS).

#include <windows.h>

#include "UploadJob.h"

namespace mirovan {

struct ProgressWindowSetup {
  UploadJob& job;
  HICON smallIcon;
};

// Dialog procedure; the creation parameter is a ProgressWindowSetup. Any
// command or a close request ends the window.
INT_PTR CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM, LPARAM lParam);

// Shows the window modally until it ends.
void ShowProgressWindow(UploadJob& job);

}  // namespace mirovan
