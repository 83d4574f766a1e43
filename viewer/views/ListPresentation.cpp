#include "views/ListPresentation.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "net/NetUtils.h"
#include "views/ConnectionsView.h"

namespace kestro {

namespace {

const std::wstring& ColumnText(const ListRow& row, int column) {
  return column == 0 ? row.caption : row.Cell(static_cast<size_t>(column - 1));
}

// The sort key of a text: comparing keys bytewise orders like CompareString
// with the same flags, and is computed once per row instead of once per comparison.
std::string SortKey(const std::wstring& text) {
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  int size = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), static_cast<int>(text.size()),
                          nullptr, 0);
  std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0)
    LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), static_cast<int>(text.size()),
                 reinterpret_cast<wchar_t*>(key.data()), size);
  if (!key.empty() && key.back() == '\0') key.pop_back();
  return key;
}

bool IsTcpRow(const ListRow& row) {
  const std::wstring& protocol = row.Cell(kCellProtocol);
  return row.HasCell(kCellProtocol) && (protocol == L"TCPv4" || protocol == L"TCPv6");
}

}  // namespace

int CompareListText(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                        b.c_str(), static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

void SortByColumn(ListModel& list, ListSortState& sort, int column) {
  if (column == sort.lastColumn)
    sort.ascending = !sort.ascending;
  else
    sort.lastColumn = column;

  std::vector<std::string> keys;
  keys.reserve(list.RowCount());
  for (size_t i = 0; i < list.RowCount(); ++i)
    keys.push_back(SortKey(ColumnText(list.Row(i), column)));
  std::vector<size_t> order(list.RowCount());
  std::iota(order.begin(), order.end(), 0);
  const bool ascending = sort.ascending;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
  });
  list.ReorderRows(order);
}

void OnRowDeleted(ListRow& row) {
  if (!row.record) return;
  if (IsTcpRow(row))
    if (auto* data = row.RecordAs<ConnectionRecord>(); data && data->lookup.Running())
      data->lookup.Terminate();
}

std::optional<COLORREF> StateCellBackground(const ListRow& row, int column) {
  if (column != 1 + kCellState || !IsTcpRow(row)) return std::nullopt;
  auto* data = row.RecordAs<ConnectionRecord>();
  if (!data) return std::nullopt;
  switch (data->State()) {
    case kTcpEstablished:
      return RGB(204, 255, 204);
    case kTcpCloseWait:
    case kTcpTimeWait:
    case kTcpClosing:
      return RGB(255, 106, 106);
    case kTcpListen:
      return RGB(206, 231, 255);
    case kTcpSynSent:
    case kTcpSynRcvd:
      return RGB(255, 255, 179);
    case kTcpFinWait1:
    case kTcpFinWait2:
      return RGB(234, 234, 234);
    case kTcpLastAck:
      return RGB(255, 0, 0);
    default:
      return std::nullopt;
  }
}

}  // namespace kestro
