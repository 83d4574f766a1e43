#pragma once
// RowPropertiesWindow, the properties window: every detail of one row of the main list,
// with the program file's large icon, and two buttons that act on the main
// list's focused row at the time of the click.

#include <windows.h>

#include <string>

#include "ui/base/CommandTable.h"
#include "ui/base/Dialog.h"
#include "views/ListModel.h"
#include "win/Handle.h"

namespace kestro::ui {

class RowPropertiesWindow final : public Dialog {
 public:
  // "扫描文件" and "结束进程" run `scanCommand` and `endProcessCommand` of `commands`.
  RowPropertiesWindow(CommandTable& commands, UINT scanCommand, UINT endProcessCommand)
      : commands_(commands), scanCommand_(scanCommand), endProcessCommand_(endProcessCommand) {}

  // The window, hidden and topmost.
  void Create(HWND owner);
  // Fills the window from `row` (edit box 1 the caption, 2 to 11 cells 0 to
  // 9, empty for cells the row lacks; the icon of the file at cell 5) and
  // shows it in front; centred on the desktop unless it is shown already.
  void ShowRow(const ListRow& row);

  static constexpr int kEditCount = 11;
  HWND Edit(int index) const;
  HWND Picture() const;
  HICON Icon() const { return icon_.get(); }

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;
  // "确定" and the close box hide the window.
  void OnOK() override { ShowWindow(hwnd(), SW_HIDE); }
  void OnCancel() override { ShowWindow(hwnd(), SW_HIDE); }

  CommandTable& commands_;
  UINT scanCommand_;
  UINT endProcessCommand_;
  UniqueFont font_;
  UniqueFont labelFont_;
  UniqueIcon icon_;
  UniqueIcon buttonPictures_[3];
};

}  // namespace kestro::ui
