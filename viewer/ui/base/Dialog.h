#pragma once
// Base of the program's dialog boxes, beside Window: the dialog procedure
// finds its object through a pointer stored at WM_INITDIALOG and forwards to
// the virtual handlers below. As in a window procedure, no exception leaves
// it: an error ends the message with the standard error box.
//
// A new dialog is one unit: its class (derived from Dialog, overriding what it
// needs) and its template in viewer/res with the ids in a ...Res.h beside it.

#include <windows.h>

#include "win/Handle.h"

namespace kestro::ui {

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // A modeless dialog from the program's template `templateId`, owned by `owner`.
  void CreateModeless(HWND owner, int templateId);
  // A modal dialog: returns the result given to End.
  INT_PTR RunModal(HWND owner, int templateId);
  // Shows a dialog made by CreateModeless as a modal one: its owner is
  // disabled until End, which hides it again. Returns the result given to End.
  INT_PTR ShowModal();

 protected:
  // WM_INITDIALOG; true lets the system focus the first control.
  virtual bool OnInit() { return true; }
  // WM_COMMAND of a control other than OK and Cancel; true when handled.
  virtual bool OnCommand(WORD /*code*/, WORD /*id*/, HWND /*control*/) { return false; }
  // WM_NOTIFY; true when handled, with `result` as the dialog's answer.
  virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  // Any other message; true when handled.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return false; }
  // IDOK (the default button, Enter) and IDCANCEL (Escape, the close box).
  virtual void OnOK() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  // Ends a modal dialog with `result`; destroys a modeless one.
  void End(INT_PTR result);

  // Layout in the designed pixels of 96 DPI, scaled to the system's: the
  // client area's size, and a control's place in it.
  void SetDesignedClientSize(int width, int height);
  void PlaceDesigned(int id, int x, int y, int width, int height);
  // The controls' font, `points` high at the system's DPI:
  // the template's character set does not reach the font everywhere.
  void SetDesignedFont(const wchar_t* face, int points, BYTE charset);
  // Centres the dialog on `owner`, or on the screen's work area when it is null.
  void CenterOn(HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  HWND hwnd_ = nullptr;
  bool modal_ = false;
  // ShowModal's loop runs while this has no value.
  bool showingModal_ = false;
  INT_PTR modalResult_ = 0;
  UniqueFont font_;
};

}  // namespace kestro::ui
