#include "process/ProcessCache.h"

#include <unordered_set>

namespace kestro {

void ProcessDetailsCache::NewCycle() {
  ++cycle_;
  snapshotTaken_ = false;
  icons_.clear();
}

void ProcessDetailsCache::TakeSnapshot() {
  names_ = details_.SnapshotProcessNames();
  snapshotTaken_ = true;
  // A process missing from the snapshot has ended: its PID may come back as
  // another process, and its program file may change.
  std::unordered_set<std::wstring> paths;
  for (auto it = processes_.begin(); it != processes_.end();) {
    auto named = names_.find(it->first);
    if (named == names_.end() || named->second != it->second.owner.name) {
      it = processes_.erase(it);
    } else {
      paths.insert(it->second.owner.path);
      ++it;
    }
  }
  for (auto it = versions_.begin(); it != versions_.end();)
    it = paths.count(it->first) ? std::next(it) : versions_.erase(it);
}

const OwnerDetails& ProcessDetailsCache::Owner(DWORD pid) {
  if (!snapshotTaken_) TakeSnapshot();
  auto [found, added] = processes_.try_emplace(pid);
  Process& process = found->second;
  if (!added && process.cycle == cycle_) return process.owner;

  auto named = names_.find(pid);
  const std::wstring name = named != names_.end() ? named->second : L"?";
  std::wstring imagePath = details_.GetProcessImagePath(pid);
  const bool known = !added && named != names_.end() && process.owner.name == name &&
                     process.owner.imagePath == imagePath;
  if (!known) {
    process.owner.name = name;
    process.owner.imagePath = std::move(imagePath);
    process.owner.path = named != names_.end() ? details_.MainModulePath(pid, name) : L"?";
    process.owner.version = VersionOf(process.owner.path);
  }
  process.cycle = cycle_;
  return process.owner;
}

const FileVersionInfo& ProcessDetailsCache::VersionOf(const std::wstring& path) {
  auto found = versions_.find(path);
  if (found != versions_.end()) return found->second;
  return versions_.emplace(path, details_.ReadFileVersionInfo(path)).first->second;
}

int ProcessDetailsCache::Icon(const std::wstring& path) {
  auto found = icons_.find(path);
  if (found != icons_.end()) return found->second;
  return icons_.emplace(path, details_.GetFileIconIndex(path)).first->second;
}

}  // namespace kestro
