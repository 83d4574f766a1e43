#include "ui/windows/RowPropertiesWindow.h"

#include <shellapi.h>
#include <commctrl.h>

#include "res/RowPropertiesWindowRes.h"
#include "ui/controls/Artwork.h"
#include "ui/controls/CommandPictures.h"
#include "views/ConnectionsView.h"
#include "win/Dpi.h"

namespace kestro::ui {

namespace {

struct Line {
  int labelX, labelY, editY;
};
// Designed pixels: each label and its edit box, top to bottom.
constexpr Line kLines[RowPropertiesWindow::kEditCount] = {
    {34, 25, 19},  {8, 65, 59},   {8, 104, 99},  {34, 144, 139}, {34, 184, 179}, {34, 224, 219},
    {8, 264, 259}, {8, 304, 299}, {8, 349, 344}, {8, 397, 392},  {8, 440, 435},
};
constexpr int kEditX = 129, kEditWidth = 328, kEditHeight = 26;
constexpr int kButtonY = 478, kButtonHeight = 25;
constexpr int kPictureX = 75;

UniqueFont MakeFont(const wchar_t* face, int pixels, int weight, BYTE charSet) {
  LOGFONTW font{};
  font.lfHeight = -ScaleFromDesign(pixels);
  font.lfWeight = weight;
  font.lfCharSet = charSet;
  wcscpy(font.lfFaceName, face);
  return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

void RowPropertiesWindow::Create(HWND owner) { CreateModeless(owner, IDD_ROW_PROPERTIES); }

HWND RowPropertiesWindow::Edit(int index) const { return Item(IDC_PROPERTIES_FIRST_EDIT + index); }
HWND RowPropertiesWindow::Picture() const { return Item(IDC_PROPERTIES_PICTURE); }

bool RowPropertiesWindow::OnInit() {
  SetDesignedClientSize(462, 507);
  font_ = MakeFont(L"Tahoma", 15, FW_NORMAL, GB2312_CHARSET);
  labelFont_ = MakeFont(L"Arial", 12, FW_BOLD, GB2312_CHARSET);
  for (int i = 0; i < kEditCount; ++i) {
    const Line& line = kLines[i];
    HWND label = Item(IDC_PROPERTIES_FIRST_LABEL + i);
    // A label reaches up to its edit box; "进程：" only up to the picture beside it.
    const int labelEnd = i == 0 ? kPictureX : kEditX;
    PlaceDesigned(IDC_PROPERTIES_FIRST_LABEL + i, line.labelX, line.labelY, labelEnd - line.labelX,
                  14);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
    PlaceDesigned(IDC_PROPERTIES_FIRST_EDIT + i, kEditX, line.editY, kEditWidth, kEditHeight);
    SendMessageW(Edit(i), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  PlaceDesigned(IDC_PROPERTIES_PICTURE, kPictureX, 16, 48, 37);

  struct ButtonSpec {
    int id, x, width, picture;
  };
  constexpr ButtonSpec kButtons[] = {{IDC_PROPERTIES_SCAN, 129, 100, kPictureUpload},
                                     {IDC_PROPERTIES_END_PROCESS, 243, 106, kPictureEndProcess},
                                     {IDOK, 360, 98, kPictureAccept}};
  UniqueImageList pictures = LoadCommandPictures(GetModuleHandleW(nullptr));
  for (size_t i = 0; i < std::size(kButtons); ++i) {
    const ButtonSpec& button = kButtons[i];
    PlaceDesigned(button.id, button.x, kButtonY, button.width, kButtonHeight);
    SendMessageW(Item(button.id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (pictures)
      buttonPictures_[i].reset(ImageList_GetIcon(pictures.get(), button.picture, ILD_NORMAL));
    SendMessageW(Item(button.id), BM_SETIMAGE, IMAGE_ICON,
                 reinterpret_cast<LPARAM>(buttonPictures_[i].get()));
  }
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  return true;
}

void RowPropertiesWindow::ShowRow(const ListRow& row) {
  // The file's own large icon, not only its type's.
  SHFILEINFOW info{};
  const std::wstring& path = row.Cell(kCellPath);
  if (path.empty() || !SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON))
    info.hIcon = nullptr;
  // The picture box lets go of the old icon before it is released.
  UniqueIcon previous = std::move(icon_);
  icon_.reset(info.hIcon);
  SendMessageW(Picture(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  previous.reset();

  SetWindowTextW(Edit(0), row.caption.c_str());
  for (int i = 1; i < kEditCount; ++i)
    SetWindowTextW(Edit(i), row.Cell(static_cast<size_t>(i - 1)).c_str());
  if (!IsWindowVisible(hwnd())) CenterOn(nullptr);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

bool RowPropertiesWindow::OnCommand(WORD code, WORD id, HWND) {
  if (code != BN_CLICKED || (id != IDC_PROPERTIES_SCAN && id != IDC_PROPERTIES_END_PROCESS))
    return false;
  commands_.Execute(id == IDC_PROPERTIES_SCAN ? scanCommand_ : endProcessCommand_);
  return true;
}

}  // namespace kestro::ui
