#include "views/ConnectionsView.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "geo/GeoIP.h"
#include "net/EndpointText.h"
#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "process/ProcessInfo.h"

namespace kestro {

const wchar_t* ProtocolText(ConnectionKind kind) {
  switch (kind) {
    case ConnectionKind::kTcp4:
      return L"TCPv4";
    case ConnectionKind::kTcp6:
      return L"TCPv6";
    case ConnectionKind::kUdp4:
      return L"UDPv4";
    case ConnectionKind::kUdp6:
      return L"UDPv6";
  }
  return L"";
}

DWORD TConnectionData::State() const {
  switch (kind) {
    case ConnectionKind::kTcp4:
      return endpoint.tcp4.dwState;
    case ConnectionKind::kTcp6:
      return endpoint.tcp6.dwState;
    default:
      return 0;
  }
}

namespace {

struct ColumnSpec {
  const wchar_t* caption;
  int width;
};
constexpr ColumnSpec kColumns[] = {
    {L"进程", 120},     {L"本地地址", 150}, {L"远程地址", 150}, {L"状态", 87},
    {L"协议", 70},      {L"国家", 113},     {L"进程路径", 320}, {L"产品名称", 200},
    {L"公司名称", 200}, {L"文件说明", 200}, {L"文件版本", 70},  {L"", 0},
};

// The identity of a row across refreshes: kind, local address and port and,
// for TCP, remote address and port. Scope IDs and the owner are not part of it.
// Built by MakeKey only, which zeroes the padding that hashing and comparing read.
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

struct ConnectionKeyHash {
  size_t operator()(const ConnectionKey& key) const {
    // FNV-1a over 32-bit words; the padding is zeroed by MakeKey.
    uint32_t words[sizeof key / 4];
    std::memcpy(words, &key, sizeof words);
    uint32_t hash = 2166136261u;
    for (uint32_t word : words) hash = (hash ^ word) * 16777619u;
    return hash ^ (hash >> 15);
  }
};
static_assert(sizeof(ConnectionKey) % 4 == 0);

// One table row as the view reads it, whatever its kind.
struct EndpointRow {
  ConnectionKind kind;
  const void* raw;  // the table row itself, copied into the record
  size_t rawSize;
  DWORD pid;
  DWORD state;  // 0 for UDP
  TEndpointText local;
  TEndpointText remote;  // TCP only
  ConnectionKey key;
};

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

TEndpointText Text(int family, DWORD port, const void* address, DWORD scope, bool local) {
  TEndpointText text;
  text.family = family;
  text.portField = port;
  text.address = address;
  text.scopeId = scope;
  text.local = local;
  return text;
}

EndpointRow Describe(const MIB_TCPROW_OWNER_PID& r) {
  return {ConnectionKind::kTcp4,
          &r,
          sizeof r,
          r.dwOwningPid,
          r.dwState,
          Text(AF_INET, r.dwLocalPort, &r.dwLocalAddr, 0, true),
          Text(AF_INET, r.dwRemotePort, &r.dwRemoteAddr, 0, false),
          MakeKey(ConnectionKind::kTcp4, &r.dwLocalAddr, 4, r.dwLocalPort, &r.dwRemoteAddr,
                  r.dwRemotePort)};
}
EndpointRow Describe(const MIB_TCP6ROW_OWNER_PID& r) {
  return {ConnectionKind::kTcp6,
          &r,
          sizeof r,
          r.dwOwningPid,
          r.dwState,
          Text(AF_INET6, r.dwLocalPort, r.ucLocalAddr, r.dwLocalScopeId, true),
          Text(AF_INET6, r.dwRemotePort, r.ucRemoteAddr, r.dwRemoteScopeId, false),
          MakeKey(ConnectionKind::kTcp6, r.ucLocalAddr, 16, r.dwLocalPort, r.ucRemoteAddr,
                  r.dwRemotePort)};
}
EndpointRow Describe(const MIB_UDPROW_OWNER_PID& r) {
  return {ConnectionKind::kUdp4,
          &r,
          sizeof r,
          r.dwOwningPid,
          0,
          Text(AF_INET, r.dwLocalPort, &r.dwLocalAddr, 0, true),
          {},
          MakeKey(ConnectionKind::kUdp4, &r.dwLocalAddr, 4, r.dwLocalPort, nullptr, 0)};
}
EndpointRow Describe(const MIB_UDP6ROW_OWNER_PID& r) {
  return {ConnectionKind::kUdp6,
          &r,
          sizeof r,
          r.dwOwningPid,
          0,
          Text(AF_INET6, r.dwLocalPort, r.ucLocalAddr, r.dwLocalScopeId, true),
          {},
          MakeKey(ConnectionKind::kUdp6, r.ucLocalAddr, 16, r.dwLocalPort, nullptr, 0)};
}

EndpointRow Describe(const TConnectionData& data) {
  switch (data.kind) {
    case ConnectionKind::kTcp4:
      return Describe(data.endpoint.tcp4);
    case ConnectionKind::kTcp6:
      return Describe(data.endpoint.tcp6);
    case ConnectionKind::kUdp4:
      return Describe(data.endpoint.udp4);
    case ConnectionKind::kUdp6:
      break;
  }
  return Describe(data.endpoint.udp6);
}

// The rows of one fetched table, described one by one.
struct TableRows {
  const uint8_t* first = nullptr;
  size_t count = 0;
  size_t stride = 0;
  EndpointRow (*describe)(const void*) = nullptr;

