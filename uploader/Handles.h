#pragma once
// One owner per handle: std::unique_ptr with a deleter named by the close
// function. Every handle kept here is null when invalid.

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <type_traits>

namespace mirovan {

template <auto Close>
struct CloseWith {
  template <typename Handle>
  void operator()(Handle handle) const noexcept {
    Close(handle);
  }
};

// Kernel objects: files (after the INVALID_HANDLE_VALUE check), threads, events.
using UniqueHandle = std::unique_ptr<void, CloseWith<&CloseHandle>>;
// Session, connection and request; declared in that order so that they close
// request first.
using UniqueInternetHandle = std::unique_ptr<void, CloseWith<&InternetCloseHandle>>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, CloseWith<&DestroyIcon>>;

}  // namespace mirovan
