#pragma once
// What every view update shares: the view kinds, the main window's view state,
// and the context a view's update operation runs in.

#include <cstdint>
#include <string>

namespace kestro {

class ListModel;
class TableReader;

// The ten views; the number is the view's tag everywhere (also in the settings).
enum ViewKind : uint8_t {
  kViewNic = 0,
  kViewArp = 1,
  kViewIpAddress = 2,
  kViewRoute = 3,
  kViewConnections = 4,
  kViewInterface = 5,
  kViewIp = 6,
  kViewIcmp = 7,
  kViewTcp = 8,
  kViewUdp = 9,
};
constexpr int kViewCount = 10;

// The main window's view state.
struct ViewState {
  uint8_t CurrentView = kViewConnections;
  bool Ready = false;              // off exactly while a view update runs
  bool ReResolve = false;          // rebuild the address cells of kept connection rows once
  int32_t SelectedInterface = -1;  // interface statistics of one interface; -1 all
};

// What a view raises while it updates. The main window implements it; tests
// script it. Connection-view notifications have empty defaults so that the
// other views' tests need not care about them.
class ViewEvents {
 public:
  virtual ~ViewEvents() = default;
  // Lets pending window messages run, so that the window stays responsive.
  virtual void ProcessPendingMessages() = 0;
  // Whether letting messages run is due now. A long update asks before each
  // row; the window answers by time, so that a fast update is not slowed by
  // one message-queue round trip per row.
  virtual bool PendingMessagesDue() { return true; }
  // The first status panel ("更新中..." / "准备好了").
  virtual void SetStatusText(const std::wstring& /*text*/) {}

  // Connection view: a new row appeared (the tray icon blinks).
  virtual void ActivitySignal() {}
  // Connection view, new TCP row: play the new-connection sound.
  virtual void PlayNewConnectionSound() {}
  // Connection view, new row with auto-scroll on: bring the end of the list into view.
  virtual void ScrollToEnd() {}
  // Connection view, new TCP row: the new-connection balloon at the tray icon.
  virtual void ShowNewConnectionBalloon(const std::wstring& /*title*/,
                                        const std::wstring& /*text*/) {}
};

// Everything a view's update operation works with.
struct ViewContext {
  ListModel& list;
  TableReader& tables;
  ViewState& state;
  ViewEvents& events;
};

}  // namespace kestro
