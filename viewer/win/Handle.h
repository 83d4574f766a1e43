#pragma once
// One owner per handle: a move-only wrapper named by its close function and
// its invalid value, in the manner of WIL's unique_any.

#include <windows.h>

#include <utility>

namespace kestro {

template <typename T, auto Close, auto Invalid>
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
inline HANDLE NullHandle() noexcept { return nullptr; }
inline HANDLE InvalidHandleValue() noexcept { return INVALID_HANDLE_VALUE; }
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
}  // namespace detail

// OpenProcess, CreateThread, CreateEvent, OpenProcessToken: null when invalid.
using UniqueHandleNull = UniqueHandle<HANDLE, detail::CloseKernelHandle, detail::NullHandle>;
// CreateFile, CreateToolhelp32Snapshot: INVALID_HANDLE_VALUE when invalid.
using UniqueFileHandle =
    UniqueHandle<HANDLE, detail::CloseKernelHandle, detail::InvalidHandleValue>;

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
