#include "ui/controls/StatusBar.h"

#include <commctrl.h>

#include <iterator>

#include "win/SystemError.h"

namespace kestro::ui {

namespace {
// Panels 70, 110, 155 and 50 wide; the last one reaches to the right edge, as
// a status bar's last part does, so that the TCP segment counts stay readable.
constexpr int kPanelEdges[] = {70, 70 + 110, 70 + 110 + 155, -1};
}  // namespace

void StatusBar::Create(HWND parent) {
  hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                          0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw SystemError(GetLastError());
  SendMessageW(hwnd_, SB_SETPARTS, std::size(kPanelEdges), reinterpret_cast<LPARAM>(kPanelEdges));
}

void StatusBar::SetText(int panel, const std::wstring& text) {
  SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::Text(int panel) const {
  const auto length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, panel, 0));
  std::wstring text(length + 1, L'\0');
  SendMessageW(hwnd_, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

int StatusBar::Height() const {
  // Its own visibility: the parent may be hidden while the layout is made.
  if (!(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE)) return 0;
  SendMessageW(hwnd_, WM_SIZE, 0, 0);
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  return frame.bottom - frame.top;
}

}  // namespace kestro::ui
