#pragma once
// The shell's special folders.

#include <string>

namespace kestro {

// SHGetFolderPath of a CSIDL (current path); empty when the call fails.
std::wstring GetSpecialFolder(int csidl);

}  // namespace kestro
