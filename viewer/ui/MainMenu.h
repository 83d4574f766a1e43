#pragma once
// The main window's menu bar and tool bar: which commands, in which order.
// A command joins them by its entry here; its caption, picture, shortcut and
// states come from the command table.

#include <span>

#include "ui/CommandBars.h"

namespace kestro::ui {

std::span<const MenuLayout> MainMenuLayout();
std::span<const ToolEntry> MainToolBarLayout();
// The ten view commands, for the tool bar's "统计" drop-down.
std::span<const MenuEntry> ViewMenuLayout();

}  // namespace kestro::ui
