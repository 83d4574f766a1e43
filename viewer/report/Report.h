#pragma once
// The text report: the current view as fixed-width text in code page 936, one
// stamped block per save. Works from the list model and the view tag alone,
// so that it runs without a window.

#include <windows.h>

#include <cstdint>
#include <string>

namespace kestro {

class ListModel;

// The clock and the user's date and time formats, for the stamp line.
class ReportClock {
 public:
  virtual ~ReportClock() = default;
  // The local date and time as the user's short date, a blank and the user's long time.
  virtual std::wstring LocalDateTimeText() = 0;
};

class SystemReportClock final : public ReportClock {
 public:
  std::wstring LocalDateTimeText() override;
};

// The report settings of the main window.
struct ReportSettings {
  std::wstring LastFile;          // the report file; empty until one is chosen
  bool AppendStatistics = false;  // Save appends a block instead of replacing the file
  bool AutoSave = false;          // save after every timed refresh
};

// What a block is made of: the list as shown, the view it shows, and the
// status text (established connections) for the stamp.
struct ReportSource {
  const ListModel& list;
  uint8_t view;
  std::wstring statusText;
};

// One block as the bytes written to the file.
std::string FormatReport(const ReportSource& source, ReportClock& clock);

// Writes one block into the file at `path`: appended when `append` is set and
// the file exists, otherwise into a new or emptied file. Raises SystemError
// with the I/O error text; what was in the file before stays there.
void WriteReport(const std::wstring& path, bool append, const ReportSource& source,
                 ReportClock& clock);

// The text of an I/O error number.
std::wstring IoErrorMessage(DWORD code);

// The report file name made of the name chosen in the Save As dialog: any
// extension other than .txt (in any letter case) becomes .txt.
std::wstring ReportFileName(const std::wstring& chosen);

}  // namespace kestro
