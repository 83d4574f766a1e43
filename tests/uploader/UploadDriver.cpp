// Runs MirovanUpload.exe as a user would and prints what it showed:
//   upload_driver ACTION PROGRAM [ARGUMENT-TEXT]
// ARGUMENT-TEXT follows the program's quoted path on its command line as it
// stands. Message boxes are read and answered with OK. ACTION says what is
// done with the progress window:
//   wait               nothing; it must close by itself
//   close-on-message   press Cancel once a message box has been answered
//   cancel-when:FILE   press Cancel once FILE exists (the test's server
//                      makes it when it holds the whole request)
// Output lines (UTF-8): "COMMAND_LINE <text>", "WINDOW <caption>", "STATUS <text>",
// "MESSAGE <caption>|<icon 0/1>|<text>", "CANCEL_TO_EXIT_MS <n>", and last
// "EXIT <status>" or "TIMEOUT" (the program is then ended).
#include <windows.h>

#include <set>
#include <string>

#include "WindowDriver.h"

namespace {

using namespace mirovan::test;

constexpr DWORD kTimeoutMs = 60'000;
constexpr wchar_t kCancelWhen[] = L"cancel-when:";

void Print(const std::wstring& line) {
  std::wstring text = line + L"\n";
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    Print(L"usage: upload_driver wait|close-on-message|cancel-when:FILE PROGRAM [ARGUMENT-TEXT]");
    return 2;
  }
  const std::wstring action = argv[1];
  const std::wstring cancelSignal =
      action.starts_with(kCancelWhen) ? action.substr(wcslen(kCancelWhen)) : L"";
  std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
  if (argc > 3) commandLine += L" " + std::wstring(argv[3]);

  Print(L"COMMAND_LINE " + commandLine);
  STARTUPINFOW startup{sizeof(startup)};
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    Print(L"CANNOT_START " + std::to_wstring(GetLastError()));
    return 2;
  }
  CloseHandle(process.hThread);

  std::set<HWND> answered, seenWindows;
  std::wstring lastStatus;
  bool cancelPressed = false;
  DWORD cancelTime = 0;
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > kTimeoutMs) {
      Print(L"TIMEOUT");
      TerminateProcess(process.hProcess, 99);
      CloseHandle(process.hProcess);
      return 1;
    }
    for (HWND dialog : VisibleDialogs(process.dwProcessId, 0)) {
      if (!IsProgressWindow(dialog)) {
        if (!answered.insert(dialog).second) continue;
        MessageBoxSeen box = ReadMessageBox(dialog);
        Print(L"MESSAGE " + box.caption + L"|" + (box.warningIcon ? L"1" : L"0") + L"|" + box.text);
        AnswerMessageBox(dialog);
        continue;
      }
      if (seenWindows.insert(dialog).second) Print(L"WINDOW " + WindowText(dialog));
      std::wstring status = WindowText(GetDlgItem(dialog, 1003));
      if (status != lastStatus) Print(L"STATUS " + (lastStatus = status));
      bool press = (action == L"close-on-message" && !answered.empty()) ||
                   (!cancelSignal.empty() &&
                    GetFileAttributesW(cancelSignal.c_str()) != INVALID_FILE_ATTRIBUTES);
      if (press && !cancelPressed) {
        cancelPressed = true;
        cancelTime = GetTickCount();
        PressCancel(dialog);
      }
    }
  }
  if (cancelPressed) Print(L"CANCEL_TO_EXIT_MS " + std::to_wstring(GetTickCount() - cancelTime));
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  Print(L"EXIT " + std::to_wstring(status));
  return 0;
}
