#include "ui/Unit4.h"

#include <iterator>

namespace kestro::ui {

namespace {

struct BoxSpec {
  const wchar_t* name;  // the box's name in code
  const wchar_t* caption;
  int column;  // -1: no column
  int width;   // when checked
};
constexpr BoxSpec kBoxes[TForm4::kBoxCount] = {
    {L"cbPageFileBytes", L"进程", 0, 120},
    {L"cbPid", L"本地地址", 1, 150},
    {L"cbPageFileBytesPeak", L"远程地址", 2, 150},
    {L"cbCreatingProcessId", L"状态", 3, 100},
    {L"cbIOReadbytes", L"协议", 4, 70},
    {L"cbEllapsedTime", L"国家", 5, 113},
    {L"cbIOWriteBytes", L"进程路径", 6, 320},
    {L"cbThreadCount", L"产品名称", 7, 200},
    {L"cbIOReadOperations", L"公司名称", 8, 200},
    {L"cbHandleCount", L"文件说明", 9, 200},
    {L"cbIOWriteOperations", L"文件版本", 10, 70},
    {L"cbBasepri", L"进程内存", -1, 0},
};

constexpr int kFirstBoxId = 10;
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 240;

}  // namespace

void TForm4::Create(HWND owner) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  CreateWindowOf(L"TForm4", WS_EX_DLGMODALFRAME, L"列设置", style,
                 (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD childStyle, int x, int y, int w,
                   int h, int id) {
    HWND control =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | childStyle, x, y, w, h, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, font, FALSE);
    return control;
  };
  child(L"STATIC", L"请选择您想要的列可见：", 0, 12, 10, 276, 18, -1);
  for (int i = 0; i < kBoxCount; ++i) {
    boxes_[i] = child(L"BUTTON", kBoxes[i].caption, BS_AUTOCHECKBOX | WS_TABSTOP,
                      24 + (i / 6) * 140, 36 + (i % 6) * 26, 130, 20, kFirstBoxId + i);
    SendMessageW(boxes_[i], BM_SETCHECK, BST_CHECKED, 0);
  }
  EnableWindow(boxes_[kBoxCount - 1], FALSE);
  ok_ = child(L"BUTTON", L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 200, 75, 25, IDOK);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm4::ShowChooser() { ShowWindow(hwnd(), SW_SHOW); }

void TForm4::BoxClick(int index) {
  const BoxSpec& box = kBoxes[index];
  if (box.column < 0) return;
  const bool checked = SendMessageW(boxes_[index], BM_GETCHECK, 0, 0) == BST_CHECKED;
  list_.SetColumnWidth(static_cast<size_t>(box.column), checked ? box.width : 0);
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        ShowWindow(hwnd(), SW_HIDE);  // BitBtn1Click: closing keeps the boxes
      } else if (id >= kFirstBoxId && id < kFirstBoxId + kBoxCount &&
                 HIWORD(wParam) == BN_CLICKED) {
        BoxClick(id - kFirstBoxId);
      }
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(hwnd(), SW_HIDE);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace kestro::ui
