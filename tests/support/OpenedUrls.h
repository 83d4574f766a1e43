#pragma once
// The addresses that the test prefix's stand-in browser was asked to open
// (the record KESTRO_OPENED_URLS names, see tests/CMakeLists.txt), from the
// moment this object was made: other test programs may add lines meanwhile.

#include <windows.h>

#include <string>
#include <vector>

namespace kestro::test {

class OpenedUrls {
 public:
  OpenedUrls();
  // The addresses opened since then, in order.
  std::vector<std::string> Lines() const;
  // Waits until `url` is among them, at most `timeoutMs`.
  bool WaitFor(const std::string& url, DWORD timeoutMs) const;

 private:
  std::string path_;
  std::streamoff start_ = 0;
};

}  // namespace kestro::test
