#include "win/Text.h"

#include <cstring>

namespace kestro {

std::wstring Widen(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int length =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                      length);
  return text;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                      nullptr, nullptr);
  return bytes;
}

std::wstring WidenField(const char* field, size_t size, UINT codePage) {
  const void* end = std::memchr(field, '\0', size);
  size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : size;
  return Widen(std::string_view(field, length), codePage);
}

}  // namespace kestro
