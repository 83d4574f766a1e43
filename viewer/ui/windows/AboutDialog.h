#pragma once
// AboutDialog: the program's icon, title, version and rights notice, and a
// link to its site. Made anew for each showing.

#include <windows.h>

#include <string>

#include "ui/base/Dialog.h"
#include "win/Handle.h"

namespace kestro::ui {

// The product's site, shown on the link button and opened by it.
inline constexpr wchar_t kProductSite[] = L"https://kestro.corvanet.com";

// "版本：1.0 (创建 0.190)" for file version 1.0.0.190; empty texts in the
// placeholders when the file has no version resource.
std::wstring AboutVersionText(const std::wstring& programPath);
// The rights notice for `year`.
std::wstring AboutRightsText(int year);

class AboutDialog final : public Dialog {
 public:
  // Shows the window modally, centred on `owner`, or on the screen while
  // `owner` is hidden.
  void Run(HWND owner);

 private:
  bool OnInit() override;
  bool OnCommand(WORD code, WORD id, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // SpeedButton1Click: the site in the user's browser.
  void SpeedButton1Click();

  UniqueIcon icon_;
  UniqueFont linkFont_;
};

}  // namespace kestro::ui
