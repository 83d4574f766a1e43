#include "ui/Dialog.h"

#include "ui/Window.h"
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

void Dialog::End(INT_PTR result) {
  if (modal_)
    EndDialog(hwnd_, result);
  else
    DestroyWindow(hwnd_);
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
