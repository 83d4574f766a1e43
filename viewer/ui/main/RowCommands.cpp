#include "ui/main/RowCommands.h"

#include <shellapi.h>
#include <shlobj.h>

#include "ExternalNames.h"
#include "process/EndProcess.h"
#include "ui/controls/CommandPictures.h"
#include "ui/main/MainMenu.h"
#include "ui/windows/YesNoQuestion.h"
#include "ui/windows/RowPropertiesWindow.h"
#include "views/ConnectionsView.h"
#include "win/Clipboard.h"
#include "win/SpecialFolder.h"

namespace kestro::ui {

namespace {

DWORD ProcessIdOf(const ListRow& row) {
  // Rows of the other views stand for no process.
  const auto* data = row.RecordAs<ConnectionRecord>();
  return data ? data->ProcessId() : 0;
}

}  // namespace

std::wstring CopyRowText(const ListRow& row) {
  std::wstring text = row.caption;
  for (size_t cell = kCellLocal; cell <= kCellVersion; ++cell)
    text += (cell <= kCellCountry ? L" | " : L" |") + row.Cell(cell);
  return text;
}

std::wstring EndProcessQuestion(const std::wstring& caption) {
  return L"您确定要终止？ <" + caption + L">\n";
}

bool ShowFileProperties(HWND owner, const std::wstring& path) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;  // 0x44C
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpFile = path.c_str();
  const bool accepted = ShellExecuteExW(&info) != FALSE;
  // SEE_MASK_NOCLOSEPROCESS may hand us a process; nothing here waits for it.
  const UniqueHandleNull process(info.hProcess);
  return accepted;
}

RowCommands::RowCommands(const MainContext& context, MenuPictures& pictures)
    : context_(context), pictures_(pictures) {
  question_ = [](HWND owner, const std::wstring& text) {
    return YesNoQuestion(L"Warning", text).Ask(owner);
  };
  AddCommands();
}

std::wstring RowCommands::UploadToolPath() {
  return GetSpecialFolder(CSIDL_PROGRAM_FILES) + L"\\" + kInstallFolder + L"\\" + kUploadToolFile;
}

void RowCommands::AddCommands() {
  CommandTable& commands = context_.commands;
  commands.Add({.id = kCmdEndProcess,
                .name = L"Action1",
                .caption = L"结束进程",
                .hint = L"结束进程",
                .picture = kPictureEndProcess,
                .execute = [this] { EndProcess(); }});
  commands.Add({.id = kCmdUpload,
                .name = L"Action2",
                .caption = L"上传到Mirovan扫描",
                .hint = L"上传到Mirovan扫描",
                .picture = kPictureUpload,
                .execute = [this] { UploadProgramFile(); }});
  commands.Add({.id = kCmdShellProperties,
                .name = L"Action3",
                .caption = L"属性",
                .hint = L"属性",
                .picture = kPictureProperties,
                .execute = [this] { ShowShellProperties(); }});
  commands.Add({.id = kCmdCopyRow,
                .name = L"Action5",
                .caption = L"复制项目",
                .hint = L"复制项目",
                .picture = kPictureCopyRow,
                .execute = [this] { CopyRow(); }});
  commands.Add({.id = kCmdCopyRemoteIp,
                .name = L"Action6",
                .caption = L"复制远程IP",
                .hint = L"复制远程IP",
                .picture = kPictureCopyRemoteIp,
                .execute = [this] { CopyRemoteAddress(); }});
  commands.Add({.id = kCmdProcessProperties,
                .name = L"ProcessProperties1",
                .caption = L"进程属性",
                .execute = [this] { ShowRowProperties(); }});
}

void RowCommands::Start() {
  context_.listView.onDoubleClick = [this] { context_.commands.Execute(kCmdProcessProperties); };
}

const ListRow* RowCommands::RowOf(std::optional<RowId> id) const {
  std::optional<size_t> index = id ? context_.list.IndexOf(*id) : std::nullopt;
  return index ? &context_.list.Row(*index) : nullptr;
}

UniqueMenu RowCommands::BuildPopup() {
  if (context_.state().CurrentView != kViewConnections) return {};
  return BuildPopupMenu(context_.commands, ConnectionPopupLayout(), &pictures_);
}

bool RowCommands::ShowContextMenu(POINT screen) {
  UniqueMenu menu = BuildPopup();
  if (!menu) return false;
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(context_.owner());
  // The chosen item reaches the main window as WM_COMMAND, like its menu bar's.
  TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, context_.owner(), nullptr);
  return true;
}

void RowCommands::EndProcess() {
  const ListRow* row = FocusedRow();
  if (!row || !question_(context_.owner(), EndProcessQuestion(row->caption))) return;
  // Refreshes ran while the question was open: the row asked about may be gone.
  row = FocusedRow();
  if (!row) return;
  // Silent either way; a process that lives on brings its row back at the next refresh.
  TerminateProcessById(ProcessIdOf(*row), row->caption);
  context_.list.DeleteRow(*context_.list.IndexOf(row->id));
  context_.listView.Sync();
}

void RowCommands::UploadProgramFile() {
  const ListRow* row = FocusedRow();
  if (!row || !row->HasCell(kCellPath)) return;
  // The tool takes the whole parameter text as the path: no quotes are added.
  // Neither its start nor its end is watched.
  ShellExecuteW(context_.listView.hwnd(), L"open", uploadTool_.c_str(),
                row->Cell(kCellPath).c_str(), nullptr, SW_SHOWNORMAL);
}

void RowCommands::ShowShellProperties() {
  const ListRow* row = SelectedRow();
  if (!row || !row->HasCell(kCellPath)) return;
  ShowFileProperties(context_.owner(), row->Cell(kCellPath));
}

void RowCommands::CopyRow() {
  const ListRow* focused = FocusedRow();
  if (!SelectedRow() || !focused) return;
  SetClipboardText(context_.owner(), CopyRowText(*focused));
}

void RowCommands::CopyRemoteAddress() {
  const ListRow* row = FocusedRow();
  if (!row || !row->HasCell(kCellRemoteHost)) return;
  SetClipboardText(context_.owner(), row->Cell(kCellRemoteHost));
}

void RowCommands::ShowRowProperties() {
  const ListRow* row = SelectedRow();
  if (row && propertiesWindow_) propertiesWindow_->ShowRow(*row);
}

}  // namespace kestro::ui
