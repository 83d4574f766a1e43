// The refresh against its definition written out plainly: linear searches of
// the list and of the table, row by row, on random table sequences with
// duplicate keys, filtered states, option changes, rebuilds and sorted lists.
#include <random>

#include "ConnectionsFixture.h"
#include "net/EndpointText.h"
#include "net/NetUtils.h"

namespace kestro::test {
namespace {

// The reference's row: what the view shows and keeps of a table row.
struct RefRow {
  ConnectionKind kind;
  MIB_TCP6ROW_OWNER_PID tcp6;  // used for TCPv6 and UDPv6 (local part only)
  MIB_TCPROW_OWNER_PID tcp4;   // used for TCPv4 and UDPv4 (local part only)
  DWORD state;
  DWORD pid;
  std::wstring caption, local, remote, stateText, protocol;

  std::wstring Text(int column) const {
    switch (column) {
      case 0:
        return caption;
      case 1:
        return local;
      case 2:
        return remote;
      case 3:
        return stateText;
      default:
        return protocol;
    }
  }
};

bool SameKey(const RefRow& row, const RefRow& other) {
  if (row.kind != other.kind) return false;
  switch (row.kind) {
    case ConnectionKind::kTcp4:
      return row.tcp4.dwLocalAddr == other.tcp4.dwLocalAddr &&
             row.tcp4.dwLocalPort == other.tcp4.dwLocalPort &&
             row.tcp4.dwRemoteAddr == other.tcp4.dwRemoteAddr &&
             row.tcp4.dwRemotePort == other.tcp4.dwRemotePort;
    case ConnectionKind::kTcp6:
      return memcmp(row.tcp6.ucLocalAddr, other.tcp6.ucLocalAddr, 16) == 0 &&
             row.tcp6.dwLocalPort == other.tcp6.dwLocalPort &&
             memcmp(row.tcp6.ucRemoteAddr, other.tcp6.ucRemoteAddr, 16) == 0 &&
             row.tcp6.dwRemotePort == other.tcp6.dwRemotePort;
    case ConnectionKind::kUdp4:
      return row.tcp4.dwLocalAddr == other.tcp4.dwLocalAddr &&
             row.tcp4.dwLocalPort == other.tcp4.dwLocalPort;
    case ConnectionKind::kUdp6:
      return memcmp(row.tcp6.ucLocalAddr, other.tcp6.ucLocalAddr, 16) == 0 &&
             row.tcp6.dwLocalPort == other.tcp6.dwLocalPort;
  }
  return false;
}

class Reference {
 public:
  explicit Reference(NameResolver& names) : names_(names) {}

  void Refresh(ScriptedIpHelper& ip, bool allEndpoints, bool rebuild) {
    if (rebuild) rows.clear();
    if (!allEndpoints)
      for (size_t i = rows.size(); i-- > 0;)
        if (!IsTcp(rows[i].kind) || rows[i].state == 1 || rows[i].state == 2)
          rows.erase(rows.begin() + i);
    std::vector<ConnectionKind> kinds = {ConnectionKind::kTcp4, ConnectionKind::kTcp6};
    if (allEndpoints) kinds.insert(kinds.end(), {ConnectionKind::kUdp4, ConnectionKind::kUdp6});
    for (ConnectionKind kind : kinds) {
      std::vector<RefRow> table = Table(ip, kind);
      for (const RefRow& entry : table) {
        if (IsTcp(kind) && !allEndpoints && (entry.state == 1 || entry.state == 2)) continue;
        bool found = false;
        if (!rebuild) {
          for (RefRow& row : rows) {
            if (!SameKey(row, entry)) continue;
            if (IsTcp(kind) && row.state != entry.state) {
              row.state = entry.state;
              row.stateText = TcpStateNames(entry.state);
            }
            found = true;
            break;
          }
        }
        if (!found) {
          rows.push_back(entry);
          ++added;
        }
      }
      if (rebuild) continue;
      for (size_t i = rows.size(); i-- > 0;) {
        if (rows[i].kind != kind) continue;
        bool present = false;
        for (const RefRow& entry : table) present = present || SameKey(rows[i], entry);
        if (!present) rows.erase(rows.begin() + i);
      }
    }
  }

  void Sort(int column, bool ascending) {
    std::stable_sort(rows.begin(), rows.end(), [&](const RefRow& a, const RefRow& b) {
      return ascending ? CompareListText(a.Text(column), b.Text(column)) < 0
                       : CompareListText(b.Text(column), a.Text(column)) < 0;
    });
  }

  std::vector<RefRow> rows;
  int added = 0;

 private:
  std::wstring Cell(int family, DWORD port, const void* address, bool local) {
    EndpointAddressText text;
    text.family = family;
    text.portField = port;
    text.address = address;
    text.local = local;
    return FormatEndpointCell(names_, false, text);
  }

