#pragma once
// What a menu shows, item by item, read back through the system's own calls:
// for the window tests of the menu bar, popup and tray menus.
#include <windows.h>

#include <string>
#include <vector>

namespace kestro::test {

struct MenuItem {
  std::wstring text;  // empty for a separator
  UINT id = 0;
  bool separator = false;
  bool checked = false;
  bool enabled = true;
  bool radio = false;
  HMENU sub = nullptr;
  HBITMAP picture = nullptr;
};

inline MenuItem ReadMenuItem(HMENU menu, int position) {
  wchar_t text[128] = {};
  MENUITEMINFOW info{sizeof info};
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU | MIIM_BITMAP;
  info.dwTypeData = text;
  info.cch = 128;
  GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
  return {text,
          info.wID,
          (info.fType & MFT_SEPARATOR) != 0,
          (info.fState & MFS_CHECKED) != 0,
          (info.fState & MFS_DISABLED) == 0,
          (info.fType & MFT_RADIOCHECK) != 0,
          info.hSubMenu,
          info.hbmpItem};
}

inline std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) items.push_back(ReadMenuItem(menu, i));
  return items;
}

// The items' texts, "" for a separator.
inline std::vector<std::wstring> MenuTexts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (const MenuItem& item : ReadMenu(menu)) texts.push_back(item.text);
  return texts;
}

}  // namespace kestro::test
