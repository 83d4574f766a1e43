#pragma once
// Save (Ctrl+S), Save As and the automatic save after timed refreshes: the
// current view written by the report writer into the report file.

#include <optional>
#include <string>

#include "report/Report.h"
#include "ui/main/MainContext.h"

namespace kestro::ui {

class ReportCommands {
 public:
  // Adds actSave and actSaveAs to the commands.
  explicit ReportCommands(const MainContext& context);
  ReportCommands(const ReportCommands&) = delete;
  ReportCommands& operator=(const ReportCommands&) = delete;

  ReportSettings& settings() { return settings_; }
  const ReportSettings& settings() const { return settings_; }

  // Nothing while a view is being updated; Save As while no file is chosen;
  // otherwise the current view into LastFile, appended when AppendStatistics.
  void Save();
  // The save-file dialog; on OK the chosen file (named .txt) becomes LastFile
  // and is written anew, and the window's caption names it.
  void SaveAs();
  // The follow-up of a timed refresh.
  void AutoSave();

 private:
  // The common save-file dialog; nothing on Cancel.
  std::optional<std::wstring> ChooseFile();
  void Write(bool append);

  MainContext context_;
  ReportSettings settings_;
  SystemReportClock clock_;
};

}  // namespace kestro::ui
