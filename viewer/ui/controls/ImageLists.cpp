#include "ui/controls/ImageLists.h"

#include "geo/Flags.h"
#include "res/FlagsRes.h"

namespace kestro::ui {

UniqueImageList SinFlags(HINSTANCE module) {
  auto* strip = static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(IDB_FLAGS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (strip == nullptr) return {};
  UniqueImageList list(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kFlagCount, 0));
  // The strip's magenta background becomes the mask.
  if (list) ImageList_AddMasked(list.get(), strip, RGB(255, 0, 255));
  DeleteObject(strip);
  return list;
}

}  // namespace kestro::ui