  EndpointRow operator[](size_t i) const { return describe(first + i * stride); }
};

template <typename Table>
TableRows RowsOf(const TableBuffer& buffer) {
  const Table* table = buffer.As<Table>();
  using Row = std::remove_reference_t<decltype(table->table[0])>;
  return {reinterpret_cast<const uint8_t*>(table->table), table->dwNumEntries, sizeof(Row),
          [](const void* row) { return Describe(*static_cast<const Row*>(row)); }};
}

bool PurgedWhenHidden(const TConnectionData& data) {
  if (!IsTcp(data.kind)) return true;
  const DWORD state = data.State();
  return state == kTcpClosed || state == kTcpListen;
}

}  // namespace

// Where the rows of each key are, kept from one refresh to the next, so that a
// refresh that changes little costs little. It holds row identities only: a
// row deleted behind its back (a user command) is noticed when looked up.
// A hash map laid out for the refresh, which looks up every table row: the
// entries lie densely in the order they were added, which is the order the
// next refresh reads the table in, and the slots that find them are small
// (hash and position), so that tens of thousands of lookups stay in the cache.
template <typename Value>
class FlatKeyMap {
 public:
  void Clear() {
    slots_.assign(16, Slot());
    entries_.clear();
  }

  Value* Find(const ConnectionKey& key) {
    if (slots_.empty()) return nullptr;
    const Slot& slot = slots_[Probe(key, Hash(key))];
    return slot.used() ? &entries_[slot.entry - 1].value : nullptr;
  }
  Value& FindOrAdd(const ConnectionKey& key) {
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = Hash(key);
    Slot& slot = slots_[Probe(key, hash)];
    if (!slot.used()) {
      entries_.push_back({key, Value()});
      slot = {hash, static_cast<uint32_t>(entries_.size())};
    }
    return entries_[slot.entry - 1].value;
  }
  void Erase(const ConnectionKey& key) {
    if (slots_.empty()) return;
    size_t hole = Probe(key, Hash(key));
    if (!slots_[hole].used()) return;
    // The last entry moves into the erased one's place; its slot follows it.
    const uint32_t erased = slots_[hole].entry;
    if (erased != entries_.size()) {
      const ConnectionKey& last = entries_.back().key;
      slots_[Probe(last, Hash(last))].entry = erased;
      entries_[erased - 1] = std::move(entries_.back());
    }
    entries_.pop_back();
    // Moves later slots of the probe run back into the hole, so that every
    // entry stays reachable from its home slot without tombstones.
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

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t entry = 0;  // position in entries_ plus one; 0 when free
    bool used() const { return entry != 0; }
  };
  struct Entry {
    ConnectionKey key;
    Value value;
  };
  static uint32_t Hash(const ConnectionKey& key) {
    return static_cast<uint32_t>(ConnectionKeyHash()(key));
  }
  // The slot holding `key`, or the free slot where it would go.
  size_t Probe(const ConnectionKey& key, uint32_t hash) const {
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
      const uint32_t hash = Hash(entries_[i].key);
      size_t slot = hash & mask;
      while (slots_[slot].used()) slot = (slot + 1) & mask;
      slots_[slot] = {hash, static_cast<uint32_t>(i + 1)};
    }
  }

