#include "ui/windows/GeoLocationWindow.h"

#include <shellapi.h>

#include "net/GeoLocationPage.h"
#include "res/GeoLocationWindowRes.h"
#include "ui/controls/Artwork.h"
#include "win/SystemError.h"

namespace kestro::ui {

namespace {

constexpr wchar_t kOpenedElsewhere[] =
    L"此窗口无法显示网页（系统的浏览器控件不可用）。\r\n"
    L"该页面已在默认浏览器中打开：\r\n\r\n";

void OpenInDefaultBrowser(HWND owner, const std::wstring& address) {
  SHELLEXECUTEINFOW info{sizeof info};
  info.fMask = SEE_MASK_FLAG_NO_UI;  // a failure reaches the standard error box instead
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = address.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) throw SystemError(GetLastError());
}

}  // namespace

void GeoLocationWindow::Create(HWND owner) { CreateModeless(owner, IDD_GEOLOCATION); }

HWND GeoLocationWindow::Notice() const { return Item(IDC_GEOLOCATION_NOTICE); }

bool GeoLocationWindow::OnInit() {
  SetDesignedFont(L"Tahoma", 8, GB2312_CHARSET);
  constexpr int kWidth = 807;
  constexpr int kHeight = 556;
  constexpr int kNoticeMargin = 12;
  SetDesignedClientSize(kWidth, kHeight);
  PlaceDesigned(IDC_GEOLOCATION_NOTICE, kNoticeMargin, kNoticeMargin, kWidth - 2 * kNoticeMargin,
                kHeight - 2 * kNoticeMargin);
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  RECT client{};
  GetClientRect(hwnd(), &client);
  browser_ = WebBrowserHost::Create(hwnd(), client);
  if (!browser_) ShowWindow(Notice(), SW_SHOW);
  CenterOn(nullptr);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

void GeoLocationWindow::ShowPage(const std::wstring& addressText) {
  SetWindowTextW(hwnd(), GeoLocationCaption(addressText).c_str());
  Navigate(GeoLocationPageAddress(addressText));
  ShowWindow(hwnd(), SW_SHOW);
}

void GeoLocationWindow::Navigate(const std::wstring& address) {
  if (browser_) {
    browser_->Navigate(address);
  } else if (address == kBlankPage) {
    SetWindowTextW(Notice(), L"");
  } else {
    OpenInDefaultBrowser(hwnd(), address);
    SetWindowTextW(Notice(), (kOpenedElsewhere + address).c_str());
  }
  page_ = address;
}

void GeoLocationWindow::OnCancel() {
  Navigate(kBlankPage);
  ShowWindow(hwnd(), SW_HIDE);
}

bool GeoLocationWindow::OnMessage(UINT message, WPARAM, LPARAM) {
  // The control goes before the window it lives in, also when the window
  // goes with its owner.
  if (message == WM_DESTROY) browser_.reset();
  return false;
}

}  // namespace kestro::ui
