#include "support/OpenedUrls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace kestro::test {

OpenedUrls::OpenedUrls() {
  const char* path = std::getenv("KESTRO_OPENED_URLS");
  EXPECT_NE(path, nullptr) << "KESTRO_OPENED_URLS is not set";
  if (!path) return;
  path_ = path;
  std::ifstream record(path_, std::ios::binary | std::ios::ate);
  if (record) start_ = record.tellg();
}

std::vector<std::string> OpenedUrls::Lines() const {
  std::vector<std::string> lines;
  std::ifstream record(path_, std::ios::binary);
  if (!record) return lines;
  record.seekg(start_);
  for (std::string line; std::getline(record, line);) lines.push_back(line);
  return lines;
}

bool OpenedUrls::WaitFor(const std::string& url, DWORD timeoutMs) const {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    const std::vector<std::string> lines = Lines();
    if (std::find(lines.begin(), lines.end(), url) != lines.end()) return true;
    Sleep(50);
  } while (GetTickCount64() < deadline);
  return false;
}

}  // namespace kestro::test
