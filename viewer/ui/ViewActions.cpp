#include "ui/ViewActions.h"

#include <commctrl.h>

#include <exception>

#include "ui/NsMain.h"
#include "views/AddressViews.h"
#include "views/InterfaceViews.h"
#include "views/StatisticsViews.h"

namespace kestro::ui {

ViewActions::ViewActions(TMainForm& form) : form_(form) {
  ViewSwitch& views = form.viewSwitch();
  views.Register(kViewNic, UpdateNicView);
  views.Register(kViewArp, UpdateArpView);
  views.Register(kViewIpAddress, UpdateAddressView);
  views.Register(kViewRoute, UpdateRouteView);
  views.Register(kViewInterface, UpdateInterfaceStatsView);
  views.Register(kViewIp, UpdateIpStatsView);
  views.Register(kViewIcmp, UpdateIcmpStatsView);
  views.Register(kViewTcp, UpdateTcpStatsView);
  views.Register(kViewUdp, UpdateUdpStatsView);
  form.commands().Add({kCmdStatistics, L"btnStatistics", L"统计", L"统计", -1, {}, [this] {
                         btnStatisticsClick();
                       }});
}

void ViewActions::Start() { SetTimer(form_.hwnd(), kTimer5, kTimer5Interval, nullptr); }

void ViewActions::btnStatisticsClick() {
  form_.ActionExecute(static_cast<uint8_t>((form_.viewState().CurrentView + 1) % kViewCount));
}

UniqueMenu ViewActions::BuildPopup() {
  popupInterfaces_.clear();
  if (form_.viewState().CurrentView != kViewInterface) return {nullptr, DestroyMenu};
  std::vector<InterfaceChoice> choices =
      InterfaceChoices(form_.viewSwitch().context().tables, form_.viewState().SelectedInterface);
  if (choices.empty()) return {nullptr, DestroyMenu};
  UniqueMenu menu(CreatePopupMenu(), DestroyMenu);
  for (size_t i = 0; i < choices.size(); ++i) {
    MENUITEMINFOW item{sizeof item};
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    item.fType = MFT_STRING | MFT_RADIOCHECK;
    item.fState = choices[i].checked ? MFS_CHECKED : MFS_UNCHECKED;
    item.wID = kInterfaceItemFirst + static_cast<UINT>(i);
    item.dwTypeData = choices[i].caption.data();
    InsertMenuItemW(menu.get(), GetMenuItemCount(menu.get()), TRUE, &item);
    popupInterfaces_.push_back(choices[i].interfaceIndex);
    if (i == 0) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  }
  return menu;
}

bool ViewActions::ListViewPopupPopup(POINT screen) {
  UniqueMenu menu = BuildPopup();
  if (!menu) return false;
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(form_.hwnd());
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                     screen.y, 0, form_.hwnd(), nullptr);
  if (chosen >= kInterfaceItemFirst && chosen - kInterfaceItemFirst < popupInterfaces_.size())
    InterfaceChosen(popupInterfaces_[chosen - kInterfaceItemFirst]);
  return true;
}

void ViewActions::InterfaceChosen(int32_t interfaceIndex) {
  form_.viewState().SelectedInterface = interfaceIndex;
  if (!form_.command(kCmdAutoRefresh).checked) form_.actRefreshExecute();
}

void ViewActions::Timer5Timer() {
  // A view update lets messages run; the ticker waits for its end rather than
  // touching a list that is being built, and for an open error box.
  if (!form_.viewState().Ready || TimersWait()) return;
  RunShowingErrors([this] {
    HWND statusBar = form_.statusBar();
    TickTcpStatistics(
        form_.viewSwitch().context().tables, form_.list(),
        [statusBar](const TcpStatusTexts& texts) {
          const std::wstring* panels[] = {&texts.established, &texts.attemptFails, &texts.segments};
          for (WPARAM panel = 1; panel <= 3; ++panel)
            SendMessageW(statusBar, SB_SETTEXTW, panel,
                         reinterpret_cast<LPARAM>(panels[panel - 1]->c_str()));
        });
    form_.listView().Sync();
  });
}

void ViewActions::RunShowingErrors(const std::function<void()>& action) {
  std::exception_ptr error;
  try {
    action();
  } catch (...) {
    error = std::current_exception();
  }
  if (!error) return;
  ++openErrorBoxes_;
  RunGuarded(form_.hwnd(), [&] { std::rethrow_exception(error); });
  --openErrorBoxes_;
}

}  // namespace kestro::ui
