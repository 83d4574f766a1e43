#include "ui/main/ReportCommands.h"
#include "ui/controls/CommandPictures.h"

#include <commctrl.h>
#include <commdlg.h>

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

}  // namespace

ReportCommands::ReportCommands(const MainContext& context) : context_(context) {
  context.commands.Add({.id = kCmdSave,
                        .name = L"actSave",
                        .caption = L"保存",
                        .hint = L"保存",
                        .picture = kPictureSave,
                        .shortcut = {FCONTROL, 'S'},
                        .execute = [this] { Save(); }});
  context.commands.Add({.id = kCmdSaveAs,
                        .name = L"actSaveAs",
                        .caption = L"另存为",
                        .hint = L"另存为",
                        .picture = kPictureSaveAs,
                        .execute = [this] { SaveAs(); }});
}

void ReportCommands::Save() {
  if (!context_.state().Ready) return;
  if (settings_.LastFile.empty()) {
    SaveAs();
    return;
  }
  Write(settings_.AppendStatistics);
}

void ReportCommands::SaveAs() {
  std::optional<std::wstring> chosen = ChooseFile();
  if (!chosen) return;
  settings_.LastFile = ReportFileName(*chosen);
  Write(false);
  SetWindowTextW(context_.owner(),
                 (std::wstring(kApplicationTitle) + L" - " + settings_.LastFile).c_str());
}

void ReportCommands::AutoSave() {
  if (settings_.AutoSave && !settings_.LastFile.empty()) context_.commands.Execute(kCmdSave);
}

std::optional<std::wstring> ReportCommands::ChooseFile() {
  const std::wstring filter = TextFilter();
  wchar_t path[MAX_PATH] = {};
  wcsncpy(path, settings_.LastFile.empty() ? L"*.txt" : settings_.LastFile.c_str(), MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = context_.owner();
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
              // Panel 1 of the status bar: the established connections, for the stamp.
              {context_.list, context_.state().CurrentView, context_.statusBar.Text(1)}, clock_);
}

}  // namespace kestro::ui
