#pragma once
// The menu bar, popup menus and the tool bar, built from the command table
// and a layout that names commands in order. A hidden entry is left out (its
// shortcut still works through the accelerator table); separators stand
// where the layout puts them.

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>

#include "ui/base/CommandTable.h"
#include "win/Handle.h"

namespace kestro::ui {

// An entry of a menu: a command, or a separator. A command that is not in the
// table is left out, and so is a separator whose group holds only such entries.
struct MenuEntry {
  UINT command = 0;  // 0: a separator
  bool hidden = false;
  // A mirror of the command in another menu: this caption, and the command's
  // state shown by its picture alone (no check mark).
  const wchar_t* mirrorCaption = nullptr;
};
inline constexpr MenuEntry kMenuSeparator{};

struct MenuLayout {
  const wchar_t* caption;
  std::span<const MenuEntry> entries;
};

class MenuPictures;

// One item: its caption, a tab and the shortcut text when there is one;
// checked and enabled as the command is; a radio item for a command of a group;
// the command's picture when `pictures` are given.
void AppendCommandItem(HMENU menu, const Command& command, MenuPictures* pictures = nullptr);
// An item that is no command (the interface choice): `id` is what
// TrackPopupMenu returns for it.
void AppendMenuItem(HMENU menu, UINT id, const std::wstring& caption, bool checked, bool radio);
void AppendMenuSeparator(HMENU menu);

UniqueMenu BuildPopupMenu(const CommandTable& commands, std::span<const MenuEntry> layout,
                          MenuPictures* pictures = nullptr);
// The menu bar, one drop-down menu per layout, for SetMenu.
UniqueMenu BuildMenuBar(const CommandTable& commands, std::span<const MenuLayout> menus,
                        MenuPictures* pictures = nullptr);
// Brings the checks and enabled states of a built menu's command items (and
// of its submenus) in step with the table: at WM_INITMENUPOPUP.
void UpdateMenuStates(HMENU menu, const CommandTable& commands);

enum class ToolStyle : uint8_t { kButton, kCheck, kDropDown };

// An entry of the tool bar: a command's button, or a separator.
struct ToolEntry {
  UINT command = 0;  // 0: a separator
  ToolStyle style = ToolStyle::kButton;
  bool hidden = false;
};

// A tool bar of pictures without captions, a child of `parent` with id `id`,
// the buttons of `layout` drawn from `images` (the commands' pictures; may be
// null until the pictures exist). A hidden entry is a hidden button, so that
// showing it later keeps its place. Its hints come through AnswerToolTip.
HWND CreateToolBar(HWND parent, int id, const CommandTable& commands,
                   std::span<const ToolEntry> layout, HIMAGELIST images);
// Brings the buttons' checks, enabled states and pictures in step with the table.
void UpdateToolBarStates(HWND toolBar, const CommandTable& commands);
// The parent's WM_NOTIFY: answers a tool tip's request for a button's text
// with its command's hint; false for every other notification.
bool AnswerToolTip(NMHDR* header, const CommandTable& commands);

}  // namespace kestro::ui
