#pragma once
// The main window's list: an owner-data list view that shows a ListModel. It
// reads rows on demand, paints state colours and flags, and keeps selection
// and focus on the same rows (by identity) when rows come, go or move.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>

#include "views/ListModel.h"

namespace kestro::ui {

class ListViewControl final : public ListObserver {
 public:
  ListViewControl() = default;
  ~ListViewControl() override;
  ListViewControl(const ListViewControl&) = delete;
  ListViewControl& operator=(const ListViewControl&) = delete;

  // The parent receives kSyncMessage when the model changed, and calls Sync.
  void Create(HWND parent, int id, ListModel& model);
  static constexpr UINT kSyncMessage = WM_APP + 10;
  HWND hwnd() const { return hwnd_; }

  // Brings the control in step with the model: columns, row count, selection
  // and focus, and a repaint of what changed.
  void Sync();
  // Sync while a view update runs: at once when rows moved or columns changed
  // (the control's positions would point at other rows), otherwise, while rows
  // are only appended or changed, a few times a second: a sync costs a
  // repaint of the list, which at every pump would slow the update severalfold.
  void SyncDuringUpdate();
  static constexpr DWORD kUpdateSyncMs = 250;

  // WM_NOTIFY of the control, forwarded by the parent.
  LRESULT OnNotify(NMHDR* header);

  std::optional<RowId> SelectedRow() const { return selected_; }
  std::optional<RowId> FocusedRow() const { return focused_; }

  // Pictures: row icons (the shell's system list) and the flags of cells.
  void SetSmallImages(HIMAGELIST images);
  void SetFlagImages(HIMAGELIST flags) { flags_ = flags; }
  void SetGridLines(bool on);
  // SateColor1 and Flag1.
  void SetStateColors(bool on);
  void SetDrawFlags(bool on);

  // The list's own background colour.
  COLORREF NormalBackground() const;
  // Scrolls by (rows x rows per page) pixels, which brings the end into view,
  // at the next Sync: a scroll repaints the list at once, and a burst of new
  // rows would otherwise repaint it once per row where the user sees only
  // the last.
  void ScrollToEnd();

  std::function<void(int column)> onColumnClick;
  std::function<void()> onDoubleClick;

  // ListObserver
  void OnColumnsChanged() override;
  void OnRowsInserted(size_t first, size_t count) override;
  void OnRowDeleted(size_t index, RowId id) override;
  void OnRowChanged(size_t index) override;
  void OnRowsReordered() override;

 private:
  void SyncColumns();
  void ReadSelection();
  void ApplySelection();
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void DrawCellWithFlag(NMLVCUSTOMDRAW* draw, const ListRow& row, int column, int image);
  void FillDisplayInfo(LVITEMW& item);
  void MarkDirty(bool& flag);

  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  bool syncPosted_ = false;
  ListModel* model_ = nullptr;
  HIMAGELIST flags_ = nullptr;
  bool stateColors_ = true;
  bool drawFlags_ = true;

  bool columnsDirty_ = false;
  bool rowsDirty_ = false;  // count or order changed: selection must be put back
  bool rowsMoved_ = false;  // rows other than new ones at the end changed position
  DWORD lastSync_ = 0;
  bool repaint_ = false;
  bool syncing_ = false;
  bool scrollToEnd_ = false;
  std::optional<RowId> selected_;
  std::optional<RowId> focused_;
};

}  // namespace kestro::ui
