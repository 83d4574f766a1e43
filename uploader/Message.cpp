#include "Message.h"

#include <windows.h>

namespace mirovan {

void ShowMessage(const std::wstring& text) {
  MessageBoxW(nullptr, text.c_str(), L"Mirovan Uploader 0.0.1", MB_OK | MB_ICONWARNING);
}

}  // namespace mirovan
