#include "ui/main/ViewActions.h"

#include <exception>

#include "ui/controls/CommandBars.h"
#include "views/AddressViews.h"
#include "views/InterfaceViews.h"
#include "views/StatisticsViews.h"
#include "ui/controls/CommandPictures.h"

namespace kestro::ui {

namespace {

struct ViewCommand {
  const wchar_t* name;
  const wchar_t* caption;
};
constexpr ViewCommand kViewCommands[kViewCount] = {
    {L"actNIC", L"网卡表"},   {L"actARP", L"ARP表"},          {L"actIPAddress", L"IP地址表"},
    {L"actRoute", L"路由表"}, {L"actConnections", L"连接表"}, {L"actInterface", L"接口统计数据"},
    {L"actIP", L"IP统计"},    {L"actICMP", L"ICMP统计"},      {L"actTCP", L"TCP统计"},
    {L"actUDP", L"UDP统计"},
};

}  // namespace

ViewActions::ViewActions(const MainContext& context) : context_(context) {
  ViewSwitch& views = context.views;
  views.Register(kViewNic, UpdateNicView);
  views.Register(kViewArp, UpdateArpView);
  views.Register(kViewIpAddress, UpdateAddressView);
  views.Register(kViewRoute, UpdateRouteView);
  views.Register(kViewInterface, UpdateInterfaceStatsView);
  views.Register(kViewIp, UpdateIpStatsView);
  views.Register(kViewIcmp, UpdateIcmpStatsView);
  views.Register(kViewTcp, UpdateTcpStatsView);
  views.Register(kViewUdp, UpdateUdpStatsView);
  AddCommands();
}

void ViewActions::AddCommands() {
  CommandTable& commands = context_.commands;
  commands.Add({.id = kCmdRefresh,
                .name = L"actRefresh",
                .caption = L"刷新",
                .hint = L"刷新",
                .picture = kPictureRefresh,
                .shortcut = {0, VK_F5},
                .execute = [this] { Refresh(); }});
  commands.Add({.id = kCmdAutoRefresh,
                .name = L"actAutoRefresh",
                .caption = L"自动刷新",
                .hint = L"自动刷新",
                .picture = kPictureAutoRefresh,
                .shortcut = {FCONTROL, 'R'},
                .execute = [this] { ToggleAutoRefresh(); },
                .checked = true});
  commands.Add({.id = kCmdStatistics,
                .name = L"btnStatistics",
                .caption = L"统计",
                .hint = L"统计",
                .picture = kPictureStatistics,
                .execute = [this] { ShowNextView(); }});
  // "定时器", hidden: the start-up timer opens the program on the
  // connection view through it.
  commands.Add({.id = kCmdStartupView, .name = L"timer2", .caption = L"定时器", .execute = [this] {
                  ShowView(kViewConnections);
                }});
  for (uint8_t tag = 0; tag < kViewCount; ++tag) {
    commands.Add({.id = ViewCommandId(tag),
                  .name = kViewCommands[tag].name,
                  .caption = kViewCommands[tag].caption,
                  .hint = kViewCommands[tag].caption,
                  .shortcut = {FALT, static_cast<WORD>('0' + tag)},
                  .execute = [this, tag] { ShowView(tag); },
                  .checked = tag == kViewConnections,
                  .groupIndex = 1,
                  .tag = tag});
  }
}

void ViewActions::Start() { SetTimer(context_.owner(), kTcpTickTimer, kTcpTickInterval, nullptr); }

void ViewActions::ShowView(uint8_t tag) {
  // The control shows the whole outcome, also of an update that failed half-way.
  struct SyncAtEnd {
    ListViewControl& list;
    ~SyncAtEnd() { list.Sync(); }
  } syncAtEnd{context_.listView};
  context_.views.ShowView(tag);
}

void ViewActions::Refresh() {
  Command* current = nullptr;
  for (Command& entry : context_.commands.entries())
    if (entry.groupIndex == 1 && entry.tag == context_.state().CurrentView) current = &entry;
  if (current) current->execute();
}

void ViewActions::ToggleAutoRefresh() { context_.commands.Toggle(kCmdAutoRefresh); }

void ViewActions::ShowNextView() {
  ShowView(static_cast<uint8_t>((context_.state().CurrentView + 1) % kViewCount));
}

void ViewActions::SetInterval(UINT milliseconds) {
  interval_ = milliseconds;
  if (timerEnabled_) SetTimer(context_.owner(), kRefreshTimer, interval_, nullptr);
}

void ViewActions::OnRefreshTimer(const std::function<void()>& followUp) {
  // While an error box is open, timed refreshes wait instead of stacking boxes.
  if (TimersWait()) return;
  RunShowingErrors([&] {
    Refresh();
    followUp();
  });
}

UniqueMenu ViewActions::BuildPopup() {
  popupInterfaces_.clear();
  if (context_.state().CurrentView != kViewInterface) return {};
  std::vector<InterfaceChoice> choices =
      InterfaceChoices(context_.tables(), context_.state().SelectedInterface);
  if (choices.empty()) return {};
  UniqueMenu menu(CreatePopupMenu());
  for (size_t i = 0; i < choices.size(); ++i) {
    AppendMenuItem(menu.get(), kInterfaceItemFirst + static_cast<UINT>(i), choices[i].caption,
                   choices[i].checked, true);
    popupInterfaces_.push_back(choices[i].interfaceIndex);
    if (i == 0) AppendMenuSeparator(menu.get());
  }
  return menu;
}

bool ViewActions::ShowContextMenu(POINT screen) {
  UniqueMenu menu = BuildPopup();
  if (!menu) return false;
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(context_.owner());
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                     screen.y, 0, context_.owner(), nullptr);
  if (chosen >= kInterfaceItemFirst && chosen - kInterfaceItemFirst < popupInterfaces_.size())
    InterfaceChosen(popupInterfaces_[chosen - kInterfaceItemFirst]);
  return true;
}

void ViewActions::InterfaceChosen(int32_t interfaceIndex) {
  context_.state().SelectedInterface = interfaceIndex;
  if (!context_.command(kCmdAutoRefresh).checked) Refresh();
}

void ViewActions::OnTcpTickTimer() {
  // A view update lets messages run; the ticker waits for its end rather than
  // touching a list that is being built, and for an open error box.
  if (!context_.state().Ready || TimersWait()) return;
  RunShowingErrors([this] {
    TickTcpStatistics(context_.tables(), context_.list, [this](const TcpStatusTexts& texts) {
      context_.statusBar.SetText(1, texts.established);
      context_.statusBar.SetText(2, texts.attemptFails);
      context_.statusBar.SetText(3, texts.segments);
    });
    context_.listView.Sync();
  });
}

void ViewActions::UpdateCommands() {
  for (Command& item : context_.commands.entries())
    if (item.groupIndex == 1) item.checked = item.tag == context_.state().CurrentView;
  const bool wanted = context_.command(kCmdAutoRefresh).checked;
  if (wanted != timerEnabled_ && context_.owner()) {
    if (wanted)
      SetTimer(context_.owner(), kRefreshTimer, interval_, nullptr);
    else
      KillTimer(context_.owner(), kRefreshTimer);
    timerEnabled_ = wanted;
  }
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
  RunGuarded(context_.owner(), [&] { std::rethrow_exception(error); });
  --openErrorBoxes_;
}

}  // namespace kestro::ui
