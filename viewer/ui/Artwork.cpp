#include "ui/Artwork.h"

#include <cstring>

#include "res/ArtworkRes.h"
#include "ui/CommandPictures.h"

namespace kestro::ui {

namespace {

UniqueBitmap LoadDib(HINSTANCE module, int id) {
  // A DIB section keeps the fourth byte of each pixel, the alpha.
  return UniqueBitmap(static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

UniqueImageList LoadStrip(HINSTANCE module, int id, int count) {
  UniqueBitmap strip = LoadDib(module, id);
  if (!strip) return {};
  // The mask comes from the alpha, for whoever draws without blending.
  UniqueImageList list(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, count, 0));
  if (list && ImageList_Add(list.get(), strip.get(), nullptr) < 0) list.reset();
  return list;
}

// A 32-bit DIB section's pixels, or null when it is none.
BYTE* Pixels32(HBITMAP bitmap, BITMAP& info) {
  DIBSECTION dib{};
  if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32)
    return nullptr;
  info = dib.dsBm;
  return static_cast<BYTE*>(dib.dsBm.bmBits);
}

// The files hold straight alpha; AlphaBlend and the menus want each colour
// already multiplied by it.
void Premultiply(BYTE* pixel, LONG count) {
  for (LONG i = 0; i < count; ++i, pixel += 4)
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<BYTE>((pixel[channel] * pixel[3] + 127) / 255);
}

}  // namespace

UniqueIcon LoadProgramIcon(HINSTANCE module, int size) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON, size, size, 0)));
}

UniqueImageList LoadCommandPictures(HINSTANCE module) {
  return LoadStrip(module, IDB_COMMAND_PICTURES, kCommandPictureCount);
}

UniqueImageList LoadCubePictures(HINSTANCE module) {
  return LoadStrip(module, IDB_CUBES, kCubeCount);
}

std::vector<UniqueBitmap> LoadMenuPictures(HINSTANCE module) {
  UniqueBitmap strip = LoadDib(module, IDB_COMMAND_PICTURES);
  BITMAP info{};
  BYTE* source = Pixels32(strip.get(), info);
  std::vector<UniqueBitmap> pictures;
  if (!source) return pictures;
  const LONG count = info.bmWidth * info.bmHeight;
  Premultiply(source, count);
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const BYTE background[3] = {GetBValue(menu), GetGValue(menu), GetRValue(menu)};
  for (BYTE* pixel = source; pixel < source + count * 4; pixel += 4) {
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] =
          static_cast<BYTE>(pixel[channel] + background[channel] * (255 - pixel[3]) / 255);
    pixel[3] = 255;
  }
  const int rows = info.bmHeight;
  BITMAPINFO header{{sizeof(BITMAPINFOHEADER), 16, rows, 1, 32, BI_RGB}};
  for (int left = 0; left + 16 <= info.bmWidth; left += 16) {
    void* bits = nullptr;
    UniqueBitmap picture(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture) return {};
    // Both bitmaps keep the same row order, so the rows copy as they are.
    for (int row = 0; row < rows; ++row)
      memcpy(static_cast<BYTE*>(bits) + row * 16 * 4, source + row * info.bmWidthBytes + left * 4,
             16 * 4);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

UniqueBitmap LoadSplashEmblem(HINSTANCE module) {
  UniqueBitmap emblem = LoadDib(module, IDB_SPLASH_EMBLEM);
  BITMAP info{};
  BYTE* pixels = Pixels32(emblem.get(), info);
  if (!pixels) return {};
  Premultiply(pixels, info.bmWidth * info.bmHeight);
  return emblem;
}

}  // namespace kestro::ui
