#pragma once
// What the list does whatever view fills it: sorting by a clicked column,
// letting go of rows, and the background of the connection view's state cell.

#include <windows.h>

#include <optional>
#include <string>

#include "views/ListModel.h"

namespace kestro {

// Kept for the whole run; a view change does not reset it.
struct ListSortState {
  int lastColumn = 0;
  bool ascending = false;
};

// SortByColumn: a click on the last clicked column reverses the order,
// a click on another keeps the direction; then the rows are sorted once by the
// column's text with the user locale's case-insensitive comparison.
void SortByColumn(ListModel& list, ListSortState& sort, int column);

// The user locale's case-insensitive comparison: <0, 0, >0 like CompareString.
int CompareListText(const std::wstring& a, const std::wstring& b);

// OnRowDeleted: a row leaves the list; a TCP row's running name lookup is
// told to stop. Its record is freed with the row.
void OnRowDeleted(ListRow& row);

// The background of a cell when state colours are on: the state cell (column
// 3) of a connection-view TCP row by the row's TCP state; none for every other
// cell and for the states shown on the normal background.
std::optional<COLORREF> StateCellBackground(const ListRow& row, int column);

}  // namespace kestro
