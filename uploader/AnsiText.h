#pragma once
// The form carries the file name in the system's ANSI code page.

#include <string>
#include <string_view>

namespace mirovan {

// The text in the ANSI code page, cut at a character boundary so that it has
// at most maxBytes bytes.
std::string ToAnsiCodePage(std::wstring_view text, std::size_t maxBytes);
std::wstring FromAnsiCodePage(std::string_view text);

}  // namespace mirovan
