#pragma once
// Reading and answering the upload tool's windows from outside, as a user
// would: message boxes and the progress window.

#include <windows.h>

#include <string>
#include <vector>

namespace mirovan::test {

std::wstring WindowText(HWND window);

// Visible top-level dialogs (message boxes and the progress window) of a
// thread, or of a process when threadId is 0.
std::vector<HWND> VisibleDialogs(DWORD processId, DWORD threadId);

// The progress window is the dialog with a Cancel button of id 1001.
bool IsProgressWindow(HWND dialog);

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
  bool warningIcon;
};
MessageBoxSeen ReadMessageBox(HWND box);
// Presses its only button, OK.
void AnswerMessageBox(HWND box);
// Presses Cancel of the progress window.
void PressCancel(HWND progressWindow);

}  // namespace mirovan::test
