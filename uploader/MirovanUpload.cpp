#include <windows.h>

#include "FrontEnd.h"

// MIROVAN_HOST and MIROVAN_PORT are build settings, so that a copy built for
// the tests talks to 127.0.0.1.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return mirovan::RunUploader(GetCommandLineW(), {MIROVAN_HOST, MIROVAN_PORT});
}
