#pragma once
// Writes small GeoIP Legacy country databases: the search tree of 3-byte
// records (two per node, little-endian; a value of 0xFFFF00 + ID or more is a
// country ID) and, optionally, the structure-information marker.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestro::test {

class GeoIPFile {
 public:
  static constexpr uint32_t kCountryBegin = 16776960;

  // Gives the block `address`/`prefix` (1 to 32 bits) the country `id`.
  void Add(const char* address, int prefix, uint32_t id);
  // The file's bytes; `edition` 0 writes no marker (a country edition file).
  std::vector<uint8_t> Bytes(int edition = 0) const;

 private:
  struct Node {
    int child[2] = {-1, -1};
    uint32_t id[2] = {0, 0};
  };
  std::vector<Node> nodes_ = {Node()};
};

// Writes `bytes` to `path`; false on failure.
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
// A fresh folder under the temporary folder.
std::wstring MakeTestFolder(const std::wstring& name);
// The country database of the view and window tests, in a file of this
// process under the temporary folder: addresses from 128.0.0.0 on are in
// China (ID 48), the others in no country. Returns its path.
std::wstring WriteTinyCountryDatabase();

}  // namespace kestro::test
