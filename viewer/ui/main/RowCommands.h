#pragma once
// The commands on one row of the main list: ending its process,
// sending its program file to the upload tool, the file's shell
// properties, copying the row or its remote address, and the properties
// window (also a double click);
// and the connection view's context menu that offers them.
//
// Each command reads the row's cells by number (views/ConnectionsView.h), in
// whatever view is shown, and only the cells the row has. Some act on the
// selected row, some on the focused one: after a click on empty space the
// focus stays on a row that is no longer selected.

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/Artwork.h"
#include "ui/main/MainContext.h"
#include "win/Handle.h"

namespace kestro::ui {

class RowPropertiesWindow;

class RowCommands {
 public:
  // Adds the commands.
  RowCommands(const MainContext& context, MenuPictures& pictures);
  RowCommands(const RowCommands&) = delete;
  RowCommands& operator=(const RowCommands&) = delete;

  // The list's double click opens the properties window; once the list exists.
  void Start();
  void SetPropertiesWindow(RowPropertiesWindow* window) { propertiesWindow_ = window; }
  // The end-process question, answered by the user (tests answer it themselves).
  using Question = std::function<bool(HWND owner, const std::wstring& text)>;
  void SetQuestion(Question question) { question_ = std::move(question); }
  // The upload tool: MirovanUpload.exe in Program Files\Kestro.
  static std::wstring UploadToolPath();
  void SetUploadTool(std::wstring path) { uploadTool_ = std::move(path); }

  // The context menu of the connection view, rebuilt at every opening; false
  // (nothing shown) in every other view.
  bool ShowContextMenu(POINT screen);
  // That menu for the current view; null outside the connection view.
  UniqueMenu BuildPopup();

  // Focused row: asks, then ends the process of the row focused after the
  // answer and removes that row.
  void EndProcess();
  // Focused row: starts the upload tool with cell 5 as its whole parameter text.
  void UploadProgramFile();
  // Selected row: the shell's properties sheet of the file at cell 5.
  void ShowShellProperties();
  // Selected and focused row: the focused row's caption and cells 0 to 9.
  void CopyRow();
  // Focused row: cell 10, the remote host.
  void CopyRemoteAddress();
  // Selected row: the properties window.
  void ShowRowProperties();

 private:
  void AddCommands();
  const ListRow* RowOf(std::optional<RowId> id) const;
  const ListRow* SelectedRow() const { return RowOf(context_.listView.SelectedRow()); }
  const ListRow* FocusedRow() const { return RowOf(context_.listView.FocusedRow()); }

  MainContext context_;
  MenuPictures& pictures_;
  RowPropertiesWindow* propertiesWindow_ = nullptr;
  Question question_;
  std::wstring uploadTool_ = UploadToolPath();
};

// The copy-row text: the caption and cells 0 to 9, " | " after the caption
// and cells 0 to 3, " |" after cells 4 to 8; a cell the row lacks is empty.
std::wstring CopyRowText(const ListRow& row);
// The end-process question for a row captioned `caption`.
std::wstring EndProcessQuestion(const std::wstring& caption);

// ShowFileProperties: the shell's properties sheet of `path`; nothing at all
// appears when it names no file. True when the shell took the request.
bool ShowFileProperties(HWND owner, const std::wstring& path);

}  // namespace kestro::ui
