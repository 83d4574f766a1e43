#pragma once
// What the table and statistics views share: rows that own a copy of their
// table record, matching records to rows by key, and letting pending window
// messages run while a view works through its rows.

#include <memory>
#include <optional>
#include <string>
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

// The first row, from the top, whose stored record of type T satisfies `match`.
template <typename T, typename Match>
std::optional<size_t> FindRecordRow(const ListModel& list, Match match) {
  for (size_t i = 0; i < list.RowCount(); ++i) {
    const auto* stored = list.Row(i).RecordAs<TableRowRecord<T>>();
    if (stored && match(stored->row)) return i;
  }
  return std::nullopt;
}

// The first row, from the top, with this caption and (when given) this cell 0.
std::optional<size_t> FindRow(const ListModel& list, const std::wstring& caption,
                              const std::wstring* cell0 = nullptr);

// The rows of a table view (adapters, neighbours, addresses, routes) brought
// up to date with `count` fresh records, by the view's key:
// - rebuild: every record becomes a new row;
// - otherwise a record whose key has a row updates it in place (`update`
//   gets the row's index and its stored copy), one without gets a new row at
//   the end, and rows whose key is in no record are deleted, last to first.
// `texts` makes a new row's texts; it may fetch further tables and fail, which
// ends the refresh with the rows made so far.
template <typename T, typename SameKey, typename Update, typename Texts>
void RefreshTableRows(ViewContext& context, bool rebuild, const T* records, size_t count, int image,
                      SameKey sameKey, Update update, Texts texts) {
  ListModel& list = context.list;
  for (size_t r = 0; r < count; ++r) {
    const T& record = records[r];
    std::optional<size_t> found;
    if (!rebuild)
      found = FindRecordRow<T>(list, [&](const T& stored) { return sameKey(stored, record); });
    if (found) {
      update(*found, list.MutableRow(*found).RecordAs<TableRowRecord<T>>()->row, record);
    } else {
      AppendRow(list, texts(record), image, std::make_unique<TableRowRecord<T>>(record));
    }
    LetPendingMessagesRun(context.events);
  }
  if (rebuild) return;
  for (size_t i = list.RowCount(); i-- > 0;) {
    const auto* stored = list.Row(i).RecordAs<TableRowRecord<T>>();
    bool present = false;
    for (size_t r = 0; stored && r < count && !present; ++r)
      present = sameKey(stored->row, records[r]);
    if (!present) list.DeleteRow(i);
  }
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
