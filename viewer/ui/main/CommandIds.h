#pragma once
// The ids of the main window's commands, which are also their menu, tool-bar
// and accelerator ids. A new command takes the next free id here and one
// entry in the command table, added by the part that owns it.

#include <windows.h>

#include <cstdint>

namespace kestro::ui {

enum CommandId : UINT {
  kCmdRefresh = 100,
  kCmdAutoRefresh,
  kCmdAllEndpoints,
  kCmdByName,
  kCmdShowGridLines,
  kCmdChooseColumns,
  kCmdStateColor,
  kCmdFlag,
  kCmdAutoScroll,
  kCmdBalloonTip,
  kCmdSound,
  kCmdTest,
  kCmdSave,
  kCmdSaveAs,
  kCmdStatistics,
  kCmdCloseConnection,
  kCmdExit,
  kCmdToolBar,
  kCmdStatusBar,
  kCmdAlwaysOnTop,
  kCmdTransparency,
  kCmdOptions,
  kCmdAbout,
  kCmdStartupView,
  kCmdEndProcess,         // Action1
  kCmdUpload,             // Action2
  kCmdShellProperties,    // Action3
  kCmdCopyRow,            // Action5
  kCmdCopyRemoteIp,       // Action6
  kCmdProcessProperties,  // ProcessProperties1
  kCmdShowWindow,         // Show1, the tray menu
  kCmdHideWindow,         // Hidewindow1, the tray menu
  kCmdWhois,              // Action9, also in the connection view's context menu
  kCmdGeoLocation,        // Action10, likewise
  kCmdViewFirst = 200,    // + tag: actNIC .. actUDP
};
constexpr UINT ViewCommandId(uint8_t tag) { return kCmdViewFirst + UINT{tag}; }

}  // namespace kestro::ui
