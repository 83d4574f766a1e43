#pragma once
// The window side of the connection view: its update operation in the view
// switch, the options a refresh reads (all endpoints, names, automatic
// scrolling, and the balloon and sound switches), and closing the selected
// connection.

#include "net/NameLookupThread.h"
#include "ui/main/MainContext.h"
#include "views/ConnectionsView.h"

namespace kestro {
class ProcessDetails;
}

namespace kestro::ui {

class ConnectionCommands {
 public:
  // Registers the connection view with the view switch and adds its commands.
  ConnectionCommands(const MainContext& context, ProcessDetails& processes, NameResolver& names);
  ConnectionCommands(const ConnectionCommands&) = delete;
  ConnectionCommands& operator=(const ConnectionCommands&) = delete;

  ConnectionsView& view() { return view_; }

  // Both toggle their option and refresh at once; nothing during an update.
  void ToggleAllEndpoints();
  void ToggleByName();
  // Closes the selected TCPv4 connection (when it is established).
  void CloseConnection();

  // The idle-time update: the view's commands are enabled only while it is
  // shown, closing only on a row it can close.
  void UpdateCommands();

 private:
  void AddCommands();
  // The balloon and sound switches: the check flips, the picture follows it.
  void ToggleSwitch(UINT id, int pictureOff, int pictureOn);
  ConnectionOptions OptionsNow() const;
  // The selected row's record when it is an established TCPv4 connection of the
  // connection view: the only rows a close command can act on.
  ConnectionRecord* ClosableSelection();

  MainContext context_;
  ConnectionsView view_;
};

}  // namespace kestro::ui
