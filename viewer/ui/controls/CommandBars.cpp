#include "ui/controls/CommandBars.h"

#include <vector>

#include "ui/controls/Artwork.h"
#include "win/SystemError.h"

namespace kestro::ui {

namespace {

UINT StateOf(bool checked, bool enabled) {
  return (checked ? MFS_CHECKED : MFS_UNCHECKED) | (enabled ? MFS_ENABLED : MFS_DISABLED);
}

void InsertItem(HMENU menu, UINT id, std::wstring text, UINT state, bool radio,
                HBITMAP picture = nullptr) {
  MENUITEMINFOW item{sizeof item};
  item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | (picture ? MIIM_BITMAP : 0);
  item.fType = MFT_STRING | (radio ? MFT_RADIOCHECK : 0);
  item.fState = state;
  item.wID = id;
  item.dwTypeData = text.data();
  item.hbmpItem = picture;
  if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item)) ThrowLastError();
}

HBITMAP PictureOf(const Command& command, MenuPictures* pictures) {
  return pictures && command.picture >= 0 ? pictures->Get(command.picture) : nullptr;
}

// A separator is dropped when every entry of its group (up to the next
// separator) names a command that is not in the table.
bool GroupIsMissing(const CommandTable& commands, std::span<const MenuEntry> group) {
  bool any = false;
  for (const MenuEntry& entry : group) {
    if (entry.command == 0) break;
    if (commands.Find(entry.command)) return false;
    any = true;
  }
  return any;
}

void AppendEntries(HMENU menu, const CommandTable& commands, std::span<const MenuEntry> layout,
                   MenuPictures* pictures) {
  for (size_t i = 0; i < layout.size(); ++i) {
    const MenuEntry& entry = layout[i];
    if (entry.hidden) continue;
    if (entry.command == 0) {
      if (!GroupIsMissing(commands, layout.subspan(i + 1))) AppendMenuSeparator(menu);
      continue;
    }
    const Command* command = commands.Find(entry.command);
    if (!command) continue;
    if (entry.mirrorCaption)
      InsertItem(menu, command->id, entry.mirrorCaption, StateOf(false, command->enabled), false,
                 PictureOf(*command, pictures));
    else
      AppendCommandItem(menu, *command, pictures);
  }
}

BYTE ToolStyleBits(ToolStyle style) {
  switch (style) {
    case ToolStyle::kCheck:
      return BTNS_CHECK;
    case ToolStyle::kDropDown:
      return BTNS_WHOLEDROPDOWN;
    case ToolStyle::kButton:
      break;
  }
  return BTNS_BUTTON;
}

BYTE ToolStateBits(const Command& command) {
  return static_cast<BYTE>((command.enabled ? TBSTATE_ENABLED : 0) |
                           (command.checked ? TBSTATE_CHECKED : 0));
}

}  // namespace

void AppendCommandItem(HMENU menu, const Command& command, MenuPictures* pictures) {
  std::wstring text = command.caption;
  if (command.shortcut.key != 0) text += L'\t' + CommandTable::ShortcutText(command.shortcut);
  InsertItem(menu, command.id, std::move(text), StateOf(command.checked, command.enabled),
             command.groupIndex != 0, PictureOf(command, pictures));
}

void AppendMenuItem(HMENU menu, UINT id, const std::wstring& caption, bool checked, bool radio) {
  InsertItem(menu, id, caption, StateOf(checked, true), radio);
}

void AppendMenuSeparator(HMENU menu) {
  if (!AppendMenuW(menu, MF_SEPARATOR, 0, nullptr)) ThrowLastError();
}

UniqueMenu BuildPopupMenu(const CommandTable& commands, std::span<const MenuEntry> layout,
                          MenuPictures* pictures) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) ThrowLastError();
  AppendEntries(menu.get(), commands, layout, pictures);
  return menu;
}

UniqueMenu BuildMenuBar(const CommandTable& commands, std::span<const MenuLayout> menus,
                        MenuPictures* pictures) {
  UniqueMenu bar(CreateMenu());
  if (!bar) ThrowLastError();
  for (const MenuLayout& layout : menus) {
    UniqueMenu dropDown = BuildPopupMenu(commands, layout.entries, pictures);
    if (!AppendMenuW(bar.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(dropDown.get()),
                     layout.caption))
      ThrowLastError();
    dropDown.release();  // the bar's now
  }
  return bar;
}

void UpdateMenuStates(HMENU menu, const CommandTable& commands) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      UpdateMenuStates(sub, commands);
      continue;
    }
    const Command* command = commands.Find(GetMenuItemID(menu, i));
    if (!command) continue;  // a separator
    MENUITEMINFOW item{sizeof item};
    item.fMask = MIIM_STATE;
    item.fState = StateOf(command->checked, command->enabled);
    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
  }
}

HWND CreateToolBar(HWND parent, int id, const CommandTable& commands,
                   std::span<const ToolEntry> layout, HIMAGELIST images) {
  HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0,
                             0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
  if (!bar) ThrowLastError();
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  std::vector<TBBUTTON> buttons;
  for (const ToolEntry& entry : layout) {
    TBBUTTON button{};
    const BYTE hidden = entry.hidden ? TBSTATE_HIDDEN : 0;
    if (entry.command == 0) {
      button.fsStyle = BTNS_SEP;
      button.fsState = hidden;
    } else {
      const Command& command = commands.Get(entry.command);
      button.iBitmap = command.picture >= 0 ? command.picture : I_IMAGENONE;
      button.idCommand = static_cast<int>(command.id);
      button.fsStyle = ToolStyleBits(entry.style);
      button.fsState = static_cast<BYTE>(ToolStateBits(command) | hidden);
    }
    buttons.push_back(button);
  }
  SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  return bar;
}

void UpdateToolBarStates(HWND toolBar, const CommandTable& commands) {
  const int count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.fsStyle & BTNS_SEP) continue;
    const Command* command = commands.Find(static_cast<UINT>(button.idCommand));
    if (!command) continue;
    const BYTE state =
        static_cast<BYTE>((button.fsState & TBSTATE_HIDDEN) | ToolStateBits(*command));
    SendMessageW(toolBar, TB_SETSTATE, button.idCommand, MAKELONG(state, 0));
    const int picture = command->picture >= 0 ? command->picture : I_IMAGENONE;
    if (button.iBitmap != picture)
      SendMessageW(toolBar, TB_CHANGEBITMAP, button.idCommand, MAKELPARAM(picture, 0));
  }
}

bool AnswerToolTip(NMHDR* header, const CommandTable& commands) {
  if (header->code != TTN_GETDISPINFOW) return false;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  const Command* command = commands.Find(static_cast<UINT>(header->idFrom));
  if (!command) return false;
  info->lpszText = const_cast<wchar_t*>(command->hint.c_str());
  return true;
}

}  // namespace kestro::ui
