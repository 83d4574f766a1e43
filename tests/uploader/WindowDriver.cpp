#include "WindowDriver.h"

namespace mirovan::test {

namespace {

constexpr int kCancelButton = 1001;

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct DialogSearch {
  DWORD processId;
  DWORD threadId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  DWORD processId = 0;
  DWORD threadId = GetWindowThreadProcessId(window, &processId);
  bool ours = search.threadId ? threadId == search.threadId : processId == search.processId;
  if (ours && IsWindowVisible(window) && ClassName(window) == L"#32770") {
    search.found.push_back(window);
  }
  return TRUE;
}

struct BoxContent {
  std::wstring text;
  bool icon = false;
};

BOOL CALLBACK ReadBoxControl(HWND control, LPARAM parameter) {
  auto& content = *reinterpret_cast<BoxContent*>(parameter);
  if (ClassName(control) != L"Static") return TRUE;
  if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    content.icon = SendMessageW(control, STM_GETICON, 0, 0) != 0;
  } else if (content.text.empty()) {
    content.text = WindowText(control);
  }
  return TRUE;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::vector<HWND> VisibleDialogs(DWORD processId, DWORD threadId) {
  DialogSearch search{processId, threadId, {}};
  if (threadId) {
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

bool IsProgressWindow(HWND dialog) { return GetDlgItem(dialog, kCancelButton) != nullptr; }

MessageBoxSeen ReadMessageBox(HWND box) {
  BoxContent content;
  EnumChildWindows(box, ReadBoxControl, reinterpret_cast<LPARAM>(&content));
  return {WindowText(box), content.text, content.icon};
}

void AnswerMessageBox(HWND box) { Press(box, IDOK); }

void PressCancel(HWND progressWindow) { Press(progressWindow, kCancelButton); }

}  // namespace mirovan::test
