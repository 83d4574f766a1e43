#pragma once
// How the list shows whatever view fills it: grid lines, state colours and
// flags (SateColor1, Flag1), the column chooser (ChooseColumns1), sorting by
// a clicked column, and the pictures rows and cells draw from.

#include "ui/main/MainContext.h"
#include "views/ListPresentation.h"
#include "win/Handle.h"

namespace kestro::ui {

class ColumnChooser;

class ListCommands {
 public:
  // Adds the list's commands.
  explicit ListCommands(const MainContext& context);
  ListCommands(const ListCommands&) = delete;
  ListCommands& operator=(const ListCommands&) = delete;

  // Gives the list view its pictures and column clicks; once it exists.
  void Start();
  // The column chooser ChooseColumns1 shows.
  void SetColumnChooser(ColumnChooser* chooser) { columnChooser_ = chooser; }
  void SortByColumn(int column);

 private:
  MainContext context_;
  ListSortState sort_;
  UniqueImageList flags_;
  ColumnChooser* columnChooser_ = nullptr;
};

}  // namespace kestro::ui
