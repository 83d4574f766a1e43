#pragma once
// OptionsDialog: the refresh interval in whole seconds, 1 to 100, and the
// report's append and automatic-save switches. Made anew for each showing.

#include <windows.h>

#include "ui/base/Dialog.h"

namespace kestro::ui {

// The shortest refresh interval the window offers, one second; a stored
// value below it is raised to it too.
inline constexpr UINT kMinimumInterval = 1000;

// The window shows the interval in whole seconds (remainder dropped).
inline int IntervalToSeconds(UINT interval) { return static_cast<int>(interval / 1000); }
inline UINT SecondsToInterval(int seconds) { return static_cast<UINT>(seconds) * 1000; }

struct OptionValues {
  UINT interval = 1000;  // milliseconds
  bool appendStatistics = false;
  bool autoSave = false;
};

class OptionsDialog final : public Dialog {
 public:
  explicit OptionsDialog(const OptionValues& values) : values_(values) {}

  // Shows the window modally; true on OK, with values() holding what it
  // showed then. Cancel leaves values() as given.
  bool Run(HWND owner);
  const OptionValues& values() const { return values_; }

 private:
  bool OnInit() override;
  void OnOK() override;

  OptionValues values_;
};

}  // namespace kestro::ui
