#pragma once
// The main window's commands: each is one entry with its id, caption, picture,
// shortcut, handler and check and enabled state. The accelerator table, the
// menus and the tool bar are built from these entries (ui/controls/CommandBars.h).

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "win/Handle.h"

namespace kestro::ui {

struct Shortcut {
  BYTE modifiers = 0;  // FCONTROL, FALT, FSHIFT; FVIRTKEY is implied
  WORD key = 0;        // virtual key; 0: none
};

// Written with designated initializers, so that each field is named:
//   {.id = kCmdSave, .name = L"actSave", .caption = L"保存", ...}
struct Command {
  UINT id = 0;
  std::wstring name;     // the command's original name (actRefresh, ...), for readers
  std::wstring caption;  // menu text
  std::wstring hint;     // tool-tip text
  int picture = -1;      // in the tool bar's pictures; -1: none
  Shortcut shortcut;
  std::function<void()> execute;
  bool checked = false;
  bool enabled = true;
  int groupIndex = 0;  // non-zero: one of a radio group (1: the view commands)
  int tag = 0;         // the view tag of a view command
};

class CommandTable {
 public:
  // Entries keep their address for the table's life.
  Command& Add(Command command);
  Command* Find(UINT id);
  const Command* Find(UINT id) const;
  // The entry of a command the caller added itself: one missing from the
  // table is a fault of the program, raised here rather than followed.
  Command& Get(UINT id);
  const Command& Get(UINT id) const;
  const std::deque<Command>& entries() const { return entries_; }
  std::deque<Command>& entries() { return entries_; }

  // Runs an enabled command's handler; false when there is none to run.
  bool Execute(UINT id);
  // Flips a check item's mark; returns the new one.
  bool Toggle(UINT id);

  // The accelerator table of every command with a shortcut.
  UniqueAccelerators CreateAccelerators() const;
  // "Ctrl+R", "F5", "Alt+4": the shortcut as a menu shows it.
  static std::wstring ShortcutText(const Shortcut& shortcut);

 private:
  std::deque<Command> entries_;
};

}  // namespace kestro::ui
