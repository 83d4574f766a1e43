#pragma once
// Text on the clipboard, for readers of either kind: CF_UNICODETEXT, and
// CF_TEXT in code page 936, the encoding of the program's display text, so
// that an 8-bit reader gets the same characters on any system locale.

#include <windows.h>

#include <string>

namespace kestro {

inline constexpr UINT kClipboardCodePage = 936;

// Replaces the clipboard's content with `text`; `owner` becomes its owner.
// Raises SystemError when the clipboard cannot be opened or filled.
void SetClipboardText(HWND owner, const std::wstring& text);

}  // namespace kestro
