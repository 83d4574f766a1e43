#pragma once
// What the parts of the main window work with. The main window owns all of it
// and the parts; a part reaches the others only through the command table.

#include <windows.h>

#include "ui/base/CommandTable.h"
#include "ui/main/CommandIds.h"
#include "ui/controls/ListViewControl.h"
#include "ui/controls/StatusBar.h"
#include "ui/base/Window.h"
#include "views/ListModel.h"
#include "views/ViewSwitch.h"

namespace kestro::ui {

struct MainContext {
  const Window& window;  // its handle exists once the window is created
  CommandTable& commands;
  ListModel& list;
  ListViewControl& listView;
  ViewSwitch& views;
  StatusBar& statusBar;

  HWND owner() const { return window.hwnd(); }
  ViewState& state() const { return views.state(); }
  TableReader& tables() const { return views.context().tables; }
  Command& command(UINT id) const { return commands.Get(id); }
};

}  // namespace kestro::ui