  std::vector<Slot> slots_;
  std::vector<Entry> entries_;
};

class ConnectionsView::RowIndex {
 public:
  // Indexes the rows of the list anew (an empty list after a view change).
  void Rebuild(const ListModel& list) {
    rows_.Clear();
    counts_.fill(0);
    for (size_t i = 0; i < list.RowCount(); ++i)
      if (auto* data = list.Row(i).RecordAs<TConnectionData>())
        Add(KeyOf(*data), {list.Row(i).id, data});
    countedAt_ = list.DeletionCount();
  }
  // False once rows left the list other than through Remove.
  bool Exact(const ListModel& list) const { return countedAt_ == list.DeletionCount(); }
  // Deletions through Remove keep the index exact.
  void Deleted(uint64_t deletionsBefore, const ListModel& list) {
    if (countedAt_ == deletionsBefore) countedAt_ = list.DeletionCount();
  }
  size_t Count(ConnectionKind kind) const { return counts_[static_cast<size_t>(kind)]; }

  // A row and its record, which lives as long as the row.
  struct Entry {
    RowId id = 0;
    TConnectionData* data = nullptr;
  };

  void Add(const ConnectionKey& key, Entry entry) {
    Rows& rows = rows_.FindOrAdd(key);
    if (rows.first.id == 0)
      rows.first = entry;
    else
      rows.more.push_back(entry);
    ++counts_[key.kind];
  }
  void Remove(const ConnectionKey& key, RowId id) {
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

  static ConnectionKey KeyOf(const TConnectionData& data);

 private:
  struct Rows {
    Entry first;
    std::vector<Entry> more;  // rows with a key seen twice: rare
  };
  static void PromoteFirst(Rows& rows) {
    rows.first = Entry();
    if (!rows.more.empty()) {
      rows.first = rows.more.back();
      rows.more.pop_back();
    }
  }

  FlatKeyMap<Rows> rows_;
  std::array<size_t, 4> counts_{};   // rows per kind
  uint64_t countedAt_ = UINT64_MAX;  // the list's deletion count the index is exact for
};

ConnectionKey ConnectionsView::RowIndex::KeyOf(const TConnectionData& data) {
  return Describe(data).key;
}

// One run of the refresh. Rows are found through an index of their keys
// instead of a search of the list; process details and countries are asked
// once per owner and per remote address within a refresh, not per row.
class ConnectionsView::Refresh {
 public:
  struct Process {
    std::wstring name;
    std::wstring path;
    std::wstring imagePath;
    TFileVersionInfo version;
  };

  struct Country {
    std::wstring name;
    int flag;
  };

  Refresh(ConnectionsView& view, ViewContext& context, bool rebuild)
      : view_(view),
        context_(context),
        list_(context.list),
        rebuild_(rebuild),
        options_(view.options_()),
        countryDatabase_(view.countryDatabase_()),
        index_(*view.index_) {}

  void Run() {
    if (rebuild_)
      for (const ColumnSpec& column : kColumns) list_.AddColumn({column.caption, column.width});
    if (rebuild_ || !index_.Exact(list_)) index_.Rebuild(list_);
    // Hidden rows are only added while all endpoints are shown, and a kept
    // row takes no hidden state while they are not: purge once after showing.
    const bool purge = !options_.allEndpoints && view_.mayHoldHiddenRows_;
    view_.mayHoldHiddenRows_ = options_.allEndpoints;
    if (purge) {
      DeleteRows(
          [](const ListRow&, const TConnectionData& data) { return PurgedWhenHidden(data); });
    }
    Pass(ConnectionKind::kTcp4, context_.tables.TcpTable(AF_INET));
    Pass(ConnectionKind::kTcp6, context_.tables.TcpTable(AF_INET6));
    if (options_.allEndpoints) {
      Pass(ConnectionKind::kUdp4, context_.tables.UdpTable(AF_INET));
      Pass(ConnectionKind::kUdp6, context_.tables.UdpTable(AF_INET6));
    }
  }

