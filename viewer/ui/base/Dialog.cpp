#include "ui/base/Dialog.h"

#include <utility>

#include "ui/base/Window.h"
#include "win/Dpi.h"
#include "win/SystemError.h"

namespace kestro::ui {

Dialog::~Dialog() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

void Dialog::CreateModeless(HWND owner, int templateId) {
  modal_ = false;
  if (!CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                          reinterpret_cast<LPARAM>(this)))
    throw SystemError(GetLastError());
}

INT_PTR Dialog::RunModal(HWND owner, int templateId) {
  modal_ = true;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                         owner, Procedure, reinterpret_cast<LPARAM>(this));
  if (result == -1) throw SystemError(GetLastError());
  return result;
}

INT_PTR Dialog::ShowModal() {
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
  showingModal_ = true;
  modalResult_ = IDCANCEL;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  MSG msg;
  while (showingModal_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The application is ending: the main loop still needs its WM_QUIT.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      showingModal_ = false;
      break;
    }
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The owner is enabled before the dialog hides, so that it gets the focus back.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  return modalResult_;
}

void Dialog::End(INT_PTR result) {
  if (showingModal_) {
    modalResult_ = result;
    showingModal_ = false;
  } else if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

void Dialog::SetDesignedClientSize(int width, int height) {
  RECT frame{0, 0, ScaleFromDesign(width), ScaleFromDesign(height)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::PlaceDesigned(int id, int x, int y, int width, int height) {
  MoveWindow(Item(id), ScaleFromDesign(x), ScaleFromDesign(y), ScaleFromDesign(width),
             ScaleFromDesign(height), FALSE);
}

void Dialog::SetDesignedFont(const wchar_t* face, int points, BYTE charset) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(points, SystemDpi(), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = charset;
  wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
  UniqueFont made(CreateFontIndirectW(&font));
  if (!made) throw SystemError(GetLastError());
  const auto wParam = reinterpret_cast<WPARAM>(made.get());
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, wParam, FALSE);
  font_ = std::move(made);  // the controls no longer use the one it had
}

void Dialog::CenterOn(HWND owner) {
  RECT area{};
  if (owner)
    GetWindowRect(owner, &area);
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT self{};
  GetWindowRect(hwnd_, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInit();
      return true;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK)
        OnOK();
      else if (LOWORD(wParam) == IDCANCEL)
        OnCancel();
      else
        return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      return true;
    case WM_NOTIFY: {
      LRESULT answer = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), answer)) return false;
      SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer);
      return true;
    }
  }
  return OnMessage(message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  }
  // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet.
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  bool handled = false;
  RunGuarded(hwnd, [&] { handled = self->Dispatch(message, wParam, lParam, result); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return message == WM_INITDIALOG ? result : handled;
}

}  // namespace kestro::ui
