#include "AnsiText.h"

#include <windows.h>

namespace mirovan {

namespace {

std::size_t AnsiLength(std::wstring_view text) {
  if (text.empty()) return 0;
  return static_cast<std::size_t>(WideCharToMultiByte(
      CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr));
}

// How many UTF-16 units of text fit into maxBytes, whole characters only.
std::size_t FittingPrefix(std::wstring_view text, std::size_t maxBytes) {
  std::size_t units = 0, bytes = 0;
  while (units < text.size()) {
    std::size_t step = IS_HIGH_SURROGATE(text[units]) && units + 1 < text.size() ? 2 : 1;
    bytes += AnsiLength(text.substr(units, step));
    if (bytes > maxBytes) break;
    units += step;
  }
  return units;
}

}  // namespace

std::string ToAnsiCodePage(std::wstring_view text, std::size_t maxBytes) {
  if (AnsiLength(text) > maxBytes) text = text.substr(0, FittingPrefix(text, maxBytes));
  std::string result(AnsiLength(text), '\0');
  if (!result.empty()) {
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        static_cast<int>(result.size()), nullptr, nullptr);
  }
  return result;
}

std::wstring FromAnsiCodePage(std::string_view text) {
  if (text.empty()) return {};
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
  return result;
}

}  // namespace mirovan
