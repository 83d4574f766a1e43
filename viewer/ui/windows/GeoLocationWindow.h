#pragma once
// GeoLocationWindow, the geolocation window: the geolocation site's page of a row's
// remote address in the system's browser control. Where that control cannot
// be made, the page opens in the user's default browser and the window says so.

#include <windows.h>

#include <memory>
#include <string>

#include "ui/base/Dialog.h"
#include "ui/controls/WebBrowserHost.h"
#include "win/Handle.h"

namespace kestro::ui {

inline constexpr wchar_t kBlankPage[] = L"about:blank";

class GeoLocationWindow final : public Dialog {
 public:
  // FormCreate: the window, hidden, topmost, centred on the desktop, with its
  // browser control when one can be made.
  void Create(HWND owner);
  // Action10: the caption, then the page of `addressText` (kept as given),
  // then the window shows.
  void ShowPage(const std::wstring& addressText);

  // The address last navigated to: kBlankPage before the first page and
  // after closing.
  const std::wstring& PageAddress() const { return page_; }
  bool HasBrowser() const { return browser_ != nullptr; }
  // The text shown instead of the control.
  HWND Notice() const;

 private:
  bool OnInit() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnOK() override {}
  // Closing leaves the blank page behind, so that the next page never shows
  // the last one first, and hides the window.
  void OnCancel() override;
  void Navigate(const std::wstring& address);

  std::unique_ptr<WebBrowserHost> browser_;
  std::wstring page_ = kBlankPage;
  UniqueIcon icon_;
};

}  // namespace kestro::ui
