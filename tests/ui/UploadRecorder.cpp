// A stand-in for the upload tool: writes the command line it was started
// with, as UTF-16, to its own path + ".txt".
#include <windows.h>

#include <cwchar>
#include <string>

int wmain() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring line = GetCommandLineW();
  const std::wstring record = std::wstring(self) + L".txt";
  const std::wstring partial = record + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(file);
  // Whole or not at all, for the test that waits for it.
  MoveFileW(partial.c_str(), record.c_str());
  return 0;
}
