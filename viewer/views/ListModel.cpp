#include "views/ListModel.h"

#include <algorithm>

namespace kestro {

const std::wstring& ListRow::Cell(size_t index) const {
  static const std::wstring kEmpty;
  return index < cells.size() ? cells[index] : kEmpty;
}

int ListRow::CellImage(size_t index) const {
  return index < cellImages.size() ? cellImages[index] : -1;
}

ListModel::~ListModel() {
  observer_ = nullptr;
  DeleteAllRows();
}

void ListModel::AddColumn(ListColumn column) {
  columns_.push_back(std::move(column));
  if (observer_) observer_->OnColumnsChanged();
}

void ListModel::SetColumnWidth(size_t index, int width) {
  if (index >= columns_.size()) return;
  columns_[index].width = width;
  if (observer_) observer_->OnColumnsChanged();
}

void ListModel::ClearColumns() {
  columns_.clear();
  if (observer_) observer_->OnColumnsChanged();
}

ListRow& ListModel::AppendRow() {
  auto row = std::make_unique<ListRow>();
  row->id = nextId_++;
  ListRow& added = *row;
  rows_.push_back(std::move(row));
  if (observer_) observer_->OnRowsInserted(rows_.size() - 1, 1);
  return added;
}

void ListModel::SetCaption(size_t index, std::wstring text) {
  rows_[index]->caption = std::move(text);
  RowChanged(index);
}

void ListModel::SetCell(size_t index, size_t cell, std::wstring text) {
  auto& cells = rows_[index]->cells;
  if (cells.size() <= cell) cells.resize(cell + 1);
  cells[cell] = std::move(text);
  RowChanged(index);
}

void ListModel::SetRecord(size_t index, std::unique_ptr<RowRecord> record) {
  rows_[index]->record = std::move(record);
}

void ListModel::RowChanged(size_t index) {
  if (observer_) observer_->OnRowChanged(index);
}

void ListModel::DeleteRow(size_t index) {
  std::unique_ptr<ListRow> row = std::move(rows_[index]);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  index_.erase(row->id);
  indexValidUpTo_ = std::min(indexValidUpTo_, index);
  ++deletions_;
  if (deletionHook_) deletionHook_(*row);
  if (observer_) observer_->OnRowDeleted(index, row->id);
  // The record goes with the row.
}

void ListModel::DeleteAllRows() {
  DeleteRowsIf([](const ListRow&) { return true; });
}

void ListModel::DeleteRowsIf(const std::function<bool(const ListRow&)>& doomed) {
  std::vector<std::unique_ptr<ListRow>> removed;
  std::vector<size_t> removedAt;
  size_t kept = 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (doomed(*rows_[i])) {
      removed.push_back(std::move(rows_[i]));
      removedAt.push_back(i);
    } else {
      rows_[kept++] = std::move(rows_[i]);
    }
  }
  if (removed.empty()) return;
  rows_.resize(kept);
  indexValidUpTo_ = std::min(indexValidUpTo_, removedAt.front());
  deletions_ += removed.size();
  for (size_t k = removed.size(); k-- > 0;) {
    ListRow& row = *removed[k];
    index_.erase(row.id);
    if (deletionHook_) deletionHook_(row);
    if (observer_) observer_->OnRowDeleted(removedAt[k], row.id);
    removed[k].reset();  // the record goes with the row
  }
}

void ListModel::Reindex(size_t from) const {
  for (size_t i = from; i < rows_.size(); ++i) index_[rows_[i]->id] = i;
  indexValidUpTo_ = rows_.size();
}

std::optional<size_t> ListModel::IndexOf(RowId id) const {
  if (indexValidUpTo_ < rows_.size()) Reindex(indexValidUpTo_);
  auto it = index_.find(id);
  if (it == index_.end()) return std::nullopt;
  return it->second;
}

void ListModel::ReorderRows(const std::vector<size_t>& order) {
  std::vector<std::unique_ptr<ListRow>> reordered;
  reordered.reserve(rows_.size());
  for (size_t from : order) reordered.push_back(std::move(rows_[from]));
  rows_ = std::move(reordered);
  indexValidUpTo_ = 0;
  if (observer_) observer_->OnRowsReordered();
}

void ListModel::SortRows(const std::function<bool(const ListRow&, const ListRow&)>& less) {
  std::stable_sort(rows_.begin(), rows_.end(),
                   [&](const auto& a, const auto& b) { return less(*a, *b); });
  indexValidUpTo_ = 0;
  if (observer_) observer_->OnRowsReordered();
}

}  // namespace kestro
