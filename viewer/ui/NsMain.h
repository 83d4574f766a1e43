#pragma once
// TMainForm: the main window. It owns the list and its model, the status bar,
// the command table and the parts, and routes its messages to them; each
// feature lives in its part (ui/MainContext.h is what a part sees).

#include <windows.h>

#include <memory>

#include "net/NameInfoThread.h"
#include "net/TableReader.h"
#include "ui/Commands.h"
#include "ui/ConnectionCommands.h"
#include "ui/ListCommands.h"
#include "ui/ListViewControl.h"
#include "ui/MainContext.h"
#include "ui/MessagePump.h"
#include "ui/ReportCommands.h"
#include "ui/StatusBar.h"
#include "ui/ViewActions.h"
#include "ui/Window.h"
#include "views/ListModel.h"
#include "views/ViewSwitch.h"

namespace kestro {
class ProcessDetails;
class NameService;
}  // namespace kestro

namespace kestro::ui {

// The platform the main window reads: real in the program, scripted in tests.
struct MainFormPlatform {
  IpHelperApi& ipHelper;
  ProcessDetails& processes;
  std::shared_ptr<NameService> names;
};

class TMainForm final : public Window, private ViewEvents {
 public:
  TMainForm(MainFormPlatform platform, MessagePump& pump);
  ~TMainForm() override;

  // FormCreate: the window (hidden), its list, status bar and commands.
  void Create();

  CommandTable& commands() { return commands_; }
  Command& command(UINT id) { return *commands_.Find(id); }
  ListModel& list() { return list_; }
  const ListViewControl& listView() const { return listView_; }
  ViewState& viewState() { return state_; }
  const StatusBar& statusBar() const { return statusBar_; }
  // Panel 0: "更新中..." or "准备好了".
  std::wstring StatusText() const { return statusBar_.Text(0); }
  HACCEL accelerators() const { return accelerators_.get(); }
  // The application's main window ends the message loop when it goes.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // The parts.
  ViewActions& viewActions() { return viewActions_; }
  ConnectionCommands& connections() { return connections_; }
  ListCommands& listCommands() { return listCommands_; }
  ReportCommands& reports() { return reports_; }

  // The idle-time update of the commands' check and enabled states.
  void ActionListUpdate();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Layout();

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
  ViewContext viewContext_;
  ViewSwitch viewSwitch_;
  CommandTable commands_;
  StatusBar statusBar_;
  UniqueAccelerators accelerators_;
  bool quitOnDestroy_ = false;
  MainContext context_{*this, commands_, list_, listView_, viewSwitch_, statusBar_};
  ViewActions viewActions_{context_};
  ConnectionCommands connections_{context_, platform_.processes, resolver_};
  ListCommands listCommands_{context_};
  ReportCommands reports_{context_};
};

}  // namespace kestro::ui
