#pragma once
// Switching views and the refresh cycle: the ten view commands and the update
// operations of the nine table and statistics views, refresh and automatic
// refresh with the refresh timer, the next-view button, the interface choice
// of the list's context menu, the TCP ticker (Timer5) and the error boxes of
// commands, refreshes and ticks.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/main/MainContext.h"
#include "win/Handle.h"

namespace kestro::ui {

class ViewActions {
 public:
  // Registers the nine update operations with the view switch and adds the
  // view, refresh and statistics commands.
  explicit ViewActions(const MainContext& context);
  ViewActions(const ViewActions&) = delete;
  ViewActions& operator=(const ViewActions&) = delete;

  // Starts the TCP ticker; called once the window exists.
  void Start();
  static constexpr UINT_PTR kRefreshTimer = 1;  // Timer
  static constexpr UINT_PTR kTcpTickTimer = 5;
  static constexpr UINT kTcpTickInterval = 1000;

  // ShowView of a view command: the view switch shows view `tag`.
  void ShowView(uint8_t tag);
  // The view command of the current view; the last one when several match.
  void Refresh();
  void ToggleAutoRefresh();
  // The hidden "统计" tool-bar button: the next view, after the UDP
  // statistics the adapter table again.
  void ShowNextView();

  // The refresh timer's interval; the timer runs while automatic refresh is checked.
  UINT Interval() const { return interval_; }
  void SetInterval(UINT milliseconds);
  bool RefreshTimerRunning() const { return timerEnabled_; }
  // One tick of the refresh timer: a refresh, then `followUp` (the automatic
  // save); skipped while an error box is open.
  void OnRefreshTimer(const std::function<void()>& followUp);

  // The list's context menu, rebuilt at every opening. In the interface
  // statistics view it chooses whose counters are shown; every other view
  // this part knows has an empty menu, which does not open. Returns false
  // when there is nothing to show.
  bool ShowContextMenu(POINT screen);
  // The menu's items for the current view (null: no menu). Item ids are
  // kInterfaceItemFirst + position.
  UniqueMenu BuildPopup();
  // An item of that menu was chosen: the interface it stands for is shown,
  // at once when automatic refresh is off.
  void InterfaceChosen(int32_t interfaceIndex);
  static constexpr UINT kInterfaceItemFirst = 3000;

  // One tick of Timer5: status panels 1 to 3 and the TCP statistics rows;
  // skipped while a view update runs or an error box is open. Its error is
  // shown in the error box.
  void OnTcpTickTimer();

  // The idle-time update: the view commands' checks, and the refresh timer
  // started or stopped as automatic refresh is checked.
  void UpdateCommands();

  // Runs a refresh, a tick or a command; an error ends it and is shown in the
  // standard error box. While such a box is open, timer-driven work waits
  // (see TimersWait), so that a lasting error does not stack boxes.
  void RunShowingErrors(const std::function<void()>& action);
  bool TimersWait() const { return openErrorBoxes_ > 0; }

 private:
  void AddCommands();

  MainContext context_;
  UINT interval_ = 1000;
  bool timerEnabled_ = false;
  int openErrorBoxes_ = 0;
  std::vector<int32_t> popupInterfaces_;  // what each item of the open menu stands for
};

}  // namespace kestro::ui
