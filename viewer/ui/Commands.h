#pragma once
// The main window's commands: each is one entry with its id, caption, picture,
// shortcut, handler and check and enabled state. Menus, tool bar, tray menu,
// context menu and the accelerator table are built from these entries.

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kestro::ui {

struct Shortcut {
  BYTE modifiers = 0;  // FCONTROL, FALT, FSHIFT; FVIRTKEY is implied
  WORD key = 0;        // virtual key; 0: none
};

struct Command {
  UINT id = 0;
  std::wstring name;  // the command's name in code (actRefresh, ...)
  std::wstring caption;
  std::wstring hint;
  int picture = -1;
  Shortcut shortcut;
  std::function<void()> execute;
  bool checked = false;
  bool enabled = true;
  int groupIndex = 0;  // 1: a view command
  int tag = 0;
};

class CommandTable {
 public:
  // Entries keep their address for the table's life.
  Command& Add(Command command);
  Command* Find(UINT id);
  Command* FindByName(const std::wstring& name);
  const std::deque<Command>& entries() const { return entries_; }
  std::deque<Command>& entries() { return entries_; }

  // Runs an enabled command's handler; false when there is none to run.
  bool Execute(UINT id);

  // The accelerator table of every command with a shortcut; the caller owns it.
  HACCEL CreateAccelerators() const;
  // "Ctrl+R", "F5", "Alt+4": the shortcut as a menu shows it.
  static std::wstring ShortcutText(const Shortcut& shortcut);

 private:
  std::deque<Command> entries_;
};

}  // namespace kestro::ui
