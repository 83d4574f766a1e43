#pragma once
// The request body under construction: chunks in order, joined into one
// buffer before sending.

#include <string_view>
#include <vector>

namespace mirovan {

class ChunkList {
 public:
  // Empty input appends nothing.
  void AppendCopy(std::string_view bytes);
  void AppendOwned(std::vector<char>&& buffer);
  // Replaces an earlier joined buffer by the chunks copied one after another.
  void Join();
  std::size_t TotalLength() const { return total_; }
  const std::vector<char>& Joined() const { return joined_; }

 private:
  std::vector<std::vector<char>> chunks_;
  std::size_t total_ = 0;
  std::vector<char> joined_;
};

}  // namespace mirovan