 private:
  // Deletes the connection rows `doomed` picks, and forgets them.
  template <typename Doomed>
  void DeleteRows(Doomed doomed) {
    const uint64_t before = list_.DeletionCount();
    list_.DeleteRowsIf([&](const ListRow& row) {
      auto* data = row.RecordAs<TConnectionData>();
      if (!data || !doomed(row, *data)) return false;
      index_.Remove(RowIndex::KeyOf(*data), row.id);
      return true;
    });
    index_.Deleted(before, list_);
  }

  static TableRows Rows(ConnectionKind kind, const TableBuffer& table) {
    switch (kind) {
      case ConnectionKind::kTcp4:
        return RowsOf<MIB_TCPTABLE_OWNER_PID>(table);
      case ConnectionKind::kTcp6:
        return RowsOf<MIB_TCP6TABLE_OWNER_PID>(table);
      case ConnectionKind::kUdp4:
        return RowsOf<MIB_UDPTABLE_OWNER_PID>(table);
      case ConnectionKind::kUdp6:
        break;
    }
    return RowsOf<MIB_UDP6TABLE_OWNER_PID>(table);
  }

  void Pass(ConnectionKind kind, const TableBuffer& table) {
    if (table.empty()) return;  // no size: the rows of this kind stay as they are
    const TableRows rows = Rows(kind, table);
    ++view_.refreshSerial_;
    marked_ = 0;
    for (size_t i = 0; i < rows.count; ++i) {
      const EndpointRow row = rows[i];
      // The first row with the key in the list's current order; every row
      // with the key is marked as still in the table (the vanish step does
      // not filter by state).
      std::optional<Match> match;
      if (!rebuild_) {
        index_.ForEach(row.key, list_, [&](const RowIndex::Entry& entry, std::optional<size_t> at) {
          Mark(*entry.data);
          if (!match || *at < *match->at) match = Match{entry, at};
        });
      }
      if (IsTcp(kind) && !options_.allEndpoints &&
          (row.state == kTcpClosed || row.state == kTcpListen))
        continue;
      if (match)
        UpdateMatch(row, *match);
      else
        AddRow(row);
      LetMessagesRun();
    }
    if (!rebuild_) Vanish(kind);
    FlushDeletions();
  }

  // The first row of the list with a key, and its position where known.
  struct Match {
    RowIndex::Entry row;
    std::optional<size_t> at;
  };

  void UpdateMatch(const EndpointRow& row, const Match& match) {
    TConnectionData* data = match.row.data;
    const bool newState = IsTcp(row.kind) && data->State() != row.state;
    if (!context_.state.ReResolve && !newState) return;
    const size_t index = match.at ? *match.at : *list_.IndexOf(match.row.id);
    if (context_.state.ReResolve) {
      list_.SetCell(index, kCellLocal, Cell(row.local));
      if (IsTcp(row.kind)) list_.SetCell(index, kCellRemote, Cell(Remote(row, *data, index)));
    }
    if (newState) {
      if (row.kind == ConnectionKind::kTcp4)
        data->endpoint.tcp4.dwState = row.state;
      else
        data->endpoint.tcp6.dwState = row.state;
      list_.SetCell(index, kCellState, TcpStateNames(row.state));
    }
  }

  // The remote endpoint with the row's lookup state, so that a name may be asked for.
  TEndpointText Remote(const EndpointRow& row, TConnectionData& data, size_t index) const {
    TEndpointText remote = row.remote;
    remote.lookup = &data.lookup;
    remote.row = list_.Row(index).id;
    return remote;
  }

  std::wstring Cell(const TEndpointText& endpoint) {
    return FormatEndpointCell(view_.names_, options_.byName, endpoint);
  }

  void AddRow(const EndpointRow& row) {
    ListRow& added = list_.AppendRow();
    const RowId id = added.id;
    try {
      if (IsTcp(row.kind))
        BuildTcpRow(row, list_.RowCount() - 1);
      else
        BuildUdpRow(row, list_.RowCount() - 1);
    } catch (...) {
      // A half-built row has no endpoint to match or close: it must not stay.
      if (auto index = list_.IndexOf(id)) list_.DeleteRow(*index);
      throw;
    }
    auto* data = list_.Row(list_.RowCount() - 1).RecordAs<TConnectionData>();
    index_.Add(row.key, {id, data});
    Mark(*data);
  }

