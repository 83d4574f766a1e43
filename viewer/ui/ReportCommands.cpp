#include "ui/ReportCommands.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ui/NsMain.h"

namespace kestro::ui {

namespace {

// The resource format of the dialog's filter; "|" separates its parts.
constexpr wchar_t kTextFilterFormat[] = L"文本文档(*%s)|*%s|";
constexpr wchar_t kReportExtension[] = L".txt";

std::wstring TextFilter() {
  wchar_t filter[128];
  swprintf(filter, std::size(filter), kTextFilterFormat, kReportExtension, kReportExtension);
  std::wstring parts = filter;
  for (wchar_t& c : parts)
    if (c == L'|') c = L'\0';
  return parts + L'\0';
}

// Panel 1 of the status bar: the established connections, for the stamp.
std::wstring StatusPanelText(HWND statusBar, WPARAM panel) {
  std::wstring text(LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, panel, 0)) + 1, L'\0');
  SendMessageW(statusBar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

}  // namespace

ReportCommands::ReportCommands(TMainForm& form) : form_(form) {
  form.commands().Add(
      {kCmdSave, L"actSave", L"保存", L"保存", -1, {FCONTROL, 'S'}, [this] { actSaveExecute(); }});
  form.commands().Add(
      {kCmdSaveAs, L"actSaveAs", L"另存为", L"另存为", -1, {}, [this] { actSaveAsExecute(); }});
}

void ReportCommands::actSaveExecute() {
  if (!form_.viewState().Ready) return;
  if (settings_.LastFile.empty()) {
    actSaveAsExecute();
    return;
  }
  Write(settings_.AppendStatistics);
}

void ReportCommands::actSaveAsExecute() {
  std::optional<std::wstring> chosen = ChooseFile();
  if (!chosen) return;
  settings_.LastFile = ReportFileName(*chosen);
  Write(false);
  SetWindowTextW(form_.hwnd(),
                 (std::wstring(kApplicationTitle) + L" - " + settings_.LastFile).c_str());
}

void ReportCommands::AutoSave() {
  if (settings_.AutoSave && !settings_.LastFile.empty()) form_.commands().Execute(kCmdSave);
}

std::optional<std::wstring> ReportCommands::ChooseFile() {
  const std::wstring filter = TextFilter();
  wchar_t path[MAX_PATH] = {};
  wcsncpy(path, settings_.LastFile.empty() ? L"*.txt" : settings_.LastFile.c_str(), MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = form_.hwnd();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return std::wstring(path);
}

void ReportCommands::Write(bool append) {
  WriteReport(settings_.LastFile, append,
              {form_.list(), form_.viewState().CurrentView, StatusPanelText(form_.statusBar(), 1)},
              clock_);
}

}  // namespace kestro::ui
