#pragma once
// Conversions between the program's UTF-16 text and the byte encodings it meets
// at its edges (ANSI structures of the platform, code page 936 reports, UTF-8).

#include <windows.h>

#include <string>
#include <string_view>

namespace kestro {

std::wstring Widen(std::string_view bytes, UINT codePage = CP_ACP);
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

inline std::string ToUtf8(std::wstring_view text) { return Narrow(text, CP_UTF8); }
inline std::wstring FromUtf8(std::string_view bytes) { return Widen(bytes, CP_UTF8); }

// Text of a fixed-size, possibly unterminated ANSI field: up to the first NUL,
// never beyond `size` bytes.
std::wstring WidenField(const char* field, size_t size, UINT codePage = CP_ACP);

}  // namespace kestro
