#include "ui/windows/ColumnChooser.h"

#include "res/ColumnChooserRes.h"
#include "views/ConnectionsView.h"

namespace kestro::ui {

namespace {

struct BoxSpec {
  const wchar_t* name;  // the box's name in code
  int column;           // -1: no column
  int width;            // when checked
};
constexpr BoxSpec kBoxes[ColumnChooser::kBoxCount] = {
    {L"cbPageFileBytes", 0, 120},     {L"cbPid", 1, 150},
    {L"cbPageFileBytesPeak", 2, 150}, {L"cbCreatingProcessId", 3, 100},
    {L"cbIOReadbytes", 4, 70},        {L"cbEllapsedTime", 5, 113},
    {L"cbIOWriteBytes", 6, 320},      {L"cbThreadCount", 7, 200},
    {L"cbIOReadOperations", 8, 200},  {L"cbHandleCount", 9, 200},
    {L"cbIOWriteOperations", 10, 70}, {L"cbBasepri", -1, 0},
};
// The caption of the box that stands for no column.
constexpr wchar_t kProcessMemoryCaption[] = L"进程内存";

}  // namespace

void ColumnChooser::Create(HWND owner) { CreateModeless(owner, IDD_COLUMN_CHOOSER); }

bool ColumnChooser::OnInit() {
  for (int i = 0; i < kBoxCount; ++i) {
    const int column = kBoxes[i].column;
    SetWindowTextW(Box(i),
                   column >= 0 ? kConnectionColumns[column].caption : kProcessMemoryCaption);
    SendMessageW(Box(i), BM_SETCHECK, BST_CHECKED, 0);
  }
  EnableWindow(Box(kBoxCount - 1), FALSE);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

HWND ColumnChooser::Box(int index) const { return Item(IDC_COLUMN_CHOOSER_FIRST_BOX + index); }

void ColumnChooser::ShowChooser() { ShowWindow(hwnd(), SW_SHOW); }

void ColumnChooser::ToggleColumn(int index) {
  const BoxSpec& box = kBoxes[index];
  if (box.column < 0) return;
  const bool checked = SendMessageW(Box(index), BM_GETCHECK, 0, 0) == BST_CHECKED;
  list_.SetColumnWidth(static_cast<size_t>(box.column), checked ? box.width : 0);
}

bool ColumnChooser::OnCommand(WORD code, WORD id, HWND) {
  if (code != BN_CLICKED || id < IDC_COLUMN_CHOOSER_FIRST_BOX ||
      id >= IDC_COLUMN_CHOOSER_FIRST_BOX + kBoxCount)
    return false;
  ToggleColumn(id - IDC_COLUMN_CHOOSER_FIRST_BOX);
  return true;
}

}  // namespace kestro::ui
