#include "views/ViewRows.h"

namespace kestro {

void AppendRow(ListModel& list, RowTexts texts, int image, std::unique_ptr<RowRecord> record) {
  ListRow& row = list.AppendRow();
  row.caption = std::move(texts.caption);
  row.cells = std::move(texts.cells);
  row.image = image;
  row.record = std::move(record);
  list.RowChanged(list.RowCount() - 1);
}

std::optional<size_t> FindRow(const ListModel& list, const std::wstring& caption,
                              const std::wstring* cell0) {
  for (size_t i = 0; i < list.RowCount(); ++i) {
    const ListRow& row = list.Row(i);
    if (row.caption == caption && (!cell0 || row.Cell(0) == *cell0)) return i;
  }
  return std::nullopt;
}

void AddColumns(ListModel& list, std::initializer_list<ListColumn> columns) {
  for (const ListColumn& column : columns) list.AddColumn(column);
}

}  // namespace kestro
