#pragma once
// CloseQuestion: asked each time the user closes the main window, whether that
// means ending the program or only hiding its window.

#include "ui/base/Dialog.h"
#include "win/Handle.h"

namespace kestro::ui {

class CloseQuestion final : public Dialog {
 public:
  // Made once at start, hidden, owned by the main window.
  void Create(HWND owner);
  // True for "关闭"; false for "最小化", Esc and the close box.
  bool AskClose();

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;

  UniqueIcon icon_;
};

}  // namespace kestro::ui
