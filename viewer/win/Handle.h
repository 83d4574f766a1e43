#pragma once
// One owner per handle: a move-only wrapper named by its close function and
// its invalid value, in the manner of WIL's unique_any. Every handle type the
// viewer owns has its alias here, so that no handle is closed by hand.

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace kestro {

namespace detail {
template <typename T>
T Null() noexcept {
  return nullptr;
}
}  // namespace detail

template <typename T, auto Close, auto Invalid = detail::Null<T>>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(T value) noexcept : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Invalid(); }
  T release() noexcept { return std::exchange(value_, Invalid()); }
  void reset(T value = Invalid()) noexcept {
    T old = std::exchange(value_, value);
    if (old != Invalid()) Close(old);
  }

 private:
  T value_ = Invalid();
};

namespace detail {
inline HANDLE InvalidHandleValue() noexcept { return INVALID_HANDLE_VALUE; }
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void DestroyImageList(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }
inline void DestroyMenu(HMENU menu) noexcept { ::DestroyMenu(menu); }
inline void DestroyAccelerators(HACCEL table) noexcept { ::DestroyAcceleratorTable(table); }
inline void DestroyIcon(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void DeleteGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
}  // namespace detail

// OpenProcess, CreateThread, CreateEvent, OpenProcessToken: null when invalid.
using UniqueHandleNull = UniqueHandle<HANDLE, detail::CloseKernelHandle>;
// CreateFile, CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE when invalid.
using UniqueFileHandle =
    UniqueHandle<HANDLE, detail::CloseKernelHandle, detail::InvalidHandleValue>;
// ImageList_Create, ImageList_LoadImage.
using UniqueImageList = UniqueHandle<HIMAGELIST, detail::DestroyImageList>;
// CreateMenu, CreatePopupMenu. A menu put into another (a submenu, or the
// menu bar given to a window) belongs to that one: release it there.
using UniqueMenu = UniqueHandle<HMENU, detail::DestroyMenu>;
// CreateAcceleratorTable.
using UniqueAccelerators = UniqueHandle<HACCEL, detail::DestroyAccelerators>;
// CreateIcon, LoadImage(IMAGE_ICON) without LR_SHARED, ImageList_GetIcon.
using UniqueIcon = UniqueHandle<HICON, detail::DestroyIcon>;
// RegOpenKeyEx, RegCreateKeyEx.
using UniqueRegKey = UniqueHandle<HKEY, detail::CloseKey>;
// CreateFontIndirect, CreateDIBSection, LoadImage(IMAGE_BITMAP).
using UniqueFont = UniqueHandle<HFONT, detail::DeleteGdiObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, detail::DeleteGdiObject>;

}  // namespace kestro

// Windows Sockets.
#include <winsock2.h>

namespace kestro {

namespace detail {
inline SOCKET InvalidSocket() noexcept { return INVALID_SOCKET; }
inline void CloseSocket(SOCKET s) noexcept { ::closesocket(s); }
}  // namespace detail

// socket, accept: INVALID_SOCKET when invalid.
using UniqueSocket = UniqueHandle<SOCKET, detail::CloseSocket, detail::InvalidSocket>;

}  // namespace kestro
