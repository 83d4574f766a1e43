#include "ui/base/CommandTable.h"

#include <vector>

namespace kestro::ui {

Command& CommandTable::Add(Command command) {
  entries_.push_back(std::move(command));
  return entries_.back();
}

Command* CommandTable::Find(UINT id) {
  for (Command& command : entries_)
    if (command.id == id) return &command;
  return nullptr;
}

const Command* CommandTable::Find(UINT id) const {
  return const_cast<CommandTable*>(this)->Find(id);
}

bool CommandTable::Execute(UINT id) {
  Command* command = Find(id);
  if (!command || !command->enabled || !command->execute) return false;
  command->execute();
  return true;
}

bool CommandTable::Toggle(UINT id) {
  Command& command = *Find(id);
  command.checked = !command.checked;
  return command.checked;
}

UniqueAccelerators CommandTable::CreateAccelerators() const {
  std::vector<ACCEL> accelerators;
  for (const Command& command : entries_) {
    if (command.shortcut.key == 0) continue;
    accelerators.push_back({static_cast<BYTE>(FVIRTKEY | command.shortcut.modifiers),
                            command.shortcut.key, static_cast<WORD>(command.id)});
  }
  return UniqueAccelerators(
      CreateAcceleratorTableW(accelerators.data(), static_cast<int>(accelerators.size())));
}

std::wstring CommandTable::ShortcutText(const Shortcut& shortcut) {
  if (shortcut.key == 0) return {};
  std::wstring text;
  if (shortcut.modifiers & FCONTROL) text += L"Ctrl+";
  if (shortcut.modifiers & FSHIFT) text += L"Shift+";
  if (shortcut.modifiers & FALT) text += L"Alt+";
  if (shortcut.key >= VK_F1 && shortcut.key <= VK_F24)
    text += L"F" + std::to_wstring(shortcut.key - VK_F1 + 1);
  else
    text += static_cast<wchar_t>(shortcut.key);
  return text;
}

}  // namespace kestro::ui
