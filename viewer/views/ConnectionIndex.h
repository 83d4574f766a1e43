#pragma once
// How a refresh finds the rows of a table row: the row's identity (its key),
// a flat hash map laid out for the refresh, and the index of the list's rows
// by key that the connection view keeps from one refresh to the next.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "views/ConnectionsView.h"
#include "views/ListModel.h"

namespace kestro {

// The identity of a row across refreshes: kind, local address and port and,
// for TCP, remote address and port. Scope IDs and the owner are not part of it.
// Built by the KeyOf functions only, which zero the padding that hashing and
// comparing read.
struct ConnectionKey {
  uint8_t kind;
  uint8_t local[16];
  uint8_t remote[16];
  DWORD localPort;
  DWORD remotePort;

  bool operator==(const ConnectionKey& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
  }
};
static_assert(sizeof(ConnectionKey) % 4 == 0);

struct ConnectionKeyHash {
  size_t operator()(const ConnectionKey& key) const;
};

ConnectionKey KeyOf(const MIB_TCPROW_OWNER_PID& row);
ConnectionKey KeyOf(const MIB_TCP6ROW_OWNER_PID& row);
ConnectionKey KeyOf(const MIB_UDPROW_OWNER_PID& row);
ConnectionKey KeyOf(const MIB_UDP6ROW_OWNER_PID& row);
// The key of the table row a record was made from.
ConnectionKey KeyOf(const ConnectionRecord& data);

// A hash map for the refresh, which looks up every table row: the entries lie
// densely in the order they were added, which is the order the next refresh
// reads the table in, and the slots that find them are small (hash and
// position), so that tens of thousands of lookups stay in the cache. Linear
// probing at most half full; an erase moves the last entry into the hole and
// pulls the rest of its probe run back, so there are no tombstones.
template <typename Key, typename Value, typename Hash>
class FlatHashMap {
 public:
  void Clear() {
    slots_.assign(16, Slot());
    entries_.clear();
  }

  Value* Find(const Key& key) {
    if (slots_.empty()) return nullptr;
    const Slot& slot = slots_[Probe(key, HashOf(key))];
    return slot.used() ? &entries_[slot.entry - 1].value : nullptr;
  }
  Value& FindOrAdd(const Key& key) {
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = HashOf(key);
    Slot& slot = slots_[Probe(key, hash)];
    if (!slot.used()) {
      entries_.push_back({key, Value()});
      slot = {hash, static_cast<uint32_t>(entries_.size())};
    }
    return entries_[slot.entry - 1].value;
  }
  void Erase(const Key& key) {
    if (slots_.empty()) return;
    size_t hole = Probe(key, HashOf(key));
    if (!slots_[hole].used()) return;
    // The last entry moves into the erased one's place; its slot follows it.
    const uint32_t erased = slots_[hole].entry;
    if (erased != entries_.size()) {
      const Key& last = entries_.back().key;
      slots_[Probe(last, HashOf(last))].entry = erased;
      entries_[erased - 1] = std::move(entries_.back());
    }
    entries_.pop_back();
    // Moves later slots of the probe run back into the hole, so that every
    // entry stays reachable from its home slot.
    const size_t mask = slots_.size() - 1;
    for (size_t next = (hole + 1) & mask; slots_[next].used(); next = (next + 1) & mask) {
      const size_t home = slots_[next].hash & mask;
      const bool staysPut =
          hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
      if (staysPut) continue;
      slots_[hole] = slots_[next];
      hole = next;
    }
    slots_[hole] = Slot();
  }
  size_t Size() const { return entries_.size(); }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t entry = 0;  // position in entries_ plus one; 0 when free
    bool used() const { return entry != 0; }
  };
  struct Entry {
    Key key;
    Value value;
  };
  static uint32_t HashOf(const Key& key) { return static_cast<uint32_t>(Hash()(key)); }
  // The slot holding `key`, or the free slot where it would go.
  size_t Probe(const Key& key, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    while (slots_[slot].used() &&
           !(slots_[slot].hash == hash && entries_[slots_[slot].entry - 1].key == key))
      slot = (slot + 1) & mask;
    return slot;
  }
  void Grow() {
    slots_.assign(std::max<size_t>(16, slots_.size() * 2), Slot());
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
      const uint32_t hash = HashOf(entries_[i].key);
      size_t slot = hash & mask;
      while (slots_[slot].used()) slot = (slot + 1) & mask;
      slots_[slot] = {hash, static_cast<uint32_t>(i + 1)};
    }
  }

  std::vector<Slot> slots_;
  std::vector<Entry> entries_;
};

// Where the rows of each key are, kept from one refresh to the next, so that a
// refresh that changes little costs little. It holds row identities only: a
// row deleted behind its back (a user command) is noticed when looked up.
class ConnectionRowIndex {
 public:
  // A row and its record, which lives as long as the row.
  struct Entry {
    RowId id = 0;
    ConnectionRecord* data = nullptr;
  };

  // Indexes the rows of the list anew (an empty list after a view change).
  void Rebuild(const ListModel& list);
  // False once rows left the list other than through Remove.
  bool Exact(const ListModel& list) const { return countedAt_ == list.DeletionCount(); }
  // Deletions through Remove keep the index exact.
  void Deleted(uint64_t deletionsBefore, const ListModel& list) {
    if (countedAt_ == deletionsBefore) countedAt_ = list.DeletionCount();
  }
  size_t Count(ConnectionKind kind) const { return counts_[static_cast<size_t>(kind)]; }

  void Add(const ConnectionKey& key, Entry entry);
  void Remove(const ConnectionKey& key, RowId id);
  // The rows of `key` still in the list: visit(entry, position). The position
  // is looked up only where it decides (several rows), or where a row may
  // have been deleted behind the index's back, which is then forgotten.
  template <typename Visit>
  void ForEach(const ConnectionKey& key, const ListModel& list, Visit visit) {
    Rows* rows = rows_.Find(key);
    if (!rows) return;
    if (rows->more.empty() && Exact(list)) return visit(rows->first, std::optional<size_t>());
    auto gone = [&](const Entry& entry) {
      std::optional<size_t> index = list.IndexOf(entry.id);
      if (index) visit(entry, index);
      return !index;
    };
    rows->more.erase(std::remove_if(rows->more.begin(), rows->more.end(), gone), rows->more.end());
    if (gone(rows->first)) PromoteFirst(*rows);
    if (rows->first.id == 0) rows_.Erase(key);
  }

 private:
  struct Rows {
    Entry first;
    std::vector<Entry> more;  // rows with a key seen twice: rare
  };
  static void PromoteFirst(Rows& rows);

  FlatHashMap<ConnectionKey, Rows, ConnectionKeyHash> rows_;
  std::array<size_t, 4> counts_{};   // rows per kind
  uint64_t countedAt_ = UINT64_MAX;  // the list's deletion count the index is exact for
};

}  // namespace kestro
