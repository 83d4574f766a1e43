#include "ui/U_CloseDlg.h"

#include "res/DialogsRes.h"
#include "ui/Artwork.h"

namespace kestro::ui {

void TCloseDlg::Create(HWND owner) { CreateModeless(owner, IDD_CLOSEDLG); }

bool TCloseDlg::OnInit() {
  SetDesignedClientSize(231, 65);
  PlaceDesigned(IDYES, 23, 20, 75, 25);
  PlaceDesigned(IDCANCEL, 135, 20, 75, 25);
  icon_ = LoadProgramIcon(GetModuleHandleW(nullptr), GetSystemMetrics(SM_CXSMICON));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  CenterOn(nullptr);
  return true;
}

bool TCloseDlg::OnCommand(WORD code, WORD id, HWND) {
  if (code != BN_CLICKED || id != IDYES) return false;
  End(IDYES);
  return true;
}

bool TCloseDlg::AskClose() {
  SendMessageW(hwnd(), DM_SETDEFID, IDYES, 0);
  SetFocus(Item(IDYES));
  return ShowModal() == IDYES;
}

}  // namespace kestro::ui
