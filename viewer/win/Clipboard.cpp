#include "win/Clipboard.h"

#include <cstring>
#include <memory>

#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

struct GlobalDeleter {
  void operator()(void* memory) const noexcept { GlobalFree(memory); }
};

// Movable memory holding `bytes` (terminator included), as SetClipboardData wants.
std::unique_ptr<void, GlobalDeleter> GlobalCopy(const void* bytes, size_t size) {
  std::unique_ptr<void, GlobalDeleter> memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) ThrowLastError();
  void* target = GlobalLock(memory.get());
  std::memcpy(target, bytes, size);
  GlobalUnlock(memory.get());
  return memory;
}

void Put(UINT format, std::unique_ptr<void, GlobalDeleter> memory) {
  if (!SetClipboardData(format, memory.get())) ThrowLastError();
  memory.release();  // the clipboard's now
}

}  // namespace

void SetClipboardText(HWND owner, const std::wstring& text) {
  const std::string bytes = Narrow(text, kClipboardCodePage);
  auto wide = GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  auto narrow = GlobalCopy(bytes.c_str(), bytes.size() + 1);
  if (!OpenClipboard(owner)) ThrowLastError();
  struct CloseAtEnd {
    ~CloseAtEnd() { CloseClipboard(); }
  } closeAtEnd;
  if (!EmptyClipboard()) ThrowLastError();
  Put(CF_UNICODETEXT, std::move(wide));
  Put(CF_TEXT, std::move(narrow));
}

}  // namespace kestro
