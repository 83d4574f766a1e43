#include "win/SystemError.h"

#include "win/Text.h"

namespace kestro {

std::wstring SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) text = L"System error " + std::to_wstring(code);
  return text;
}

SystemError::SystemError(DWORD code) : SystemError(code, SystemMessage(code)) {}

SystemError::SystemError(DWORD code, std::wstring message)
    : std::runtime_error(ToUtf8(message)), code_(code), message_(std::move(message)) {}

}  // namespace kestro