  void BuildTcpRow(const EndpointRow& row, size_t index) {
    const Process& process = ProcessOf(row.pid);
    auto record = std::make_unique<TConnectionData>(row.kind);
    TConnectionData& data = *record;
    list_.SetRecord(index, std::move(record));
    ListRow& target = list_.MutableRow(index);
    target.image = 0;
    target.caption = process.name;
    const TEndpointText remote = Remote(row, data, index);
    target.cells.resize(kCellRemoteHost + 1);
    target.cells[kCellLocal] = Cell(row.local);
    target.cells[kCellRemote] = Cell(remote);
    target.cells[kCellState] = TcpStateNames(row.state);
    target.cells[kCellProtocol] = ProtocolText(row.kind);
    const Country& country = CountryOf(target.cells[kCellRemote]);
    target.cells[kCellCountry] = country.name;
    target.cellImages.assign(kCellCountry + 1, -1);
    target.cellImages[kCellCountry] = country.flag;
    FillProcessCells(target, process);
    target.image = IconOf(process.imagePath);
    target.cells[kCellRemoteHost] = FormatEndpointHost(view_.names_, options_.byName, remote);
    list_.RowChanged(index);

    context_.events.ActivitySignal();
    Notify(row, remote, process, country);
    std::memcpy(&data.endpoint, row.raw, row.rawSize);
  }

  void BuildUdpRow(const EndpointRow& row, size_t index) {
    const Process& process = ProcessOf(row.pid);
    ListRow& target = list_.MutableRow(index);
    target.image = 0;
    target.caption = process.name;
    target.cells.resize(kCellVersion + 1);
    target.cells[kCellLocal] = Cell(row.local);
    target.cells[kCellRemote] = L"*:*";
    target.cells[kCellProtocol] = ProtocolText(row.kind);
    target.image = IconOf(row.kind == ConnectionKind::kUdp4 ? process.imagePath : process.path);
    const Country& country = CountryOf(target.cells[kCellRemote]);
    target.cells[kCellCountry] = country.name;
    target.cellImages.assign(kCellCountry + 1, -1);
    target.cellImages[kCellCountry] = country.flag;
    FillProcessCells(target, process);
    list_.RowChanged(index);

    context_.events.ActivitySignal();
    if (view_.options_().autoScroll) context_.events.ScrollToEnd();
    auto record = std::make_unique<TConnectionData>(row.kind);
    std::memcpy(&record->endpoint, row.raw, row.rawSize);
    list_.SetRecord(index, std::move(record));
  }

  // Sound, auto-scroll and balloon of a new TCP row; an IPv6 row shows the
  // balloon before the sound.
  void Notify(const EndpointRow& row, const TEndpointText& remote, const Process& process,
              const Country& country) {
    const ConnectionOptions now = view_.options_();
    ViewEvents& events = context_.events;
    const bool v6 = row.kind == ConnectionKind::kTcp6;
    auto balloon = [&] {
      if (!now.balloon) return;
      events.ShowNewConnectionBalloon(
          v6 ? L"TCPv6建立连接" : L"TCv4建立连接",
          L"远程IP：" + FormatEndpointBalloon(view_.names_, options_.byName, remote) + L"\r" +
              L"进程名称：" + process.name + L" 国家：" + country.name);
    };
    if (v6) balloon();
    if (now.sound) events.PlayNewConnectionSound();
    if (now.autoScroll) events.ScrollToEnd();
    if (!v6) balloon();
  }

  const Process& ProcessOf(DWORD pid) {
    auto found = processes_.find(pid);
    if (found != processes_.end()) return found->second;
    ProcessDetails& details = view_.processes_;
    Process process;
    process.path = details.GetProcessPath(pid);
    process.version = details.ReadFileVersionInfo(process.path);
    process.name = details.ProcessIdToName(pid);
    process.imagePath = details.GetProcessImagePath(pid);
    return processes_.emplace(pid, std::move(process)).first->second;
  }

  int IconOf(const std::wstring& path) {
    auto found = icons_.find(path);
    if (found != icons_.end()) return found->second;
    return icons_.emplace(path, view_.processes_.GetFileIconIndex(path)).first->second;
  }

