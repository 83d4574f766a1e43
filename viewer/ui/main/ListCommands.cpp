#include "ui/main/ListCommands.h"

#include "process/ProcessInfo.h"
#include "ui/controls/CommandPictures.h"
#include "ui/controls/ImageLists.h"
#include "ui/windows/ColumnChooser.h"

namespace kestro::ui {

ListCommands::ListCommands(const MainContext& context) : context_(context) {
  // A menu check that flips, and what the list makes of it.
  auto toggle = [this](UINT id, void (ListViewControl::*apply)(bool)) {
    return [this, id, apply] { (context_.listView.*apply)(context_.commands.Toggle(id)); };
  };
  CommandTable& commands = context.commands;
  commands.Add({.id = kCmdShowGridLines,
                .name = L"ShowGridLines1",
                .caption = L"显示网格线",
                .picture = kPictureGridLines,
                .execute = toggle(kCmdShowGridLines, &ListViewControl::SetGridLines)});
  commands.Add({.id = kCmdChooseColumns,
                .name = L"ChooseColumns1",
                .caption = L"选择列",
                .picture = kPictureChooseColumns,
                .execute = [this] {
                  if (columnChooser_) columnChooser_->ShowChooser();
                }});
  commands.Add({.id = kCmdStateColor,
                .name = L"SateColor1",
                .caption = L"状态颜色",
                .execute = toggle(kCmdStateColor, &ListViewControl::SetStateColors),
                .checked = true});
  commands.Add({.id = kCmdFlag,
                .name = L"Flag1",
                .caption = L"国旗",
                .execute = toggle(kCmdFlag, &ListViewControl::SetDrawFlags),
                .checked = true});
}

void ListCommands::Start() {
  ListViewControl& listView = context_.listView;
  listView.onColumnClick = [this](int column) { SortByColumn(column); };
  listView.SetSmallImages(SystemSmallImageList());
  flags_ = SinFlags(GetModuleHandleW(nullptr));
  listView.SetFlagImages(flags_.get());
}

void ListCommands::SortByColumn(int column) {
  kestro::SortByColumn(context_.list, sort_, column);
  context_.listView.Sync();
}

}  // namespace kestro::ui
