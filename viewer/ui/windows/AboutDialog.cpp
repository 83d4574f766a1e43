#include "ui/windows/AboutDialog.h"

#include <shellapi.h>

#include "net/NetUtils.h"
#include "res/DialogsRes.h"
#include "ui/controls/Artwork.h"
#include "ui/base/Window.h"
#include "win/Dpi.h"

namespace kestro::ui {

namespace {
constexpr wchar_t kRightsNotice[] = L"版权所有 © %s Corvanet。保留所有权利。";
constexpr COLORREF kNavy = RGB(0, 0, 128);

std::wstring FillPlaceholders(std::wstring text, std::initializer_list<std::wstring> values) {
  for (const std::wstring& value : values) {
    const size_t at = text.find(L"%s");
    if (at == std::wstring::npos) break;
    text.replace(at, 2, value);
  }
  return text;
}
}  // namespace

std::wstring AboutVersionText(const std::wstring& programPath) {
  std::wstring version, build;
  if (!GetFileVersionStrings(programPath, version, build)) version.clear(), build.clear();
  return FillPlaceholders(L"版本：%s (创建 %s)", {version, build});
}

std::wstring AboutRightsText(int year) {
  return FillPlaceholders(kRightsNotice, {std::to_wstring(year)});
}

void AboutDialog::Run(HWND owner) { RunModal(owner, IDD_ABOUT); }

bool AboutDialog::OnInit() {
  SetDesignedClientSize(361, 96);
  PlaceDesigned(IDC_ABOUT_PICTURE, 16, 17, 48, 48);
  PlaceDesigned(IDC_ABOUT_NAME, 80, 9, 190, 17);
  PlaceDesigned(IDC_ABOUT_VERSION, 80, 29, 190, 17);
  PlaceDesigned(IDC_ABOUT_RIGHTS, 80, 48, 270, 17);
  PlaceDesigned(IDC_ABOUT_LINK, 80, 66, 161, 22);
  PlaceDesigned(IDOK, 276, 10, 75, 25);

  wchar_t caption[64] = {};
  GetWindowTextW(hwnd(), caption, 64);
  SetWindowTextW(hwnd(), (std::wstring(caption) + L" " + kApplicationTitle).c_str());
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), ScaleFromDesign(48));
  SendMessageW(Item(IDC_ABOUT_PICTURE), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  SetWindowTextW(Item(IDC_ABOUT_NAME), kApplicationTitle);
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  SetWindowTextW(Item(IDC_ABOUT_VERSION), AboutVersionText(program).c_str());
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SetWindowTextW(Item(IDC_ABOUT_RIGHTS), AboutRightsText(now.wYear).c_str());
  SetWindowTextW(Item(IDC_ABOUT_LINK), kProductSite);

  LOGFONTW font{};
  font.lfHeight = -ScaleFromDesign(11);
  font.lfUnderline = TRUE;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, L"MS Sans Serif");
  linkFont_.reset(CreateFontIndirectW(&font));
  SendMessageW(Item(IDC_ABOUT_LINK), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);

  HWND owner = GetWindow(hwnd(), GW_OWNER);
  CenterOn(owner && IsWindowVisible(owner) ? owner : nullptr);
  return true;
}

bool AboutDialog::OnCommand(WORD code, WORD id, HWND) {
  if (id != IDC_ABOUT_LINK || code != BN_CLICKED) return false;
  SpeedButton1Click();
  return true;
}

void AboutDialog::SpeedButton1Click() {
  ShellExecuteW(nullptr, nullptr, kProductSite, nullptr, nullptr, SW_SHOWNORMAL);
}

bool AboutDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM: {
      // The link: flat, navy and underlined, on the dialog's own background.
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != IDC_ABOUT_LINK) return false;
      FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
      SetBkMode(item->hDC, TRANSPARENT);
      SetTextColor(item->hDC, kNavy);
      HGDIOBJ previous = SelectObject(item->hDC, linkFont_.get());
      DrawTextW(item->hDC, kProductSite, -1, &item->rcItem,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(item->hDC, previous);
      if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return true;
    }
    case WM_SETCURSOR:
      // The hand over the link, as over a link of a web page.
      if (reinterpret_cast<HWND>(wParam) != Item(IDC_ABOUT_LINK)) return false;
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      return true;
  }
  return false;
}

}  // namespace kestro::ui
