#include "ui/windows/YesNoQuestion.h"

#include "res/YesNoQuestionRes.h"

namespace kestro::ui {

bool YesNoQuestion::Ask(HWND owner) { return RunModal(owner, IDD_QUESTION) == IDYES; }

bool YesNoQuestion::OnInit() {
  SetWindowTextW(hwnd(), title_.c_str());
  SetWindowTextW(Item(IDC_QUESTION_TEXT), text_.c_str());
  SendMessageW(Item(IDC_QUESTION_ICON), STM_SETICON,
               reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
  return true;
}

bool YesNoQuestion::OnCommand(WORD code, WORD id, HWND) {
  if (code != BN_CLICKED || id != IDYES) return false;
  End(IDYES);
  return true;
}

}  // namespace kestro::ui