  // The country depends only on the address before the cell's first blank
  // (the lookup reads no further), so rows of one remote host share it.
  const Country& CountryOf(const std::wstring& remoteCell) {
    const std::wstring address = remoteCell.substr(0, remoteCell.find(L' '));
    auto found = countries_.find(address);
    if (found != countries_.end()) return found->second;
    Country country{GetCountryName(remoteCell, countryDatabase_),
                    CountryFlagIndex(GetCountryCode(remoteCell, countryDatabase_))};
    return countries_.emplace(address, std::move(country)).first->second;
  }

  static void FillProcessCells(ListRow& target, const Process& process) {
    target.cells[kCellPath] = process.path;
    target.cells[kCellProduct] = process.version.ProductName;
    target.cells[kCellCompany] = process.version.CompanyName;
    target.cells[kCellDescription] = process.version.FileDescription;
    target.cells[kCellVersion] = process.version.FileVersion;
  }

  // Every row of this kind whose key the table no longer has goes, from the
  // last to the first. The rows are taken by identity first, so that rows the
  // user deletes or reorders meanwhile do not upset the walk.
  // The row's key is in the table of this pass.
  void Mark(TConnectionData& data) {
    if (data.seenInRefresh != view_.refreshSerial_) ++marked_;
    data.seenInRefresh = view_.refreshSerial_;
  }

  void Vanish(ConnectionKind kind) {
    // Nothing to look for when every row of the kind was marked.
    if (index_.Exact(list_) && index_.Count(kind) == marked_) return;
    std::vector<RowId> ofKind;
    for (size_t i = 0; i < list_.RowCount(); ++i) {
      const ListRow& row = list_.Row(i);
      auto* data = row.RecordAs<TConnectionData>();
      if (data && data->kind == kind && data->seenInRefresh != view_.refreshSerial_)
        ofKind.push_back(row.id);
    }
    for (size_t k = ofKind.size(); k-- > 0;) {
      doomed_.insert(ofKind[k]);
      LetMessagesRun();
    }
  }

  // Deletions wait for the next chance to let messages run, so that a long
  // walk deletes in one pass over the list instead of one per row.
  void FlushDeletions() {
    if (doomed_.empty()) return;
    DeleteRows(
        [&](const ListRow& row, const TConnectionData&) { return doomed_.count(row.id) != 0; });
    doomed_.clear();
  }

  void LetMessagesRun() {
    if (!context_.events.PendingMessagesDue()) return;
    FlushDeletions();
    context_.events.ProcessPendingMessages();
  }

  ConnectionsView& view_;
  ViewContext& context_;
  ListModel& list_;
  const bool rebuild_;
  const ConnectionOptions options_;
  const std::wstring countryDatabase_;
  RowIndex& index_;
  size_t marked_ = 0;  // rows marked in the current pass
  std::unordered_set<RowId> doomed_;
  std::unordered_map<DWORD, Process> processes_;
  std::unordered_map<std::wstring, int> icons_;
  std::unordered_map<std::wstring, Country> countries_;
};

ConnectionsView::ConnectionsView(ListModel& list, ProcessDetails& processes, NameResolver& names,
                                 std::function<ConnectionOptions()> options)
    : list_(list),
      processes_(processes),
      names_(names),
      options_(std::move(options)),
      countryDatabase_(CountryDatabasePath),
      index_(std::make_unique<RowIndex>()) {
  names_.SetCompletion([this](RowId row, int resultCode, const std::wstring& name) {
    NameLookupDone(row, resultCode, name);
  });
}

ConnectionsView::~ConnectionsView() = default;

void ConnectionsView::Update(ViewContext& context, bool rebuild) {
  Refresh(*this, context, rebuild).Run();
}

void ConnectionsView::NameLookupDone(RowId row, int resultCode, const std::wstring& name) {
  std::optional<size_t> index = list_.IndexOf(row);
  if (!index) return;
  auto* data = list_.Row(*index).RecordAs<TConnectionData>();
  if (!data || !IsTcp(data->kind)) return;
  data->lookup.Complete(resultCode, name);
  if (resultCode == 0 && options_().byName)
    list_.SetCell(*index, kCellRemote, ResolvedCellText(list_.Row(*index).Cell(kCellRemote), name));
}

}  // namespace kestro
