#include "ui/main/MainWindow.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <windowsx.h>

#include "ui/controls/Artwork.h"
#include "ui/main/MainMenu.h"
#include "ui/windows/SplashWindow.h"
#include "ui/windows/CloseQuestion.h"
#include "win/Dpi.h"
#include "win/SystemError.h"

namespace kestro::ui {

namespace {
constexpr int kListViewId = 1;
constexpr int kToolBarId = 2;
constexpr int kTrackBarId = 3;
constexpr int kTrackBarHeight = 20;

// A control's own visibility, also while the main window is hidden.
bool IsShown(HWND control) { return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id) {
  HWND child = CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  if (!child) throw SystemError(GetLastError());
  return child;
}
}  // namespace

MainWindow::MainWindow(MainWindowPlatform platform, MessagePump& pump)
    : platform_(platform),
      pump_(pump),
      tables_(platform.ipHelper),
      resolver_(platform.names),
      viewContext_{list_, tables_, state_, *this},
      viewSwitch_(viewContext_) {
  list_.SetDeletionHook(OnRowDeleted);
}

MainWindow::~MainWindow() {
  resolver_.SetCompletion(nullptr);
  // While the parts still exist: the window's last messages reach them.
  if (hwnd()) DestroyWindow(hwnd());
}

void MainWindow::Create(const std::optional<Settings>& settings) {
  const RECT bounds = settings ? settings->Position : Settings{}.Position;
  CreateWindowOf(L"TMainForm", 0, L"Kestro", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, bounds.left,
                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr);
  commandPictures_ = LoadCommandPictures(GetModuleHandleW(nullptr));
  toolBar_ =
      CreateToolBar(hwnd(), kToolBarId, commands_, MainToolBarLayout(), commandPictures_.get());
  listView_.Create(hwnd(), kListViewId, list_);
  listCommands_.Start();
  rowCommands_.Start();
  waitPanel_ = CreateChild(hwnd(), L"STATIC", L"请等待", SS_CENTER | SS_CENTERIMAGE, 0);
  trackBar_ = CreateChild(hwnd(), TRACKBAR_CLASSW, nullptr, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP,
                          kTrackBarId);
  statusBar_.Create(hwnd());
  windowOptions_.Start({toolBar_, trackBar_, [this] { Layout(); }});
  SetMenu(hwnd(), BuildMenuBar(commands_, MainMenuLayout(), &menuPictures_).release());
  accelerators_ = commands_.CreateAccelerators();
  if (settings) ApplySettings(*settings);
  tray_.Start();
  Layout();
  state_.Ready = true;
  viewActions_.Start();
  UpdateCommandStates();
}

void MainWindow::ApplySettings(const Settings& settings) {
  startMaximised_ = settings.WindowState == MainWindowState::Maximised;
  ShowWindow(toolBar_, settings.ShowToolBar ? SW_SHOW : SW_HIDE);
  ShowWindow(statusBar_.hwnd(), settings.ShowStatusBar ? SW_SHOW : SW_HIDE);
  // Check states only: nothing is refreshed before the first view is built.
  command(kCmdByName).checked = settings.ShowByName;
  command(kCmdAllEndpoints).checked = settings.ShowAllEndpoints;
  command(kCmdAutoRefresh).checked = settings.AutoRefresh;
  ReportSettings& report = reports_.settings();
  report.AppendStatistics = settings.AppendStatistics;
  report.AutoSave = settings.AutoSave;
  report.LastFile = settings.LastFile;
  state_.CurrentView = settings.StatType;
  viewActions_.SetInterval(settings.Interval);
  SetWindowTextW(hwnd(), MainWindowCaption(settings.LastFile).c_str());
}

Settings MainWindow::CollectSettings() const {
  Settings settings;
  if (IsZoomed(hwnd()))
    settings.WindowState = MainWindowState::Maximised;
  else if (IsIconic(hwnd()))
    settings.WindowState = MainWindowState::Minimised;
  GetWindowRect(hwnd(), &settings.Position);
  settings.ShowToolBar = IsShown(toolBar_);
  settings.ShowStatusBar = IsShown(statusBar_.hwnd());
  settings.ShowByName = commands_.Find(kCmdByName)->checked;
  settings.ShowAllEndpoints = commands_.Find(kCmdAllEndpoints)->checked;
  settings.AutoRefresh = commands_.Find(kCmdAutoRefresh)->checked;
  const ReportSettings& report = reports_.settings();
  settings.AppendStatistics = report.AppendStatistics;
  settings.AutoSave = report.AutoSave;
  settings.StatType = state_.CurrentView;
  settings.Interval = viewActions_.Interval();
  settings.LastFile = report.LastFile;
  return settings;
}

void MainWindow::StartUp(SplashWindow& splash) {
  splash_ = &splash;
  ShowWindow(waitPanel_, SW_SHOW);
  SetTimer(hwnd(), kStartupTimer, kStartupDelay, nullptr);
}

void MainWindow::OnStartupTimer() {
  KillTimer(hwnd(), kStartupTimer);
  viewActions_.RunShowingErrors([this] { commands_.Execute(kCmdStartupView); });
  ShowWindow(waitPanel_, SW_HIDE);
  if (splash_) splash_->Close();
  ShowWindow(hwnd(), startMaximised_ ? SW_SHOWMAXIMIZED : SW_SHOW);
  SetForegroundWindow(hwnd());
}

void MainWindow::OnCloseRequest() {
  // While a window of its own is modal (the question itself among them), a
  // close request waits for it, as the close box of a disabled window does.
  if (!IsWindowEnabled(hwnd())) return;
  if (closeQuestion_ && !closeQuestion_->AskClose()) {
    tray_.HideToTray();
    return;
  }
  DestroyWindow(hwnd());
}

void MainWindow::ShowViewsDropDown(const NMTOOLBARW& button) {
  UniqueMenu views = BuildPopupMenu(commands_, ViewMenuLayout(), &menuPictures_);
  POINT corner{button.rcButton.left, button.rcButton.bottom};
  ClientToScreen(toolBar_, &corner);
  TrackPopupMenu(views.get(), TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, 0, hwnd(), nullptr);
}

void MainWindow::UpdateCommandStates() {
  viewActions_.UpdateCommands();
  connections_.UpdateCommands();
  windowOptions_.UpdateCommands();
  UpdateToolBarStates(toolBar_, commands_);
}

void MainWindow::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  int top = 0;
  if (IsShown(toolBar_)) {
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    RECT bar{};
    GetWindowRect(toolBar_, &bar);
    top = bar.bottom - bar.top;
  }
  int bottom = client.bottom - statusBar_.Height();
  if (IsShown(trackBar_)) {
    const int height = ScaleFromDesign(kTrackBarHeight);
    bottom -= height;
    MoveWindow(trackBar_, 0, bottom, client.right, height, TRUE);
  }
  MoveWindow(listView_.hwnd(), 0, top, client.right, bottom - top, TRUE);
  MoveWindow(waitPanel_, 0, top, client.right, bottom - top, TRUE);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      // However it was minimised, the window goes to the tray.
      if (wParam == SIZE_MINIMIZED) tray_.HideToTray();
      if (statusBar_.hwnd()) Layout();
      return 0;
    case WM_SYSCOMMAND:
      // The minimise box hides the window in the size it has.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        tray_.HideToTray();
        return 0;
      }
      break;
    case WM_COMMAND:
      viewActions_.RunShowingErrors([&] { commands_.Execute(LOWORD(wParam)); });
      return 0;
    case WM_INITMENUPOPUP:
      UpdateCommandStates();
      UpdateMenuStates(reinterpret_cast<HMENU>(wParam), commands_);
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == trackBar_) windowOptions_.OnTransparencyChanged();
      return 0;
    case WM_CLOSE:
      OnCloseRequest();
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == listView_.hwnd()) {
        const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (viewActions_.ShowContextMenu(screen) || rowCommands_.ShowContextMenu(screen)) return 0;
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->hwndFrom == listView_.hwnd()) return listView_.OnNotify(header);
      if (header->code == TBN_DROPDOWN && header->hwndFrom == toolBar_) {
        ShowViewsDropDown(*reinterpret_cast<NMTOOLBARW*>(header));
        return TBDDRET_DEFAULT;
      }
      if (AnswerToolTip(header, commands_)) return 0;
      break;
    }
    case ListViewControl::kSyncMessage:
      if (state_.Ready)
        listView_.Sync();
      else
        listView_.SyncDuringUpdate();
      return 0;
    case WM_TIMER:
      if (wParam == ViewActions::kRefreshTimer)
        viewActions_.OnRefreshTimer([this] { reports_.AutoSave(); });
      if (wParam == ViewActions::kTcpTickTimer) viewActions_.OnTcpTickTimer();
      if (wParam == kStartupTimer) OnStartupTimer();
      return 0;
    case WM_ACTIVATEAPP:
      // The first activation builds the view when none is shown yet.
      if (wParam && list_.ColumnCount() == 0) viewActions_.Refresh();
      return 0;
    case WM_SETFOCUS:
      SetFocus(listView_.hwnd());
      return 0;
    case WM_DESTROY:
      if (onDestroy_) onDestroy_(CollectSettings());
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::ProcessPendingMessages() {
  listView_.SyncDuringUpdate();
  pump_.RunPending();
}

bool MainWindow::PendingMessagesDue() { return pump_.Due(); }

void MainWindow::SetStatusText(const std::wstring& text) { statusBar_.SetText(0, text); }

void MainWindow::ActivitySignal() { tray_.ActivitySignal(); }

void MainWindow::PlayNewConnectionSound() { sndPlaySoundW(L"sound.wav", SND_NODEFAULT | SND_SYNC); }

void MainWindow::ScrollToEnd() { listView_.ScrollToEnd(); }

void MainWindow::ShowNewConnectionBalloon(const std::wstring& title, const std::wstring& text) {
  tray_.ShowBalloon(title, text);
}

}  // namespace kestro::ui
