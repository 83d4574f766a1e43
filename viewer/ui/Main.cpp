// Entry point of kestro.exe.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Kestro V 1.0", L"Kestro V 1.0", MB_OK | MB_ICONINFORMATION);
  return 0;
}
