#include "win/SpecialFolder.h"

#include <windows.h>
#include <shlobj.h>

namespace kestro {

std::wstring GetSpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

}  // namespace kestro
