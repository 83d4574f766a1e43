#pragma once
// OptionsDialog: the refresh interval in whole seconds, 1 to 100, and the
// report's append and automatic-save switches. Made anew for each showing.

#include <windows.h>

#include "ui/base/Dialog.h"

namespace kestro::ui {

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
