// Types a shortcut into the running viewer, as a user would: brings its main
// window to the front and sends real key presses. "alt+4" types Alt+4, "f5"
// types F5. Used to take screenshots of the installed program.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: send_keys alt+<digit>|f5\n");
    return 2;
  }
  HWND main = nullptr;
  for (int i = 0; i < 100 && !main; ++i, Sleep(100)) main = FindWindowW(L"TMainForm", nullptr);
  if (!main) {
    std::fwprintf(stderr, L"send_keys: no viewer window\n");
    return 1;
  }
  SetForegroundWindow(main);
  Sleep(200);
  std::vector<INPUT> keys;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(input);
  };
  if (std::wcscmp(argv[1], L"f5") == 0) {
    key(VK_F5, false);
    key(VK_F5, true);
  } else if (std::wcsncmp(argv[1], L"alt+", 4) == 0 && argv[1][4] != 0) {
    const WORD letter = static_cast<WORD>(towupper(argv[1][4]));
    key(VK_MENU, false);
    key(letter, false);
    key(letter, true);
    key(VK_MENU, true);
  } else {
    std::fwprintf(stderr, L"send_keys: unknown shortcut %ls\n", argv[1]);
    return 2;
  }
  return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size() ? 0
                                                                                              : 1;
}
