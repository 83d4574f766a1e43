#include "ui/windows/OptionsDialog.h"

#include <commctrl.h>

#include "res/DialogsRes.h"

namespace kestro::ui {

bool OptionsDialog::Run(HWND owner) { return RunModal(owner, IDD_OPTIONS) == IDOK; }

bool OptionsDialog::OnInit() {
  SetDesignedClientSize(273, 154);
  PlaceDesigned(IDC_OPTIONS_GROUP, 8, 8, 257, 106);
  PlaceDesigned(IDC_OPTIONS_INTERVAL_LABEL, 84, 19, 84, 17);
  PlaceDesigned(IDC_OPTIONS_INTERVAL, 169, 16, 28, 21);
  PlaceDesigned(IDC_OPTIONS_UPDOWN, 197, 16, 15, 21);
  PlaceDesigned(IDC_OPTIONS_APPEND, 16, 43, 240, 17);
  PlaceDesigned(IDC_OPTIONS_AUTOSAVE, 16, 66, 240, 17);
  PlaceDesigned(IDOK, 110, 121, 75, 25);
  PlaceDesigned(IDCANCEL, 190, 121, 75, 25);
  SendMessageW(Item(IDC_OPTIONS_INTERVAL), EM_SETLIMITTEXT, 5, 0);
  HWND upDown = Item(IDC_OPTIONS_UPDOWN);
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_OPTIONS_INTERVAL)), 0);
  SendMessageW(upDown, UDM_SETRANGE32, 1, 100);
  SendMessageW(upDown, UDM_SETPOS32, 0, IntervalToSeconds(values_.interval));
  CheckDlgButton(hwnd(), IDC_OPTIONS_APPEND, values_.appendStatistics ? BST_CHECKED : 0);
  CheckDlgButton(hwnd(), IDC_OPTIONS_AUTOSAVE, values_.autoSave ? BST_CHECKED : 0);
  CenterOn(GetWindow(hwnd(), GW_OWNER));
  return true;
}

void OptionsDialog::OnOK() {
  const auto seconds = static_cast<int>(SendMessageW(Item(IDC_OPTIONS_UPDOWN), UDM_GETPOS32, 0, 0));
  values_.interval = SecondsToInterval(seconds);
  values_.appendStatistics = IsDlgButtonChecked(hwnd(), IDC_OPTIONS_APPEND) == BST_CHECKED;
  values_.autoSave = IsDlgButtonChecked(hwnd(), IDC_OPTIONS_AUTOSAVE) == BST_CHECKED;
  End(IDOK);
}

}  // namespace kestro::ui
