#include "ui/Artwork.h"

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

UniqueBitmap LoadSplashEmblem(HINSTANCE module) {
  UniqueBitmap emblem = LoadDib(module, IDB_SPLASH_EMBLEM);
  DIBSECTION dib{};
  if (!emblem || GetObjectW(emblem.get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBitsPixel != 32)
    return {};
  // The file holds straight alpha; AlphaBlend wants each colour already multiplied by it.
  auto* pixel = static_cast<BYTE*>(dib.dsBm.bmBits);
  const LONG count = dib.dsBm.bmWidth * dib.dsBm.bmHeight;
  for (LONG i = 0; i < count; ++i, pixel += 4)
    for (int channel = 0; channel < 3; ++channel)
      pixel[channel] = static_cast<BYTE>((pixel[channel] * pixel[3] + 127) / 255);
  return emblem;
}

}  // namespace kestro::ui
