// Drives the running viewer from outside, as a user would:
//   viewer_driver keys alt+4|ctrl+s|f5|f10|down|esc|...
//                                        real key presses into its main window,
//                                        once it is ready for them
//   viewer_driver save-as PATH           answers its save-file dialog with PATH
//   viewer_driver startup                the splash shows while the main window
//                                        is hidden, then the main window shows
//                                        and the splash goes
//   viewer_driver close yes|minimize|escape|ask
//                                        closes its main window and answers the
//                                        close question: "关闭" (the viewer
//                                        ends), "最小化" or Esc (it hides);
//                                        ask: leaves the question open
//   viewer_driver answer yes|minimize|escape
//                                        answers the open close question
//   viewer_driver message TEXT           a "Kestro V 1.0" message box of any
//                                        viewer saying TEXT: answers OK
//   viewer_driver caption                prints the main window's caption
//   viewer_driver rows                   prints the rows its list shows, one a
//                                        line, the cells separated by tabs
// Exit status 0 when done, 1 when the window or dialog did not come, 2 on a
// wrong call.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "views/ViewSwitch.h"

namespace {

constexpr int kWaitSteps = 150;  // of 100 ms
constexpr DWORD kStepMs = 100;

HWND FindMainWindow() {
  HWND main = nullptr;
  for (int i = 0; i < kWaitSteps && !main; ++i, Sleep(kStepMs))
    main = FindWindowW(L"TMainForm", nullptr);
  return main;
}

// Waits until the viewer's first status panel says it is ready: a command
// key that arrives while a view is updating is ignored, as a user's is.
bool WaitUntilReady(HWND main) {
  for (int i = 0; i < kWaitSteps; ++i, Sleep(kStepMs)) {
    // The window may exist before its status bar does.
    HWND status = FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
    if (!status) continue;
    wchar_t text[32] = {};
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(status, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 1000, &length) &&
        std::wcscmp(text, kestro::kStatusReady) == 0)
      return true;
  }
  return false;
}

int SendKeys(HWND main, const wchar_t* shortcut) {
  std::vector<INPUT> keys;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(input);
  };
  auto chord = [&](WORD modifier, wchar_t letter) {
    const WORD vk = static_cast<WORD>(towupper(letter));
    key(modifier, false);
    key(vk, false);
    key(vk, true);
    key(modifier, true);
  };
  struct Named {
    const wchar_t* name;
    WORD vk;
  };
  static constexpr Named kNamed[] = {
      {L"f5", VK_F5},     {L"f10", VK_F10},     {L"down", VK_DOWN},    {L"up", VK_UP},
      {L"left", VK_LEFT}, {L"right", VK_RIGHT}, {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}};
  const Named* named = nullptr;
  for (const Named& candidate : kNamed)
    if (std::wcscmp(shortcut, candidate.name) == 0) named = &candidate;
  if (named) {
    key(named->vk, false);
    key(named->vk, true);
  } else if (std::wcsncmp(shortcut, L"alt+", 4) == 0 && shortcut[4] != 0) {
    chord(VK_MENU, shortcut[4]);
  } else if (std::wcsncmp(shortcut, L"ctrl+", 5) == 0 && shortcut[5] != 0) {
    chord(VK_CONTROL, shortcut[5]);
  } else {
    std::fwprintf(stderr, L"viewer_driver: unknown shortcut %ls\n", shortcut);
    return 2;
  }
  if (!WaitUntilReady(main)) {
    std::fwprintf(stderr, L"viewer_driver: the viewer did not become ready\n");
    return 1;
  }
  // While a window of its own is modal, the keys go to that one.
  if (IsWindowEnabled(main)) SetForegroundWindow(main);
  Sleep(200);
  return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size() ? 0
                                                                                              : 1;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      1000, &length);
  return text;
}

