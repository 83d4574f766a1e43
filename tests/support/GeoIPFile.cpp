#include "support/GeoIPFile.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kestro::test {

void GeoIPFile::Add(const char* address, int prefix, uint32_t id) {
  in_addr parsed = {};
  inet_pton(AF_INET, address, &parsed);
  const uint32_t number = ntohl(parsed.s_addr);
  int node = 0;
  for (int depth = 0; depth < prefix; ++depth) {
    const int bit = (number >> (31 - depth)) & 1;
    if (depth == prefix - 1) {
      nodes_[node].child[bit] = -1;
      nodes_[node].id[bit] = id;
    } else {
      if (nodes_[node].child[bit] < 0) {
        Node next;
        // The new subtree starts with the country of the block it splits.
        next.id[0] = next.id[1] = nodes_[node].id[bit];
        nodes_.push_back(next);
        nodes_[node].child[bit] = static_cast<int>(nodes_.size() - 1);
      }
      node = nodes_[node].child[bit];
    }
  }
}

std::vector<uint8_t> GeoIPFile::Bytes(int edition) const {
  std::vector<uint8_t> bytes;
  for (const Node& node : nodes_) {
    for (int side = 0; side < 2; ++side) {
      const uint32_t record = node.child[side] >= 0 ? static_cast<uint32_t>(node.child[side])
                                                    : kCountryBegin + node.id[side];
      for (int i = 0; i < 3; ++i) bytes.push_back(static_cast<uint8_t>(record >> (8 * i)));
    }
  }
  if (edition != 0) bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, static_cast<uint8_t>(edition)});
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

std::wstring MakeTestFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring WriteTinyCountryDatabase() {
  GeoIPFile file;
  file.Add("128.0.0.0", 1, 48);
  // Splits the lower half into nodes of no country, for a file of four nodes:
  // the library looks for the edition marker in the last 22 bytes and takes
  // a shorter file for unreadable.
  file.Add("0.0.0.0", 4, 0);
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path =
      std::wstring(dir) + L"kestro-conn-test-" + std::to_wstring(GetCurrentProcessId()) + L".dat";
  WriteFileBytes(path, file.Bytes());
  return path;
}

}  // namespace kestro::test
