#include "ui/NsMain.h"

#include <mmsystem.h>
#include <windowsx.h>

namespace kestro::ui {

namespace {
constexpr int kListViewId = 1;
}  // namespace

TMainForm::TMainForm(MainFormPlatform platform, MessagePump& pump)
    : platform_(platform),
      pump_(pump),
      tables_(platform.ipHelper),
      resolver_(platform.names),
      viewContext_{list_, tables_, state_, *this},
      viewSwitch_(viewContext_) {
  list_.SetDeletionHook(ListViewDeletion);
}

TMainForm::~TMainForm() {
  resolver_.SetCompletion(nullptr);
  // While the parts still exist: the window's last messages reach them.
  if (hwnd()) DestroyWindow(hwnd());
}

void TMainForm::Create() {
  CreateWindowOf(L"TMainForm", 0, L"Kestro", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 190, 117, 703,
                 549, nullptr);
  listView_.Create(hwnd(), kListViewId, list_);
  listCommands_.Start();
  statusBar_.Create(hwnd());
  accelerators_ = commands_.CreateAccelerators();
  Layout();
  state_.Ready = true;
  viewActions_.Start();
  ActionListUpdate();
}

void TMainForm::ActionListUpdate() {
  viewActions_.UpdateCommands();
  connections_.UpdateCommands();
}

void TMainForm::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int statusHeight = statusBar_.Height();
  MoveWindow(listView_.hwnd(), 0, 0, client.right, client.bottom - statusHeight, TRUE);
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (statusBar_.hwnd()) Layout();
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
      if (wParam == ViewActions::kRefreshTimer)
        viewActions_.TimerTimer([this] { reports_.AutoSave(); });
      if (wParam == ViewActions::kTimer5) viewActions_.Timer5Timer();
      return 0;
    case WM_ACTIVATEAPP:
      // The first activation builds the view when none is shown yet.
      if (wParam && list_.ColumnCount() == 0) viewActions_.actRefreshExecute();
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

void TMainForm::SetStatusText(const std::wstring& text) { statusBar_.SetText(0, text); }

void TMainForm::ActivitySignal() { connections_.ActivitySignal(); }

void TMainForm::PlayNewConnectionSound() { sndPlaySoundW(L"sound.wav", SND_NODEFAULT | SND_SYNC); }

void TMainForm::ScrollToEnd() { listView_.ScrollToEnd(); }

}  // namespace kestro::ui
