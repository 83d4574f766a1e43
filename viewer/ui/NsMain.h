#pragma once
// TMainForm: the main window. It holds the list and its model, the status bar,
// the refresh timer and the command table, and runs the views through the
// view switch. Each feature lives in its own part; this window wires them.

#include <windows.h>

#include <memory>

#include "geo/Flags.h"
#include "net/NameInfoThread.h"
#include "net/TableReader.h"
#include "ui/Commands.h"
#include "ui/ListViewControl.h"
#include "ui/MessagePump.h"
#include "ui/ReportCommands.h"
#include "ui/ViewActions.h"
#include "ui/Window.h"
#include "views/ConnectionsView.h"
#include "views/ListModel.h"
#include "views/ListPresentation.h"
#include "views/ViewSwitch.h"

namespace kestro {
class ProcessDetails;
class NameService;
}  // namespace kestro

namespace kestro::ui {

class TForm4;

// The platform the main window reads: real in the program, scripted in tests.
struct MainFormPlatform {
  IpHelperApi& ipHelper;
  ProcessDetails& processes;
  std::shared_ptr<NameService> names;
};

// Command ids (also the menu and accelerator ids).
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
  kCmdViewFirst = 200,  // + tag: actNIC .. actUDP
};
constexpr UINT ViewCommandId(uint8_t tag) { return kCmdViewFirst + UINT{tag}; }

class TMainForm final : public Window, private ViewEvents {
 public:
  TMainForm(MainFormPlatform platform, MessagePump& pump);
  ~TMainForm() override;

  // FormCreate: the window (hidden), its list, status bar and commands.
  void Create();
  // The column chooser the ChooseColumns1 command shows.
  void SetColumnChooser(TForm4* chooser) { columnChooser_ = chooser; }

  CommandTable& commands() { return commands_; }
  Command& command(UINT id) { return *commands_.Find(id); }
  ListModel& list() { return list_; }
  ListViewControl& listView() { return listView_; }
  const ListViewControl& listView() const { return listView_; }
  ViewSwitch& viewSwitch() { return viewSwitch_; }
  ConnectionsView& connections() { return connections_; }
  ViewActions& viewActions() { return viewActions_; }
  ReportCommands& reports() { return reports_; }
  ViewState& viewState() { return state_; }
  const ListSortState& sortState() const { return sort_; }
  HWND statusBar() const { return statusBar_; }
  std::wstring StatusText() const;
  UINT Interval() const { return interval_; }
  void SetInterval(UINT milliseconds);
  bool TimerEnabled() const { return timerEnabled_; }
  HACCEL accelerators() const { return accelerators_; }
  // The application's main window ends the message loop when it goes.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // The commands of this window.
  void actRefreshExecute();
  void actAutoRefreshExecute();
  void actAllEndpointsExecute();
  void actByNameExecute();
  // Closes the selected TCPv4 connection (when it is established).
  void actCloseConnectionExecute();
  void ActionExecute(uint8_t tag);
  void TimerTimer();
  // The idle-time update of the commands' check and enabled states.
  void ActionListUpdate();
  void ListViewColumnClick(int column);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AddCommands();
  void Layout();
  ConnectionOptions ConnectionOptionsNow();
  // The selected row's record when it is an established TCPv4 connection of the
  // connection view: the only rows a close command can act on.
  TConnectionData* ClosableSelection();

  // ViewEvents
  void ProcessPendingMessages() override;
  bool PendingMessagesDue() override;
  void SetStatusText(const std::wstring& text) override;
  void ActivitySignal() override;
  void PlayNewConnectionSound() override;
  void ScrollToEnd() override;

  MainFormPlatform platform_;
  MessagePump& pump_;
  TableReader tables_;
  NameResolver resolver_;
  ListModel list_;
  ListViewControl listView_;
  ViewState state_;
  ViewContext context_;
  ViewSwitch viewSwitch_;
  ConnectionsView connections_;
  ListSortState sort_;
  CommandTable commands_;
  UniqueImageList flags_;
  HACCEL accelerators_ = nullptr;
  HWND statusBar_ = nullptr;
  UINT interval_ = 1000;
  bool timerEnabled_ = false;
  TForm4* columnChooser_ = nullptr;
  bool quitOnDestroy_ = false;
  ViewActions viewActions_{*this};
  ReportCommands reports_{*this};
};

}  // namespace kestro::ui
