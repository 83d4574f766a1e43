#include "ui/controls/ListViewControl.h"

#include <algorithm>

#include "views/ListPresentation.h"
#include "win/SystemError.h"

namespace kestro::ui {

ListViewControl::~ListViewControl() {
  if (model_) model_->SetObserver(nullptr);
}

void ListViewControl::Create(HWND parent, int id, ListModel& model) {
  parent_ = parent;
  hwnd_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                              LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                          0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw SystemError(GetLastError());
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  model_ = &model;
  model.SetObserver(this);
  columnsDirty_ = rowsDirty_ = true;
  Sync();
}

void ListViewControl::MarkDirty(bool& flag) {
  flag = true;
  if (!syncPosted_ && parent_) {
    syncPosted_ = true;
    PostMessageW(parent_, kSyncMessage, 0, 0);
  }
}

void ListViewControl::OnColumnsChanged() { MarkDirty(columnsDirty_); }
void ListViewControl::OnRowsInserted(size_t first, size_t count) {
  if (first + count != model_->RowCount()) rowsMoved_ = true;
  MarkDirty(rowsDirty_);
}
void ListViewControl::OnRowDeleted(size_t, RowId) {
  rowsMoved_ = true;
  MarkDirty(rowsDirty_);
}
void ListViewControl::OnRowChanged(size_t) { MarkDirty(repaint_); }
void ListViewControl::OnRowsReordered() {
  rowsMoved_ = true;
  MarkDirty(rowsDirty_);
}

void ListViewControl::SyncDuringUpdate() {
  if (!columnsDirty_ && !rowsMoved_ && GetTickCount() - lastSync_ < kUpdateSyncMs) {
    syncPosted_ = false;  // the next change asks again
    return;
  }
  Sync();
}

void ListViewControl::Sync() {
  syncPosted_ = false;
  if (!hwnd_) return;
  lastSync_ = GetTickCount();
  rowsMoved_ = false;
  if (columnsDirty_) SyncColumns();
  if (rowsDirty_) {
    syncing_ = true;
    ListView_SetItemCountEx(hwnd_, static_cast<int>(model_->RowCount()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ApplySelection();
    syncing_ = false;
    repaint_ = true;
  }
  if (repaint_) InvalidateRect(hwnd_, nullptr, FALSE);
  columnsDirty_ = rowsDirty_ = repaint_ = false;
  if (scrollToEnd_) {
    scrollToEnd_ = false;
    const int rows = static_cast<int>(model_->RowCount());
    ListView_Scroll(hwnd_, 0, rows * ListView_GetCountPerPage(hwnd_));
  }
}

void ListViewControl::SyncColumns() {
  HWND header = ListView_GetHeader(hwnd_);
  const size_t shown = static_cast<size_t>(Header_GetItemCount(header));
  const size_t wanted = model_->ColumnCount();
  if (shown != wanted) {
    for (size_t i = shown; i-- > 0;) ListView_DeleteColumn(hwnd_, static_cast<int>(i));
  }
  for (size_t i = 0; i < wanted; ++i) {
    const ListColumn& column = model_->Column(i);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lvc.fmt = column.align == Align::kRight && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    lvc.cx = column.width;
    lvc.pszText = const_cast<wchar_t*>(column.caption.c_str());
    if (shown != wanted)
      ListView_InsertColumn(hwnd_, static_cast<int>(i), &lvc);
    else
      ListView_SetColumn(hwnd_, static_cast<int>(i), &lvc);
  }
  repaint_ = true;
}

void ListViewControl::ApplySelection() {
  // Clear the marks where the control has them (clearing item -1 would visit
  // every row of a long list).
  for (UINT state : {LVIS_SELECTED, LVIS_FOCUSED}) {
    const int at =
        ListView_GetNextItem(hwnd_, -1, state == LVIS_SELECTED ? LVNI_SELECTED : LVNI_FOCUSED);
    if (at >= 0) ListView_SetItemState(hwnd_, at, 0, state);
  }
  auto place = [&](std::optional<RowId>& row, UINT state) {
    if (!row) return;
    std::optional<size_t> index = model_->IndexOf(*row);
    if (!index) {
      row.reset();
      return;
    }
    ListView_SetItemState(hwnd_, static_cast<int>(*index), state, state);
    if (state == LVIS_SELECTED) ListView_SetSelectionMark(hwnd_, static_cast<int>(*index));
  };
  place(selected_, LVIS_SELECTED);
  place(focused_, LVIS_FOCUSED);
}

void ListViewControl::ReadSelection() {
  auto rowAt = [&](int index) -> std::optional<RowId> {
    if (index < 0 || static_cast<size_t>(index) >= model_->RowCount()) return std::nullopt;
    return model_->Row(static_cast<size_t>(index)).id;
  };
  selected_ = rowAt(ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED));
  focused_ = rowAt(ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED));
}

void ListViewControl::SetSmallImages(HIMAGELIST images) {
  ListView_SetImageList(hwnd_, images, LVSIL_SMALL);
}

void ListViewControl::SetGridLines(bool on) {
  ListView_SetExtendedListViewStyleEx(hwnd_, LVS_EX_GRIDLINES, on ? LVS_EX_GRIDLINES : 0);
}

void ListViewControl::SetStateColors(bool on) {
  stateColors_ = on;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListViewControl::SetDrawFlags(bool on) {
  drawFlags_ = on;
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

void ListViewControl::ScrollToEnd() {
  scrollToEnd_ = true;
  MarkDirty(repaint_);
}

void ListViewControl::FillDisplayInfo(LVITEMW& item) {
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= model_->RowCount()) {
    if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) item.pszText[0] = L'\0';
    return;
  }
  const ListRow& row = model_->Row(static_cast<size_t>(item.iItem));
  if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
    const std::wstring& text =
        item.iSubItem == 0 ? row.caption : row.Cell(static_cast<size_t>(item.iSubItem - 1));
    const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
  }
  if (item.mask & LVIF_IMAGE) item.iImage = item.iSubItem == 0 ? row.image : -1;
}