// A visible dialog box: of `process` (0: any), with `caption` (null: any)
// and, when `text` is given, a control showing that text.
struct DialogSearch {
  DWORD process = 0;
  const wchar_t* caption = nullptr;
  const wchar_t* text = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK HasText(HWND control, LPARAM text) {
  return TextOf(control) != reinterpret_cast<const wchar_t*>(text);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if ((search->process && process != search->process) || std::wcscmp(className, L"#32770") != 0 ||
      !IsWindowVisible(window) || (search->caption && TextOf(window) != search->caption) ||
      (search->text && EnumChildWindows(window, HasText, reinterpret_cast<LPARAM>(search->text))))
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND WaitForDialog(DialogSearch search) {
  for (int i = 0; i < kWaitSteps && !search.found; ++i, Sleep(kStepMs))
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

bool WaitFor(const auto& condition) {
  for (int i = 0; i < kWaitSteps; ++i, Sleep(kStepMs))
    if (condition()) return true;
  return false;
}

int StartUp(HWND main) {
  HWND splash = nullptr;
  if (!WaitFor([&] {
        return (splash = FindWindowW(L"TfrmSplash", nullptr)) && IsWindowVisible(splash);
      })) {
    std::fwprintf(stderr, L"viewer_driver: no splash\n");
    return 1;
  }
  if (IsWindowVisible(main)) {
    std::fwprintf(stderr, L"viewer_driver: the main window shows beside the splash\n");
    return 1;
  }
  if (!WaitFor([&] { return IsWindowVisible(main) != FALSE; })) {
    std::fwprintf(stderr, L"viewer_driver: the main window never showed\n");
    return 1;
  }
  if (IsWindowVisible(splash)) {
    std::fwprintf(stderr, L"viewer_driver: the splash stays beside the main window\n");
    return 1;
  }
  return 0;
}

int AnswerClose(HWND main, const std::wstring& answer) {
  HWND question = WaitForDialog({.process = ProcessOf(main), .caption = L"你要做什么？"});
  if (!question) {
    std::fwprintf(stderr, L"viewer_driver: no close question\n");
    return 1;
  }
  Sleep(300);
  if (answer == L"ask") return 0;
  if (answer == L"yes") {
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    return WaitFor([&] { return !IsWindow(main); }) ? 0 : 1;
  }
  if (answer == L"minimize")
    PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
  else  // Esc on its focused button, as the dialog's own keyboard handling sees it
    PostMessageW(GetDlgItem(question, IDYES), WM_KEYDOWN, VK_ESCAPE, 0);
  const bool hidden = WaitFor([&] { return !IsWindowVisible(question) && !IsWindowVisible(main); });
  return hidden && IsWindow(main) ? 0 : 1;
}

int AnswerMessage(const wchar_t* text) {
  HWND box = WaitForDialog({.caption = L"Kestro V 1.0", .text = text});
  if (!box) return 1;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

int AnswerSaveDialog(HWND main, const wchar_t* path) {
  DialogSearch search{.process = ProcessOf(main)};
  search.found = WaitForDialog(search);
  if (!search.found) return 1;
  Sleep(300);  // let the dialog finish its own start-up
  HWND name = GetDlgItem(search.found, cmb13);
  if (!name) name = GetDlgItem(search.found, edt1);
  if (!name) return 1;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
  PostMessageW(search.found, WM_COMMAND, IDOK, 0);
  return 0;
}

BOOL CALLBACK FindList(HWND child, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(child, name, 32);
  if (std::wcscmp(name, WC_LISTVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// The list's cells, read across the process boundary: the list writes each
// text into a buffer in the viewer's own memory.
int PrintRows(HWND main) {
  HWND list = nullptr;
  EnumChildWindows(main, FindList, reinterpret_cast<LPARAM>(&list));
  if (!list || !WaitUntilReady(main)) return 1;
  HANDLE viewer = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                              ProcessOf(main));
  if (!viewer) return 1;
  constexpr int kTextLength = 1024;
  struct Remote {
    LVITEMW item;
    wchar_t text[kTextLength];
  };
  auto* remote = static_cast<Remote*>(
      VirtualAllocEx(viewer, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) return CloseHandle(viewer), 1;
  const int columns = static_cast<int>(SendMessageW(
      reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    std::wstring line;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = remote->text;
      item.cchTextMax = kTextLength;
      wchar_t text[kTextLength] = {};
      if (WriteProcessMemory(viewer, &remote->item, &item, sizeof item, nullptr) &&
          SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&remote->item)) > 0)
        ReadProcessMemory(viewer, remote->text, text, sizeof text - sizeof(wchar_t), nullptr);
      line += (column ? L"\t" : L"") + std::wstring(text);
    }
    line += L"\n";
    // UTF-8, whatever the console's code page: the cells are Chinese.
    std::string bytes(line.size() * 4, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  }
  std::fflush(stdout);
  VirtualFreeEx(viewer, remote, 0, MEM_RELEASE);
  CloseHandle(viewer);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring verb = argc > 1 ? argv[1] : L"";
  const bool oneWord = verb == L"keys" || verb == L"save-as" || verb == L"close" ||
                       verb == L"answer" || verb == L"message";
  if (!(oneWord && argc == 3) &&
      !((verb == L"startup" || verb == L"caption" || verb == L"rows") && argc == 2)) {
    std::fwprintf(stderr,
                  L"usage: viewer_driver keys SHORTCUT | save-as PATH | startup | "
                  L"close yes|minimize|escape|ask | answer yes|minimize|escape | "
                  L"message TEXT | caption | rows\n");
    return 2;
  }
  if (verb == L"message") return AnswerMessage(argv[2]);
  HWND main = FindMainWindow();
  if (!main) {
    std::fwprintf(stderr, L"viewer_driver: no viewer window\n");
    return 1;
  }
  if (verb == L"keys") return SendKeys(main, argv[2]);
  if (verb == L"save-as") return AnswerSaveDialog(main, argv[2]);
  if (verb == L"startup") return StartUp(main);
  if (verb == L"caption") {
    std::wprintf(L"%ls\n", TextOf(main).c_str());
    return 0;
  }
  if (verb == L"rows") return PrintRows(main);
  if (verb == L"close") PostMessageW(main, WM_CLOSE, 0, 0);
  return AnswerClose(main, argv[2]);
}
