#include "ui/controls/Artwork.h"

#include <cstring>

#include "res/ArtworkRes.h"
#include "ui/controls/CommandPictures.h"

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

void Premultiply(BYTE* pixel, LONG count) {
  for (LONG i = 0; i < count; ++i, pixel += 4)
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<BYTE>((pixel[channel] * pixel[3] + 127) / 255);
}

}  // namespace

HBITMAP MenuPictures::Get(int picture) {
  if (auto found = pictures_.find(picture); found != pictures_.end()) return found->second.get();
  if (!strip_) strip_ = LoadDib(module_, IDB_COMMAND_PICTURES);
  DIBSECTION source{};
  if (!strip_ || GetObjectW(strip_.get(), sizeof source, &source) != sizeof source ||
      source.dsBm.bmBitsPixel != 32 || picture < 0 || (picture + 1) * 16 > source.dsBm.bmWidth ||
      source.dsBm.bmHeight < 16)
    return nullptr;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, 16, -16, 1, 32, BI_RGB};  // top-down
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return nullptr;
  const bool bottomUp = source.dsBmih.biHeight > 0;
  const auto* strip = static_cast<const BYTE*>(source.dsBm.bmBits);
  for (int y = 0; y < 16; ++y) {
    const int row = bottomUp ? source.dsBm.bmHeight - 1 - y : y;
    std::memcpy(static_cast<BYTE*>(bits) + y * 16 * 4,
                strip + row * source.dsBm.bmWidthBytes + picture * 16 * 4, 16 * 4);
  }
  // Laid on the menu's colour and opaque: not every menu blends a bitmap's alpha.
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const BYTE back[3] = {GetBValue(menu), GetGValue(menu), GetRValue(menu)};
  auto* pixel = static_cast<BYTE*>(bits);
  for (int i = 0; i < 16 * 16; ++i, pixel += 4) {
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<BYTE>(
          (pixel[channel] * pixel[3] + back[channel] * (255 - pixel[3]) + 127) / 255);
    pixel[3] = 255;
  }
  return (pictures_[picture] = std::move(bitmap)).get();
}

UniqueIcon LoadProgramIcon(HINSTANCE module, int size) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON, size, size, 0)));
}

UniqueImageList LoadCommandPictures(HINSTANCE module) {
  return LoadStrip(module, IDB_COMMAND_PICTURES, kCommandPictureCount);
}

UniqueImageList LoadCubePictures(HINSTANCE module) {
  return LoadStrip(module, IDB_CUBES, kCubeCount);
}

UniqueBitmap LoadSplashEmblem(HINSTANCE module) {
  UniqueBitmap emblem = LoadDib(module, IDB_SPLASH_EMBLEM);
  DIBSECTION dib{};
  if (!emblem || GetObjectW(emblem.get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBitsPixel != 32)
    return {};
  // The file holds straight alpha; AlphaBlend wants each colour already multiplied by it.
  Premultiply(static_cast<BYTE*>(dib.dsBm.bmBits), dib.dsBm.bmWidth * dib.dsBm.bmHeight);
  return emblem;
}

}  // namespace kestro::ui
