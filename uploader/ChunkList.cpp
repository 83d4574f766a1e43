#include "ChunkList.h"

namespace mirovan {

void ChunkList::AppendCopy(std::string_view bytes) {
  if (bytes.empty()) return;
  chunks_.emplace_back(bytes.begin(), bytes.end());
  total_ += bytes.size();
}

void ChunkList::AppendOwned(std::vector<char>&& buffer) {
  if (buffer.empty()) return;
  total_ += buffer.size();
  chunks_.push_back(std::move(buffer));
}

void ChunkList::Join() {
  joined_.clear();
  joined_.shrink_to_fit();
  joined_.reserve(total_);
  for (const auto& chunk : chunks_) joined_.insert(joined_.end(), chunk.begin(), chunk.end());
}

}  // namespace mirovan
