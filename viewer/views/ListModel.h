#pragma once
// The in-memory list every view writes into, and the main window's list view
// shows (owner-data). Rows keep a stable identity, so that selection, focus and
// background lookups follow a row, not a position.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/RowId.h"

namespace kestro {

enum class Align { kLeft, kRight };

struct ListColumn {
  std::wstring caption;
  int width = 0;
  Align align = Align::kLeft;
};

// Data a row owns (a view's copy of its table row); freed with the row.
struct RowRecord {
  virtual ~RowRecord() = default;
};

struct ListRow {
  RowId id = 0;
  std::wstring caption;
  std::vector<std::wstring> cells;  // cells[0] is the second column
  int image = -1;                   // row image; -1 none
  std::vector<int> cellImages;      // per cell; missing or -1: none
  std::unique_ptr<RowRecord> record;

  // Empty text for a cell the row does not have.
  const std::wstring& Cell(size_t index) const;
  bool HasCell(size_t index) const { return index < cells.size(); }
  int CellImage(size_t index) const;
  template <typename T>
  T* RecordAs() const {
    return dynamic_cast<T*>(record.get());
  }
};

// Told of every change, so that a window can show the model.
class ListObserver {
 public:
  virtual ~ListObserver() = default;
  virtual void OnColumnsChanged() = 0;
  virtual void OnRowsInserted(size_t first, size_t count) = 0;
  virtual void OnRowDeleted(size_t index, RowId id) = 0;
  virtual void OnRowChanged(size_t index) = 0;
  virtual void OnRowsReordered() = 0;
};

class ListModel {
 public:
  ListModel() = default;
  ListModel(const ListModel&) = delete;
  ListModel& operator=(const ListModel&) = delete;
  ~ListModel();

  void SetObserver(ListObserver* observer) { observer_ = observer; }
  // Runs for every row that leaves the list, by any path, before its record is freed.
  void SetDeletionHook(std::function<void(ListRow&)> hook) { deletionHook_ = std::move(hook); }

  // Columns.
  size_t ColumnCount() const { return columns_.size(); }
  const ListColumn& Column(size_t index) const { return columns_[index]; }
  void AddColumn(ListColumn column);
  void SetColumnWidth(size_t index, int width);  // ignored for a column that is not there
  void ClearColumns();

  // Rows.
  size_t RowCount() const { return rows_.size(); }
  const ListRow& Row(size_t index) const { return *rows_[index]; }
  // Appends an empty row with a new identity and returns it; fill it, then
  // call RowChanged if the observer is to repaint it.
  ListRow& AppendRow();
  void SetCaption(size_t index, std::wstring text);
  void SetCell(size_t index, size_t cell, std::wstring text);
  void SetRecord(size_t index, std::unique_ptr<RowRecord> record);
  ListRow& MutableRow(size_t index) { return *rows_[index]; }
  void RowChanged(size_t index);

  void DeleteRow(size_t index);
  // Deletes every row, from the last to the first.
  void DeleteAllRows();
  // Deletes every row for which `doomed` holds, in one pass over the list. The
  // hook and the observer hear of them from the last to the first, each with
  // the index it had as if the later ones were already gone.
  void DeleteRowsIf(const std::function<bool(const ListRow&)>& doomed);
  std::optional<size_t> IndexOf(RowId id) const;
  // How many rows have left the list so far, by any path: a view that keeps
  // its own bookkeeping of rows can tell whether someone else deleted some.
  uint64_t DeletionCount() const { return deletions_; }

  // Puts the rows in the order `order` gives: order[i] is the current index of
  // the row that goes to position i (a permutation of 0 .. RowCount()-1).
  void ReorderRows(const std::vector<size_t>& order);
  // Stable sort by `less`.
  void SortRows(const std::function<bool(const ListRow&, const ListRow&)>& less);

 private:
  void Reindex(size_t from) const;

  std::vector<ListColumn> columns_;
  std::vector<std::unique_ptr<ListRow>> rows_;
  RowId nextId_ = 1;
  uint64_t deletions_ = 0;
  // Row identity to position, rebuilt lazily from the first stale position.
  mutable std::unordered_map<RowId, size_t> index_;
  mutable size_t indexValidUpTo_ = 0;
  ListObserver* observer_ = nullptr;
  std::function<void(ListRow&)> deletionHook_;
};

}  // namespace kestro
