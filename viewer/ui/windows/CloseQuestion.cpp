#include "ui/windows/CloseQuestion.h"

#include "res/DialogsRes.h"
#include "ui/controls/Artwork.h"

namespace kestro::ui {

void CloseQuestion::Create(HWND owner) { CreateModeless(owner, IDD_CLOSE_QUESTION); }

bool CloseQuestion::OnInit() {
  SetDesignedClientSize(231, 65);
  PlaceDesigned(IDYES, 23, 20, 75, 25);
  PlaceDesigned(IDCANCEL, 135, 20, 75, 25);
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  CenterOn(nullptr);
  return true;
}

bool CloseQuestion::OnCommand(WORD code, WORD id, HWND) {
  if (code != BN_CLICKED || id != IDYES) return false;
  End(IDYES);
  return true;
}

bool CloseQuestion::AskClose() {
  SendMessageW(hwnd(), DM_SETDEFID, IDYES, 0);
  SetFocus(Item(IDYES));
  return ShowModal() == IDYES;
}

}  // namespace kestro::ui
