#include "ui/NsMain.h"

#include <mmsystem.h>
#include <cstring>
#include <windowsx.h>

#include "process/ProcessInfo.h"
#include "ui/Unit4.h"

namespace kestro::ui {

namespace {

constexpr int kListViewId = 1;
constexpr UINT_PTR kRefreshTimer = 1;  // Timer
// Panels 70, 110, 155 and 50 wide; the last one reaches to the right edge, as
// a status bar's last part does, so that the TCP segment counts stay readable.
constexpr int kStatusPanelEdges[] = {70, 70 + 110, 70 + 110 + 155, -1};

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

TMainForm::TMainForm(MainFormPlatform platform, MessagePump& pump)
    : platform_(platform),
      pump_(pump),
      tables_(platform.ipHelper),
      resolver_(platform.names),
      context_{list_, tables_, state_, *this},
      viewSwitch_(context_),
      connections_(list_, platform.processes, resolver_,
                   [this] { return ConnectionOptionsNow(); }) {
  list_.SetDeletionHook(ListViewDeletion);
  viewSwitch_.Register(kViewConnections, [this](ViewContext& context, bool rebuild) {
    connections_.Update(context, rebuild);
  });
  AddCommands();
}

TMainForm::~TMainForm() {
  if (timerEnabled_) KillTimer(hwnd(), kRefreshTimer);
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  resolver_.SetCompletion(nullptr);
  if (hwnd()) DestroyWindow(hwnd());
}

void TMainForm::AddCommands() {
  // A menu check that flips, and what the list makes of it.
  auto toggle = [this](UINT id, void (ListViewControl::*apply)(bool) = nullptr) {
    return [this, id, apply] {
      Command& item = command(id);
      item.checked = !item.checked;
      if (apply) (listView_.*apply)(item.checked);
    };
  };
  commands_.Add({kCmdRefresh, L"actRefresh", L"刷新", L"刷新", -1, {0, VK_F5}, [this] {
                   actRefreshExecute();
                 }});
  commands_.Add({kCmdAutoRefresh,
                 L"actAutoRefresh",
                 L"自动刷新",
                 L"自动刷新",
                 -1,
                 {FCONTROL, 'R'},
                 [this] { actAutoRefreshExecute(); },
                 true});
  commands_.Add({kCmdAllEndpoints,
                 L"actAllEndpoints",
                 L"所有端点",
                 L"显示未连接的端点",
                 16,
                 {FCONTROL, 'A'},
                 [this] { actAllEndpointsExecute(); }});
  commands_.Add({kCmdByName, L"actByName", L"解析地址", L"解析地址", 10, {FCONTROL, 'M'}, [this] {
                   actByNameExecute();
                 }});
  commands_.Add({kCmdCloseConnection,
                 L"actCloseConnection",
                 L"关闭连接",
                 L"关闭连接",
                 86,
                 {FCONTROL, 'K'},
                 [this] { actCloseConnectionExecute(); }});
  commands_.Add({kCmdShowGridLines,
                 L"ShowGridLines1",
                 L"显示网格线",
                 L"",
                 -1,
                 {},
                 toggle(kCmdShowGridLines, &ListViewControl::SetGridLines)});
  commands_.Add({kCmdChooseColumns, L"ChooseColumns1", L"选择列", L"", -1, {}, [this] {
                   if (columnChooser_) columnChooser_->ShowChooser();
                 }});
  commands_.Add({kCmdStateColor,
                 L"SateColor1",
                 L"状态颜色",
                 L"",
                 -1,
                 {},
                 toggle(kCmdStateColor, &ListViewControl::SetStateColors),
                 true});
  commands_.Add({kCmdFlag,
                 L"Flag1",
                 L"国旗",
                 L"",
                 -1,
                 {},
                 toggle(kCmdFlag, &ListViewControl::SetDrawFlags),
                 true});
  commands_.Add(
      {kCmdAutoScroll, L"AutoScroll1", L"自动滚屏", L"", -1, {}, toggle(kCmdAutoScroll), true});
  commands_.Add(
      {kCmdBalloonTip, L"BallonTipAllert1", L"建立通知", L"", -1, {}, toggle(kCmdBalloonTip)});
  commands_.Add(
      {kCmdSound, L"EstablishedNotificationSound1", L"建立声音", L"", -1, {}, toggle(kCmdSound)});
  commands_.Add({kCmdTest, L"test1", L"测试", L"", -1, {}, toggle(kCmdTest)});
  for (uint8_t tag = 0; tag < kViewCount; ++tag) {
    Command view{ViewCommandId(tag),
                 kViewCommands[tag].name,
                 kViewCommands[tag].caption,
                 kViewCommands[tag].caption,
                 -1,
                 {FALT, static_cast<WORD>('0' + tag)},
                 [this, tag] { ActionExecute(tag); }};
    view.checked = tag == kViewConnections;
    view.groupIndex = 1;
    view.tag = tag;
    commands_.Add(std::move(view));
  }
}

void TMainForm::Create() {
  CreateWindowOf(L"TMainForm", 0, L"Kestro", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 190, 117, 703,
                 549, nullptr);
  listView_.Create(hwnd(), kListViewId, list_);
  listView_.onColumnClick = [this](int column) { ListViewColumnClick(column); };
  listView_.SetSmallImages(SystemSmallImageList());
  flags_ = SinFlags(GetModuleHandleW(nullptr));
  listView_.SetFlagImages(flags_.get());
  statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                               0, 0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(statusBar_, SB_SETPARTS, std::size(kStatusPanelEdges),
               reinterpret_cast<LPARAM>(kStatusPanelEdges));
  accelerators_ = commands_.CreateAccelerators();
  Layout();
  state_.Ready = true;
  viewActions_.Start();
  ActionListUpdate();
}

std::wstring TMainForm::StatusText() const {
  wchar_t text[256] = {};
  const auto length = LOWORD(SendMessageW(statusBar_, SB_GETTEXTLENGTHW, 0, 0));
  if (length < std::size(text))
    SendMessageW(statusBar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

void TMainForm::SetInterval(UINT milliseconds) {
  interval_ = milliseconds;
  if (timerEnabled_) SetTimer(hwnd(), kRefreshTimer, interval_, nullptr);
}

ConnectionOptions TMainForm::ConnectionOptionsNow() {
  ConnectionOptions options;
  options.allEndpoints = command(kCmdAllEndpoints).checked;
  options.byName = command(kCmdByName).checked;
  options.autoScroll = command(kCmdAutoScroll).checked;
  options.balloon = command(kCmdBalloonTip).checked;
  options.sound = command(kCmdSound).checked;
  return options;
}

void TMainForm::actRefreshExecute() {
  // The view command of the current view; the last one when several match.
  Command* current = nullptr;
  for (Command& entry : commands_.entries())
    if (entry.groupIndex == 1 && entry.tag == state_.CurrentView) current = &entry;
  if (current) current->execute();
}

void TMainForm::actAutoRefreshExecute() {
  Command& item = command(kCmdAutoRefresh);
  item.checked = !item.checked;
}

void TMainForm::actAllEndpointsExecute() {
  if (!state_.Ready) return;
  Command& item = command(kCmdAllEndpoints);
  item.checked = !item.checked;
  actRefreshExecute();
}

void TMainForm::actByNameExecute() {
  if (!state_.Ready) return;
  Command& item = command(kCmdByName);
  item.checked = !item.checked;
  state_.ReResolve = true;
  actRefreshExecute();
}

TConnectionData* TMainForm::ClosableSelection() {
  if (state_.CurrentView != kViewConnections) return nullptr;
  std::optional<RowId> selected = listView_.SelectedRow();
  std::optional<size_t> index = selected ? list_.IndexOf(*selected) : std::nullopt;
  if (!index) return nullptr;
  auto* data = list_.Row(*index).RecordAs<TConnectionData>();
  if (!data || data->kind != ConnectionKind::kTcp4 || data->State() != kTcpEstablished)
    return nullptr;
  return data;
}

void TMainForm::actCloseConnectionExecute() {
  // The shortcut may come before the idle update has caught up with the selection.
  TConnectionData* data = ClosableSelection();
  if (!data) return;
  const RowId row = *listView_.SelectedRow();
  // On failure the record keeps the closing state until the next refresh
  // writes the table's state back.
  data->endpoint.tcp4.dwState = MIB_TCP_STATE_DELETE_TCB;
  MIB_TCPROW entry;
  std::memcpy(&entry, &data->endpoint.tcp4, sizeof entry);
  tables_.CloseTcpEntry(entry);
  if (std::optional<size_t> index = list_.IndexOf(row)) list_.DeleteRow(*index);
  listView_.Sync();
}

void TMainForm::ActionExecute(uint8_t tag) {
  // The control shows the whole outcome, also of an update that failed half-way.
  struct SyncAtEnd {
    ListViewControl& list;
    ~SyncAtEnd() { list.Sync(); }
  } syncAtEnd{listView_};
  viewSwitch_.ActionExecute(tag);
}

void TMainForm::TimerTimer() {
  // While an error box is open, timed refreshes wait instead of stacking boxes.
  if (viewActions_.TimersWait()) return;
  viewActions_.RunShowingErrors([this] {
    actRefreshExecute();
    reports_.AutoSave();
  });
}

void TMainForm::ActionListUpdate() {
  for (Command& item : commands_.entries())
    if (item.groupIndex == 1) item.checked = item.tag == state_.CurrentView;
  const bool connections = command(ViewCommandId(kViewConnections)).checked;
  command(kCmdByName).enabled = connections;
  command(kCmdAllEndpoints).enabled = connections;
  command(kCmdCloseConnection).enabled = ClosableSelection() != nullptr;
  const bool wanted = command(kCmdAutoRefresh).checked;
  if (wanted != timerEnabled_ && hwnd()) {
    if (wanted)
      SetTimer(hwnd(), kRefreshTimer, interval_, nullptr);
    else
      KillTimer(hwnd(), kRefreshTimer);
    timerEnabled_ = wanted;
  }
}

void TMainForm::ListViewColumnClick(int column) {
  kestro::ListViewColumnClick(list_, sort_, column);
  listView_.Sync();
}

void TMainForm::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  SendMessageW(statusBar_, WM_SIZE, 0, 0);
  RECT status{};
  GetWindowRect(statusBar_, &status);
  const int statusHeight = IsWindowVisible(statusBar_) ? status.bottom - status.top : 0;
  MoveWindow(listView_.hwnd(), 0, 0, client.right, client.bottom - statusHeight, TRUE);
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (statusBar_) Layout();
      return 0;
    case WM_COMMAND:
      viewActions_.RunShowingErrors([&] { commands_.Execute(LOWORD(wParam)); });
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == listView_.hwnd() &&
          viewActions_.ListViewPopupPopup({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
        return 0;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == listView_.hwnd()) return listView_.OnNotify(header);
      break;
    }
    case ListViewControl::kSyncMessage:
      if (state_.Ready)
        listView_.Sync();
      else
        listView_.SyncDuringUpdate();
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimer) TimerTimer();
      if (wParam == ViewActions::kTimer5) viewActions_.Timer5Timer();
      return 0;
    case WM_ACTIVATEAPP:
      // The first activation builds the view when none is shown yet.
      if (wParam && list_.ColumnCount() == 0) actRefreshExecute();
      return 0;
    case WM_SETFOCUS:
      SetFocus(listView_.hwnd());
      return 0;
    case WM_DESTROY:
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void TMainForm::ProcessPendingMessages() {
  listView_.SyncDuringUpdate();
  pump_.RunPending();
}

bool TMainForm::PendingMessagesDue() { return pump_.Due(); }

void TMainForm::SetStatusText(const std::wstring& text) {
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TMainForm::ActivitySignal() { command(kCmdTest).checked = true; }

void TMainForm::PlayNewConnectionSound() { sndPlaySoundW(L"sound.wav", SND_NODEFAULT | SND_SYNC); }

void TMainForm::ScrollToEnd() { listView_.ScrollToEnd(); }

}  // namespace kestro::ui
