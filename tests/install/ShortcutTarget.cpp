// Prints what a shell shortcut (.lnk) points to, as the shell reads it: the
// target path on the first line, the icon file and index on the second, in
// UTF-8. Exit status 1 when the shortcut cannot be read, 2 on a wrong call.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

void PrintLine(const std::wstring& text) {
  std::string bytes(text.size() * 4 + 1, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr));
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: shortcut_target FILE.lnk\n");
    return 2;
  }
  if (FAILED(CoInitialize(nullptr))) return 1;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  int status = 1;
  wchar_t target[MAX_PATH] = {}, icon[MAX_PATH] = {};
  int iconIndex = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(argv[1], STGM_READ)) &&
      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
      SUCCEEDED(link->GetIconLocation(icon, MAX_PATH, &iconIndex))) {
    PrintLine(target);
    PrintLine(std::wstring(icon) + L"," + std::to_wstring(iconIndex));
    status = 0;
  } else {
    std::fprintf(stderr, "shortcut_target: cannot read the shortcut\n");
  }
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return status;
}
