#pragma once
// A yes-or-no question with a warning icon: "是" is the default button, "否",
// Esc and the close box answer no.

#include <string>

#include "ui/base/Dialog.h"

namespace kestro::ui {

class YesNoQuestion final : public Dialog {
 public:
  YesNoQuestion(std::wstring title, std::wstring text)
      : title_(std::move(title)), text_(std::move(text)) {}
  // Modal over `owner`; true for "是".
  bool Ask(HWND owner);

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;

  std::wstring title_;
  std::wstring text_;
};

}  // namespace kestro::ui
