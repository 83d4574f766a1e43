#pragma once
// The main window's menu bar, tool bar, tray menu and the connection view's
// context menu: which commands, in which order.
// A command joins them by its entry here; its caption, picture, shortcut and
// states come from the command table.

#include <span>

#include "ui/controls/CommandBars.h"

namespace kestro::ui {

std::span<const MenuLayout> MainMenuLayout();
std::span<const ToolEntry> MainToolBarLayout();
// The ten view commands, for the tool bar's "统计" drop-down.
std::span<const MenuEntry> ViewMenuLayout();
// The tray menu.
std::span<const MenuEntry> TrayMenuLayout();
// The list's context menu in the connection view; the lookup commands appear
// once their windows add them to the table.
std::span<const MenuEntry> ConnectionPopupLayout();

}  // namespace kestro::ui
