#pragma once
// MainWindow: the main window. It owns the list and its model, the status bar,
// the command table and the parts, and routes its messages to them; each
// feature lives in its part (ui/main/MainContext.h is what a part sees).

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "net/NameLookupThread.h"
#include "net/TableReader.h"
#include "ui/base/CommandTable.h"
#include "ui/main/CommandIds.h"
#include "ui/main/ConnectionCommands.h"
#include "ui/main/ListCommands.h"
#include "ui/controls/ListViewControl.h"
#include "ui/main/LookupCommands.h"
#include "ui/main/MainContext.h"
#include "ui/base/MessagePump.h"
#include "ui/main/ReportCommands.h"
#include "ui/main/RowCommands.h"
#include "ui/main/Settings.h"
#include "ui/controls/StatusBar.h"
#include "ui/main/TrayIcon.h"
#include "ui/main/ViewActions.h"
#include "ui/base/Window.h"
#include "ui/main/WindowOptions.h"
#include "views/ListModel.h"
#include "views/ViewSwitch.h"

namespace kestro {
class ProcessDetails;
class NameService;
}  // namespace kestro

namespace kestro::ui {

class CloseQuestion;
class SplashWindow;

// The platform the main window reads: real in the program, scripted in tests.
struct MainWindowPlatform {
  IpHelperApi& ipHelper;
  ProcessDetails& processes;
  std::shared_ptr<NameService> names;
  NotifyArea* notifyArea = nullptr;  // null: the shell's
};

class MainWindow final : public Window, private ViewEvents {
 public:
  MainWindow(MainWindowPlatform platform, MessagePump& pump);
  ~MainWindow() override;

  // The window (hidden) with its menu bar, tool bar, list,
  // transparency slider and status bar, and the commands, as `settings` say.
  // Without settings (the window tests), the designed bounds and the
  // commands' and view's initial states.
  void Create(const std::optional<Settings>& settings = std::nullopt);
  // The settings as the window holds them now, for the next start.
  Settings CollectSettings() const;
  // Called with the settings as the window goes.
  void SetDestroyHandler(std::function<void(const Settings&)> handler) {
    onDestroy_ = std::move(handler);
  }
  // OnCloseRequest asks this question first; without one the window just closes.
  void SetCloseQuestion(CloseQuestion* question) { closeQuestion_ = question; }
  // The start-up: the "请等待" panel over the list until the start-up timer
  // fires; then the connection view is built, the splash closes and the
  // window shows.
  void StartUp(SplashWindow& splash);
  static constexpr UINT_PTR kStartupTimer = 2;
  static constexpr UINT kStartupDelay = 3000;
  HWND toolBar() const { return toolBar_; }
  HWND trackBar() const { return trackBar_; }
  HWND waitPanel() const { return waitPanel_; }

  CommandTable& commands() { return commands_; }
  Command& command(UINT id) { return commands_.Get(id); }
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
  WindowOptions& windowOptions() { return windowOptions_; }
  LookupCommands& lookups() { return lookups_; }
  TrayIcon& tray() { return tray_; }
  RowCommands& rowCommands() { return rowCommands_; }

  // The idle-time update of the commands' check and enabled states.
  void UpdateCommandStates();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Layout();
  void ApplySettings(const Settings& settings);
  void OnStartupTimer();
  // OnCloseRequest: "关闭" ends the program, every other answer hides the window to the tray.
  void OnCloseRequest();
  // The "统计" button's drop-down: the ten views.
  void ShowViewsDropDown(const NMTOOLBARW& button);

  // ViewEvents
  void ProcessPendingMessages() override;
  bool PendingMessagesDue() override;
  void SetStatusText(const std::wstring& text) override;
  void ActivitySignal() override;
  void PlayNewConnectionSound() override;
  void ScrollToEnd() override;
  void ShowNewConnectionBalloon(const std::wstring& title, const std::wstring& text) override;

  MainWindowPlatform platform_;
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
  UniqueImageList commandPictures_;
  MenuPictures menuPictures_{GetModuleHandleW(nullptr)};
  ShellNotifyArea shellNotifyArea_;
  HWND toolBar_ = nullptr;
  HWND trackBar_ = nullptr;
  HWND waitPanel_ = nullptr;  // "请等待"
  CloseQuestion* closeQuestion_ = nullptr;
  SplashWindow* splash_ = nullptr;
  bool startMaximised_ = false;
  std::function<void(const Settings&)> onDestroy_;
  bool quitOnDestroy_ = false;
  MainContext context_{*this, commands_, list_, listView_, viewSwitch_, statusBar_};
  ViewActions viewActions_{context_};
  ConnectionCommands connections_{context_, platform_.processes, resolver_};
  ListCommands listCommands_{context_};
  ReportCommands reports_{context_};
  WindowOptions windowOptions_{context_, viewActions_, reports_};
  LookupCommands lookups_{context_};
  TrayIcon tray_{context_, platform_.notifyArea ? *platform_.notifyArea : shellNotifyArea_,
                 menuPictures_};
  RowCommands rowCommands_{context_, menuPictures_};
};

}  // namespace kestro::ui