  std::vector<RefRow> Table(ScriptedIpHelper& ip, ConnectionKind kind) {
    std::vector<RefRow> table;
    auto add = [&](RefRow row) {
      row.kind = kind;
      row.protocol = ProtocolText(kind);
      row.caption = row.pid ? L"proc" + std::to_wstring(row.pid) + L".exe" : L"?";
      row.stateText = IsTcp(kind) ? TcpStateNames(row.state) : L"";
      table.push_back(row);
    };
    switch (kind) {
      case ConnectionKind::kTcp4:
        for (const auto& r : ip.tcp4) {
          RefRow row{};
          row.tcp4 = r;
          row.state = r.dwState;
          row.pid = r.dwOwningPid;
          row.local = Cell(AF_INET, r.dwLocalPort, &r.dwLocalAddr, true);
          row.remote = Cell(AF_INET, r.dwRemotePort, &r.dwRemoteAddr, false);
          add(row);
        }
        break;
      case ConnectionKind::kTcp6:
        for (const auto& r : ip.tcp6) {
          RefRow row{};
          row.tcp6 = r;
          row.state = r.dwState;
          row.pid = r.dwOwningPid;
          row.local = Cell(AF_INET6, r.dwLocalPort, r.ucLocalAddr, true);
          row.remote = Cell(AF_INET6, r.dwRemotePort, r.ucRemoteAddr, false);
          add(row);
        }
        break;
      case ConnectionKind::kUdp4:
        for (const auto& r : ip.udp4) {
          RefRow row{};
          row.tcp4.dwLocalAddr = r.dwLocalAddr;
          row.tcp4.dwLocalPort = r.dwLocalPort;
          row.pid = r.dwOwningPid;
          row.local = Cell(AF_INET, r.dwLocalPort, &r.dwLocalAddr, true);
          row.remote = L"*:*";
          add(row);
        }
        break;
      case ConnectionKind::kUdp6:
        for (const auto& r : ip.udp6) {
          RefRow row{};
          memcpy(row.tcp6.ucLocalAddr, r.ucLocalAddr, 16);
          row.tcp6.dwLocalPort = r.dwLocalPort;
          row.pid = r.dwOwningPid;
          row.local = Cell(AF_INET6, r.dwLocalPort, r.ucLocalAddr, true);
          row.remote = L"*:*";
          add(row);
        }
        break;
    }
    return table;
  }

  NameResolver& names_;
};

// A small key space, so that tables repeat keys and refreshes keep, change and drop rows.
void RandomTables(std::mt19937& random, ScriptedIpHelper& ip) {
  const char* v4[] = {"10.0.0.1", "200.0.0.2", "0.0.0.0"};
  const char* v6[] = {"::1", "fe80::2", "::"};
  const DWORD states[] = {kTcpClosed, kTcpListen, kTcpEstablished, kTcpTimeWait, kTcpCloseWait};
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  ip.tcp4.clear();
  ip.tcp6.clear();
  ip.udp4.clear();
  ip.udp6.clear();
  for (int n = pick(12); n > 0; --n)
    ip.tcp4.push_back(
        Tcp4Row(v4[pick(3)], 1 + pick(3), v4[pick(3)], 80 + pick(2), states[pick(5)], pick(3)));
  for (int n = pick(8); n > 0; --n)
    ip.tcp6.push_back(
        Tcp6Row(v6[pick(3)], 1 + pick(3), v6[pick(3)], 80 + pick(2), states[pick(5)], pick(3)));
  for (int n = pick(6); n > 0; --n) ip.udp4.push_back(Udp4Row(v4[pick(3)], 50 + pick(3), pick(3)));
  for (int n = pick(6); n > 0; --n) ip.udp6.push_back(Udp6Row(v6[pick(3)], 50 + pick(3), pick(3)));
}

TEST_F(ConnectionsTest, MatchesThePlainRowByRowRefreshOnRandomTables) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::mt19937 random(seed);
    Reference reference(resolver);
    ListSortState sort;
    list.DeleteAllRows();
    list.ClearColumns();
    int announced = 0;
    for (int step = 0; step < 60; ++step) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
      RandomTables(random, ip);
      options.allEndpoints = random() % 3 == 0;
      const bool rebuild = list.ColumnCount() == 0 || random() % 10 == 0;
      if (rebuild) {
        list.DeleteAllRows();
        list.ClearColumns();
      }
      events.log.clear();
      view.Update(context, rebuild);
      announced += events.Count(L"activity");
      reference.Refresh(ip, options.allEndpoints, rebuild);
      if (random() % 4 == 0) {
        const int column = static_cast<int>(random() % 5);
        SortByColumn(list, sort, column);
        reference.Sort(column, sort.ascending);
      }

      ASSERT_EQ(list.RowCount(), reference.rows.size());
      for (size_t i = 0; i < list.RowCount(); ++i) {
        const ListRow& row = list.Row(i);
        const RefRow& want = reference.rows[i];
        ASSERT_EQ(row.cells[kCellProtocol], want.protocol) << i;
        ASSERT_EQ(row.cells[kCellLocal], want.local) << i;
        ASSERT_EQ(row.cells[kCellRemote], want.remote) << i;
        ASSERT_EQ(row.cells[kCellState], want.stateText) << i;
        ASSERT_EQ(row.caption, want.caption) << i;
        ASSERT_EQ(Record(i).State(), IsTcp(want.kind) ? want.state : 0u) << i;
      }
      ASSERT_EQ(announced, reference.added);
    }
  }
}

}  // namespace
}  // namespace kestro::test
