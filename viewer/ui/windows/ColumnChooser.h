#pragma once
// ColumnChooser, the column chooser: one check box per column of the connection view;
// unchecking hides the column (width 0), checking shows it at its width again.

#include <windows.h>

#include "ui/base/Dialog.h"
#include "views/ListModel.h"

namespace kestro::ui {

class ColumnChooser final : public Dialog {
 public:
  explicit ColumnChooser(ListModel& list) : list_(list) {}

  // FormCreate: the window, hidden, topmost, centred on the desktop.
  void Create(HWND owner);
  // Shows the window without blocking the main window.
  void ShowChooser();

  static constexpr int kBoxCount = 12;  // eleven columns and the fixed "进程内存"
  HWND Box(int index) const;
  HWND OkButton() const { return Item(IDOK); }
  // A box was clicked: its column's width follows its check.
  void ToggleColumn(int index);

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;
  // BitBtn1Click and the close box: closing hides it and keeps the boxes.
  void OnOK() override { ShowWindow(hwnd(), SW_HIDE); }
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

  ListModel& list_;
};

}  // namespace kestro::ui
