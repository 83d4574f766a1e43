#include "views/ConnectionsView.h"

#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "geo/Flags.h"
#include "geo/GeoIP.h"
#include "net/EndpointText.h"
#include "net/NetUtils.h"
#include "net/TableReader.h"
#include "process/ProcessInfo.h"
#include "views/ConnectionIndex.h"

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

DWORD ConnectionRecord::State() const {
  switch (kind) {
    case ConnectionKind::kTcp4:
      return endpoint.tcp4.dwState;
    case ConnectionKind::kTcp6:
      return endpoint.tcp6.dwState;
    default:
      return 0;
  }
}

DWORD ConnectionRecord::ProcessId() const {
  switch (kind) {
    case ConnectionKind::kTcp4:
      return endpoint.tcp4.dwOwningPid;
    case ConnectionKind::kTcp6:
      return endpoint.tcp6.dwOwningPid;
    case ConnectionKind::kUdp4:
      return endpoint.udp4.dwOwningPid;
    case ConnectionKind::kUdp6:
      return endpoint.udp6.dwOwningPid;
  }
  return 0;
}

namespace {

// One table row as the view reads it, whatever its kind.
struct EndpointRow {
  ConnectionKind kind;
  const void* raw;  // the table row itself, copied into the record
  size_t rawSize;
  DWORD pid;
  DWORD state;  // 0 for UDP
  EndpointAddressText local;
  EndpointAddressText remote;  // TCP only
  ConnectionKey key;
};

EndpointAddressText Text(int family, DWORD port, const void* address, DWORD scope, bool local) {
  EndpointAddressText text;
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
          KeyOf(r)};
}
EndpointRow Describe(const MIB_TCP6ROW_OWNER_PID& r) {
  return {ConnectionKind::kTcp6,
          &r,
          sizeof r,
          r.dwOwningPid,
          r.dwState,
          Text(AF_INET6, r.dwLocalPort, r.ucLocalAddr, r.dwLocalScopeId, true),
          Text(AF_INET6, r.dwRemotePort, r.ucRemoteAddr, r.dwRemoteScopeId, false),
          KeyOf(r)};
}
EndpointRow Describe(const MIB_UDPROW_OWNER_PID& r) {
  return {ConnectionKind::kUdp4,
          &r,
          sizeof r,
          r.dwOwningPid,
          0,
          Text(AF_INET, r.dwLocalPort, &r.dwLocalAddr, 0, true),
          {},
          KeyOf(r)};
}
EndpointRow Describe(const MIB_UDP6ROW_OWNER_PID& r) {
  return {ConnectionKind::kUdp6,
          &r,
          sizeof r,
          r.dwOwningPid,
          0,
          Text(AF_INET6, r.dwLocalPort, r.ucLocalAddr, r.dwLocalScopeId, true),
          {},
          KeyOf(r)};
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

bool PurgedWhenHidden(const ConnectionRecord& data) {
  if (!IsTcp(data.kind)) return true;
  const DWORD state = data.State();
  return state == kTcpClosed || state == kTcpListen;
}

}  // namespace

// One run of the refresh. Rows are found through an index of their keys
// instead of a search of the list; process details and countries are asked
// once per owner and per remote address within a refresh, not per row.
class ConnectionsView::Refresh {
 public:
  struct Process {
    std::wstring name;
    std::wstring path;
    std::wstring imagePath;
    FileVersionInfo version;
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
      for (const ConnectionColumn& column : kConnectionColumns)
        list_.AddColumn({column.caption, column.width});
    if (rebuild_ || !index_.Exact(list_)) index_.Rebuild(list_);
    // Hidden rows are only added while all endpoints are shown, and a kept
    // row takes no hidden state while they are not: purge once after showing.
    const bool purge = !options_.allEndpoints && view_.mayHoldHiddenRows_;
    view_.mayHoldHiddenRows_ = options_.allEndpoints;
    if (purge) {
      DeleteRows(
          [](const ListRow&, const ConnectionRecord& data) { return PurgedWhenHidden(data); });
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
      auto* data = row.RecordAs<ConnectionRecord>();
      if (!data || !doomed(row, *data)) return false;
      index_.Remove(KeyOf(*data), row.id);
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
        index_.ForEach(row.key, list_,
                       [&](const ConnectionRowIndex::Entry& entry, std::optional<size_t> at) {
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
    ConnectionRowIndex::Entry row;
    std::optional<size_t> at;
  };

  void UpdateMatch(const EndpointRow& row, const Match& match) {
    ConnectionRecord* data = match.row.data;
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
  EndpointAddressText Remote(const EndpointRow& row, ConnectionRecord& data, size_t index) const {
    EndpointAddressText remote = row.remote;
    remote.lookup = &data.lookup;
    remote.row = list_.Row(index).id;
    return remote;
  }

  std::wstring Cell(const EndpointAddressText& endpoint) {
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
    auto* data = list_.Row(list_.RowCount() - 1).RecordAs<ConnectionRecord>();
    index_.Add(row.key, {id, data});
    Mark(*data);
  }

  void BuildTcpRow(const EndpointRow& row, size_t index) {
    const Process& process = ProcessOf(row.pid);
    auto record = std::make_unique<ConnectionRecord>(row.kind);
    ConnectionRecord& data = *record;
    list_.SetRecord(index, std::move(record));
    ListRow& target = list_.MutableRow(index);
    target.image = 0;
    target.caption = process.name;
    const EndpointAddressText remote = Remote(row, data, index);
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
    auto record = std::make_unique<ConnectionRecord>(row.kind);
    std::memcpy(&record->endpoint, row.raw, row.rawSize);
    list_.SetRecord(index, std::move(record));
  }

  // Sound, auto-scroll and balloon of a new TCP row; an IPv6 row shows the
  // balloon before the sound.
  void Notify(const EndpointRow& row, const EndpointAddressText& remote, const Process& process,
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

  // The row's key is in the table of this pass.
  void Mark(ConnectionRecord& data) {
    if (data.seenInRefresh != view_.refreshSerial_) ++marked_;
    data.seenInRefresh = view_.refreshSerial_;
  }

  // Every row of this kind whose key the table no longer has goes, from the
  // last to the first. The rows are taken by identity first, so that rows the
  // user deletes or reorders meanwhile do not upset the walk.
  void Vanish(ConnectionKind kind) {
    // Nothing to look for when every row of the kind was marked.
    if (index_.Exact(list_) && index_.Count(kind) == marked_) return;
    std::vector<RowId> ofKind;
    for (size_t i = 0; i < list_.RowCount(); ++i) {
      const ListRow& row = list_.Row(i);
      auto* data = row.RecordAs<ConnectionRecord>();
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
        [&](const ListRow& row, const ConnectionRecord&) { return doomed_.count(row.id) != 0; });
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
  ConnectionRowIndex& index_;
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
      index_(std::make_unique<ConnectionRowIndex>()) {
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
  auto* data = list_.Row(*index).RecordAs<ConnectionRecord>();
  if (!data || !IsTcp(data->kind)) return;
  data->lookup.Complete(resultCode, name);
  if (resultCode == 0 && options_().byName)
    list_.SetCell(*index, kCellRemote, ResolvedCellText(list_.Row(*index).Cell(kCellRemote), name));
}

}  // namespace kestro
