#pragma once
// TForm4, the column chooser: one check box per column of the connection view;
// unchecking hides the column (width 0), checking shows it at its width again.

#include <windows.h>

#include "ui/Window.h"
#include "views/ListModel.h"

namespace kestro::ui {

class TForm4 final : public Window {
 public:
  explicit TForm4(ListModel& list) : list_(list) {}

  // FormCreate: the window, hidden, topmost, centred on the desktop.
  void Create(HWND owner);
  // Shows the window without blocking the main window.
  void ShowChooser();

  static constexpr int kBoxCount = 12;  // eleven columns and the fixed "进程内存"
  HWND Box(int index) const { return boxes_[index]; }
  HWND OkButton() const { return ok_; }
  // A box was clicked: its column's width follows its check.
  void BoxClick(int index);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  ListModel& list_;
  HWND boxes_[kBoxCount] = {};
  HWND ok_ = nullptr;
};

}  // namespace kestro::ui
