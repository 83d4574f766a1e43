#pragma once
// What the table and statistics views share: rows that own a copy of their
// table record, matching records to rows by key, and letting pending window
// messages run while a view works through its rows.

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "net/TableReader.h"
#include "views/ListModel.h"
#include "views/ViewKinds.h"

namespace kestro {

// The copy of a table row that a list row owns.
template <typename T>
struct TableRowRecord final : RowRecord {
  explicit TableRowRecord(const T& source) : row(source) {}
  T row;
};

// Lets pending window messages run when the window says it is due.
inline void LetPendingMessagesRun(ViewEvents& events) {
  if (events.PendingMessagesDue()) events.ProcessPendingMessages();
}

// The texts of a row before it enters the list, so that a failing lookup
// never leaves a half-made row behind.
struct RowTexts {
  std::wstring caption;
  std::vector<std::wstring> cells;
};

// Appends a row with its texts, image and owned record.
void AppendRow(ListModel& list, RowTexts texts, int image, std::unique_ptr<RowRecord> record);

// The first row, from the top, with this caption and (when given) this cell 0.
std::optional<size_t> FindRow(const ListModel& list, const std::wstring& caption,
                              const std::wstring* cell0 = nullptr);

// The bytes of the fields a view matches its rows by, as the table has them.
template <typename... Fields>
std::string KeyBytes(const Fields&... fields) {
  std::string key;
  (key.append(reinterpret_cast<const char*>(&fields), sizeof fields), ...);
  return key;
}

// The rows of a table view (adapters, neighbours, addresses, routes) brought
// up to date with `count` fresh records, by the view's key (`keyOf`, the key's
// bytes):
// - rebuild: every record becomes a new row;
// - otherwise a record whose key has a row updates the first such row of the
//   list in place (`update` gets the row's index and its stored copy), one
//   without gets a new row at the end, and rows whose key is in no record are
//   deleted, last to first.
// `texts` makes a new row's texts; it may fetch further tables and fail, which
// ends the refresh with the rows made so far.
// Rows are found through an index of their keys instead of a search of the
// list per record; positions are looked up by row identity, so rows that go or
// move while messages run do not mislead the walk.
template <typename T, typename KeyOf, typename Update, typename Texts>
void RefreshTableRows(ViewContext& context, bool rebuild, const T* records, size_t count, int image,
                      KeyOf keyOf, Update update, Texts texts) {
  ListModel& list = context.list;
  std::unordered_map<std::string, std::vector<RowId>> rowsByKey;
  if (!rebuild)
    for (size_t i = 0; i < list.RowCount(); ++i)
      if (const auto* stored = list.Row(i).RecordAs<TableRowRecord<T>>())
        rowsByKey[keyOf(stored->row)].push_back(list.Row(i).id);
  for (size_t r = 0; r < count; ++r) {
    const T& record = records[r];
    std::optional<size_t> found;
    std::vector<RowId>* sameKey = nullptr;
    if (!rebuild) {
      sameKey = &rowsByKey[keyOf(record)];
      for (RowId id : *sameKey)
        if (std::optional<size_t> at = list.IndexOf(id); at && (!found || *at < *found)) found = at;
    }
    if (found) {
      update(*found, list.MutableRow(*found).RecordAs<TableRowRecord<T>>()->row, record);
    } else {
      AppendRow(list, texts(record), image, std::make_unique<TableRowRecord<T>>(record));
      if (sameKey) sameKey->push_back(list.Row(list.RowCount() - 1).id);
    }
    LetPendingMessagesRun(context.events);
  }
  if (rebuild) return;
  std::unordered_set<std::string> inTable;
  for (size_t r = 0; r < count; ++r) inTable.insert(keyOf(records[r]));
  list.DeleteRowsIf([&](const ListRow& row) {
    const auto* stored = row.RecordAs<TableRowRecord<T>>();
    return !stored || inTable.count(keyOf(stored->row)) == 0;
  });
}

// The rows of a newer (both families) table, or none when the table is empty.
template <typename Table>
auto Rows(const MibTable<Table>& table) {
  return std::pair(table ? table->Table : nullptr, table ? table->NumEntries : 0UL);
}

// The rows of an older sized table; none when the size query gave 0, so that
// a refresh then deletes every row.
template <typename Table>
auto Rows(const TableBuffer& buffer) {
  const Table* table = buffer.As<Table>();
  return std::pair(table ? table->table : nullptr, table ? table->dwNumEntries : 0UL);
}

// The list's columns from a table of (caption, width, alignment).
void AddColumns(ListModel& list, std::initializer_list<ListColumn> columns);

}  // namespace kestro