LRESULT ListViewControl::OnNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW:
      FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_COLUMNCLICK:
      if (onColumnClick) onColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      return 0;
    case NM_DBLCLK:
      if (onDoubleClick) onDoubleClick();
      return 0;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
      if (!syncing_ && !rowsDirty_) ReadSelection();
      return 0;
    default:
      return 0;
  }
}

COLORREF ListViewControl::NormalBackground() const {
  const COLORREF colour = ListView_GetTextBkColor(hwnd_);
  return colour == CLR_DEFAULT || colour == CLR_NONE ? GetSysColor(COLOR_WINDOW) : colour;
}

LRESULT ListViewControl::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
      break;
    default:
      return CDRF_DODEFAULT;
  }
  const size_t index = draw->nmcd.dwItemSpec;
  if (index >= model_->RowCount()) return CDRF_DODEFAULT;
  const ListRow& row = model_->Row(index);
  const int column = draw->iSubItem;
  if (stateColors_) {
    draw->clrText = RGB(0, 0, 0);
    draw->clrTextBk = StateCellBackground(row, column).value_or(NormalBackground());
  }
  if (drawFlags_ && flags_ && column >= 1) {
    const int image = row.CellImage(static_cast<size_t>(column - 1));
    if (image >= 0) {
      DrawCellWithFlag(draw, row, column, image);
      return CDRF_SKIPDEFAULT;
    }
  }
  return CDRF_NEWFONT;
}

// The flag at the cell's left edge, vertically centred, and the text after it.
void ListViewControl::DrawCellWithFlag(NMLVCUSTOMDRAW* draw, const ListRow& row, int column,
                                       int image) {
  const int index = static_cast<int>(draw->nmcd.dwItemSpec);
  RECT cell{};
  ListView_GetSubItemRect(hwnd_, index, column, LVIR_BOUNDS, &cell);
  HDC dc = draw->nmcd.hdc;
  const bool selected = ListView_GetItemState(hwnd_, index, LVIS_SELECTED) != 0;
  COLORREF background = stateColors_ ? draw->clrTextBk : NormalBackground();
  COLORREF text = RGB(0, 0, 0);
  if (!stateColors_) {
    text = ListView_GetTextColor(hwnd_);
    if (text == CLR_DEFAULT || text == CLR_NONE) text = GetSysColor(COLOR_WINDOWTEXT);
  }
  if (selected) {
    background = GetSysColor(GetFocus() == hwnd_ ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    text = GetSysColor(GetFocus() == hwnd_ ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  }
  SetBkColor(dc, background);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
  int width = 16, height = 16;
  ImageList_GetIconSize(flags_, &width, &height);
  ImageList_Draw(flags_, image, dc, cell.left, cell.top + (cell.bottom - cell.top - height) / 2,
                 ILD_TRANSPARENT);
  RECT textRect = cell;
  textRect.left += width + 4;
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring& caption = row.Cell(static_cast<size_t>(column - 1));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace kestro::ui
