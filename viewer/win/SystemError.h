#pragma once
// The one error type of the viewer: a failure that ends the current operation,
// carrying the text the user sees (usually the system's message for a code).

#include <windows.h>

#include <stdexcept>
#include <string>

namespace kestro {

// The system's message text for a Win32 result code, without the trailing line
// break; "错误 N" style fallback text when the system has none.
std::wstring SystemMessage(DWORD code);

class SystemError : public std::runtime_error {
 public:
  // The system's message for `code`.
  explicit SystemError(DWORD code);
  // A text of our own (for example a formatted "Cannot open file" message).
  SystemError(DWORD code, std::wstring message);

  DWORD code() const noexcept { return code_; }
  const std::wstring& message() const noexcept { return message_; }

 private:
  DWORD code_;
  std::wstring message_;
};

// Raises the error the calling thread's last failed call left.
[[noreturn]] inline void ThrowLastError() { ThrowLastError(); }

// Raises SystemError(result) unless result is NO_ERROR.
inline void CheckResult(DWORD result) {
  if (result != NO_ERROR) throw SystemError(result);
}

}  // namespace kestro
