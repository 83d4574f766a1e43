#include "views/ConnectionIndex.h"

namespace kestro {

namespace {

ConnectionKey MakeKey(ConnectionKind kind, const void* local, size_t addressSize, DWORD localPort,
                      const void* remote, DWORD remotePort) {
  ConnectionKey key;
  std::memset(&key, 0, sizeof key);
  key.kind = static_cast<uint8_t>(kind);
  std::memcpy(key.local, local, addressSize);
  if (remote) std::memcpy(key.remote, remote, addressSize);
  key.localPort = localPort;
  key.remotePort = remotePort;
  return key;
}

}  // namespace

size_t ConnectionKeyHash::operator()(const ConnectionKey& key) const {
  // FNV-1a over 32-bit words; the padding is zeroed by MakeKey.
  uint32_t words[sizeof key / 4];
  std::memcpy(words, &key, sizeof words);
  uint32_t hash = 2166136261u;
  for (uint32_t word : words) hash = (hash ^ word) * 16777619u;
  return hash ^ (hash >> 15);
}

ConnectionKey KeyOf(const MIB_TCPROW_OWNER_PID& r) {
  return MakeKey(ConnectionKind::kTcp4, &r.dwLocalAddr, 4, r.dwLocalPort, &r.dwRemoteAddr,
                 r.dwRemotePort);
}
ConnectionKey KeyOf(const MIB_TCP6ROW_OWNER_PID& r) {
  return MakeKey(ConnectionKind::kTcp6, r.ucLocalAddr, 16, r.dwLocalPort, r.ucRemoteAddr,
                 r.dwRemotePort);
}
ConnectionKey KeyOf(const MIB_UDPROW_OWNER_PID& r) {
  return MakeKey(ConnectionKind::kUdp4, &r.dwLocalAddr, 4, r.dwLocalPort, nullptr, 0);
}
ConnectionKey KeyOf(const MIB_UDP6ROW_OWNER_PID& r) {
  return MakeKey(ConnectionKind::kUdp6, r.ucLocalAddr, 16, r.dwLocalPort, nullptr, 0);
}

ConnectionKey KeyOf(const ConnectionRecord& data) {
  switch (data.kind) {
    case ConnectionKind::kTcp4:
      return KeyOf(data.endpoint.tcp4);
    case ConnectionKind::kTcp6:
      return KeyOf(data.endpoint.tcp6);
    case ConnectionKind::kUdp4:
      return KeyOf(data.endpoint.udp4);
    case ConnectionKind::kUdp6:
      break;
  }
  return KeyOf(data.endpoint.udp6);
}

void ConnectionRowIndex::Rebuild(const ListModel& list) {
  rows_.Clear();
  counts_.fill(0);
  for (size_t i = 0; i < list.RowCount(); ++i)
    if (auto* data = list.Row(i).RecordAs<ConnectionRecord>())
      Add(KeyOf(*data), {list.Row(i).id, data});
  countedAt_ = list.DeletionCount();
}

void ConnectionRowIndex::Add(const ConnectionKey& key, Entry entry) {
  Rows& rows = rows_.FindOrAdd(key);
  if (rows.first.id == 0)
    rows.first = entry;
  else
    rows.more.push_back(entry);
  ++counts_[key.kind];
}

void ConnectionRowIndex::Remove(const ConnectionKey& key, RowId id) {
  Rows* rows = rows_.Find(key);
  if (!rows) return;
  if (rows->first.id == id)
    PromoteFirst(*rows);
  else
    rows->more.erase(std::remove_if(rows->more.begin(), rows->more.end(),
                                    [&](const Entry& e) { return e.id == id; }),
                     rows->more.end());
  --counts_[key.kind];
  if (rows->first.id == 0) rows_.Erase(key);
}

void ConnectionRowIndex::PromoteFirst(Rows& rows) {
  rows.first = Entry();
  if (!rows.more.empty()) {
    rows.first = rows.more.back();
    rows.more.pop_back();
  }
}

}  // namespace kestro
