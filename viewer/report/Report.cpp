#include "report/Report.h"

#include <array>
#include <vector>

#include "views/ListModel.h"
#include "views/ViewKinds.h"
#include "win/Handle.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

constexpr UINT kReportCodePage = 936;

// A field of a report line: its width in code-page-936 bytes, and whether the
// text is padded on the right (left-aligned) or on the left.
struct Field {
  size_t width;
  bool left;
};
using Layout = std::vector<Field>;

const Layout& ReportLayout(uint8_t view) {
  static const std::array<Layout, kViewCount> kLayouts = {{
      {{80, true}, {17, true}, {25, false}, {9, false}},                        // adapters
      {{8, true}, {40, true}, {17, true}, {11, true}, {9, false}},              // ARP
      {{8, true}, {50, true}, {15, true}, {9, false}},                          // addresses
      {{8, true}, {44, true}, {15, true}, {15, true}, {15, true}, {9, false}},  // routes
      {{8, true}, {58, true}, {80, true}, {12, true}, {80, true}},              // connections
      {{21, true}, {25, false}, {25, false}},             // interface statistics
      {{8, true}, {33, true}, {25, false}},               // IP
      {{8, true}, {23, true}, {25, false}, {25, false}},  // ICMP
      {{8, true}, {26, true}, {25, false}},               // TCP
      {{8, true}, {18, true}, {25, false}},               // UDP
  }};
  return kLayouts[view < kViewCount ? view : uint8_t{kViewConnections}];
}

// One line: the texts in their fields, one blank between two fields; a longer
// text is written whole and pushes the rest of the line to the right.
template <typename TextOf>
void AppendLine(std::string& out, const Layout& layout, TextOf textOf) {
  for (size_t f = 0; f < layout.size(); ++f) {
    if (f != 0) out += ' ';
    std::string text = Narrow(textOf(f), kReportCodePage);
    const size_t pad = text.size() < layout[f].width ? layout[f].width - text.size() : 0;
    if (!layout[f].left) out.append(pad, ' ');
    out += text;
    if (layout[f].left) out.append(pad, ' ');
  }
  out += "\r\n";
}

}  // namespace

std::wstring SystemReportClock::LocalDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128] = {}, time[128] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, std::size(date));
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, std::size(time));
  return std::wstring(date) + L" " + time;
}

std::string FormatReport(const ReportSource& source, ReportClock& clock) {
  const Layout& layout = ReportLayout(source.view);
  const ListModel& list = source.list;
  std::string out = "\r\n*** " + Narrow(source.statusText, kReportCodePage) + " (" +
                    Narrow(clock.LocalDateTimeText(), kReportCodePage) + ") ***\r\n\r\n";

  AppendLine(out, layout, [&](size_t f) {
    return f < list.ColumnCount() ? list.Column(f).caption : std::wstring();
  });
  size_t separator = layout.size() - 1;
  for (const Field& field : layout) separator += field.width;
  out.append(separator, '=');
  out += "\r\n";

  for (size_t r = 0; r < list.RowCount(); ++r) {
    const ListRow& row = list.Row(r);
    AppendLine(out, layout, [&](size_t f) { return f == 0 ? row.caption : row.Cell(f - 1); });
  }
  return out;
}

void WriteReport(const std::wstring& path, bool append, const ReportSource& source,
                 ReportClock& clock) {
  // Formatted first, so that a failure cannot leave half a block behind.
  const std::string block = FormatReport(source, clock);
  auto fail = [](DWORD code) { throw SystemError(code, IoErrorMessage(code)); };

  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  if (!file) fail(GetLastError());
  if (append && SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    fail(GetLastError());
  DWORD written = 0;
  if (!WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr))
    fail(GetLastError());
  if (written != block.size()) fail(101);  // a short write: the disk is full
  if (!CloseHandle(file.release())) fail(GetLastError());
}

std::wstring IoErrorMessage(DWORD code) {
  switch (code) {
    case 2:
      return L"File not found";
    case 3:
      return L"Invalid filename";
    case 4:
      return L"Too many open files";
    case 5:
      return L"File access denied";
    case 101:
      return L"Disk full";
    default:
      return L"I/O错误" + std::to_wstring(code);
  }
}

std::wstring ReportFileName(const std::wstring& chosen) {
  const size_t nameStart = chosen.find_last_of(L"\\/:") + 1;  // npos + 1 is 0
  const size_t dot = chosen.rfind(L'.');
  if (dot == std::wstring::npos || dot < nameStart) return chosen + L".txt";
  if (lstrcmpiW(chosen.c_str() + dot, L".txt") == 0) return chosen;
  return chosen.substr(0, dot) + L".txt";
}

}  // namespace kestro
