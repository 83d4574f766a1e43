#pragma once
// The window side of the nine table and statistics views: their update
// operations in the view switch, the next-view button, the interface choice
// of the list's context menu, the TCP ticker (Timer5) and the error boxes of
// refreshes and ticks.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace kestro::ui {

class TMainForm;

using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)>;

class ViewActions {
 public:
  // Registers the nine update operations with the form's view switch.
  explicit ViewActions(TMainForm& form);
  ViewActions(const ViewActions&) = delete;
  ViewActions& operator=(const ViewActions&) = delete;

  // Starts the TCP ticker; called once the window exists.
  void Start();
  static constexpr UINT_PTR kTimer5 = 5;
  static constexpr UINT kTimer5Interval = 1000;

  // The hidden "统计" tool-bar button: the next view, after the UDP
  // statistics the adapter table again.
  void btnStatisticsClick();

  // The list's context menu, rebuilt at every opening. In the interface
  // statistics view it chooses whose counters are shown; every other view
  // this part knows has an empty menu, which does not open. Returns false
  // when there is nothing to show.
  bool ListViewPopupPopup(POINT screen);
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
  void Timer5Timer();

  // Runs a refresh, a tick or a command; an error ends it and is shown in the
  // standard error box. While such a box is open, timer-driven work waits
  // (see TimersWait), so that a lasting error does not stack boxes.
  void RunShowingErrors(const std::function<void()>& action);
  bool TimersWait() const { return openErrorBoxes_ > 0; }

 private:
  TMainForm& form_;
  int openErrorBoxes_ = 0;
  std::vector<int32_t> popupInterfaces_;  // what each item of the open menu stands for
};

}  // namespace kestro::ui
