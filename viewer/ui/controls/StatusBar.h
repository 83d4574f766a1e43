#pragma once
// The main window's status bar: four panels, written and read by panel.

#include <windows.h>

#include <string>

namespace kestro::ui {

class StatusBar {
 public:
  // A child of `parent` with the panels of the main window (70, 110, 155 and
  // the rest of the width).
  void Create(HWND parent);
  HWND hwnd() const { return hwnd_; }

  void SetText(int panel, const std::wstring& text);
  std::wstring Text(int panel) const;
  // The height the parent leaves free for it; 0 while hidden.
  int Height() const;

 private:
  HWND hwnd_ = nullptr;  // destroyed with its parent
};

}  // namespace kestro::ui
