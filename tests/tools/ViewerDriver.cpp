// Drives the running viewer from outside, as a user would:
//   viewer_driver keys alt+4|ctrl+s|f5   real key presses into its main window,
//                                        once it is ready for them
//   viewer_driver save-as PATH           answers its save-file dialog with PATH
//   viewer_driver close                  closes its main window
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
  HWND status = FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
  for (int i = 0; status && i < kWaitSteps; ++i, Sleep(kStepMs)) {
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
  if (std::wcscmp(shortcut, L"f5") == 0) {
    key(VK_F5, false);
    key(VK_F5, true);
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
  SetForegroundWindow(main);
  Sleep(200);
  return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size() ? 0
                                                                                              : 1;
}

struct DialogSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindSaveDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || std::wcscmp(className, L"#32770") != 0 ||
      !IsWindowVisible(window))
    return TRUE;
  search->found = window;
  return FALSE;
}

int AnswerSaveDialog(HWND main, const wchar_t* path) {
  DialogSearch search{0, nullptr};
  GetWindowThreadProcessId(main, &search.process);
  for (int i = 0; i < kWaitSteps && !search.found; ++i, Sleep(kStepMs))
    EnumWindows(FindSaveDialog, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 1;
  Sleep(300);  // let the dialog finish its own start-up
  HWND name = GetDlgItem(search.found, cmb13);
  if (!name) name = GetDlgItem(search.found, edt1);
  if (!name) return 1;
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
  PostMessageW(search.found, WM_COMMAND, IDOK, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring verb = argc > 1 ? argv[1] : L"";
  if (!((verb == L"keys" || verb == L"save-as") && argc == 3) && !(verb == L"close" && argc == 2)) {
    std::fwprintf(stderr, L"usage: viewer_driver keys SHORTCUT | save-as PATH | close\n");
    return 2;
  }
  HWND main = FindMainWindow();
  if (!main) {
    std::fwprintf(stderr, L"viewer_driver: no viewer window\n");
    return 1;
  }
  if (verb == L"keys") return SendKeys(main, argv[2]);
  if (verb == L"save-as") return AnswerSaveDialog(main, argv[2]);
  PostMessageW(main, WM_CLOSE, 0, 0);
  return 0;
}
