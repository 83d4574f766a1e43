#pragma once
// The program's pictures, loaded from the resources of `module`
// (viewer/res/Artwork.rc linked into it). Each loader gives its owner, empty
// when the resource is missing.

#include <windows.h>

#include <map>

#include "geo/Flags.h"
#include "win/Handle.h"

namespace kestro::ui {

// "MAINICON" at size x size pixels (16, 32 and 48 are drawn; others are scaled).
UniqueIcon LoadProgramIcon(HINSTANCE module, int size);
// The menus' and tool bar's pictures, 16 x 16 with alpha, in CommandPicture order.
UniqueImageList LoadCommandPictures(HINSTANCE module);
// The pictures menu items show (MENUITEMINFO's hbmpItem, which the menu does
// not own): each command picture as an opaque 16 x 16 32-bit DIB section on
// the menu's colour, cut from the strip on first use and kept while this
// lives. A picture the strip lacks gives null.
class MenuPictures {
 public:
  explicit MenuPictures(HINSTANCE module) : module_(module) {}
  HBITMAP Get(int picture);

 private:
  HINSTANCE module_;
  UniqueBitmap strip_;
  std::map<int, UniqueBitmap> pictures_;
};
// The tray's blink (ImageList2): 0 a blue cube, 1 a red cube.
inline constexpr int kCubeCount = 2;
UniqueImageList LoadCubePictures(HINSTANCE module);
// The splash emblem: a 280 x 280 32-bit DIB section with premultiplied alpha,
// ready for AlphaBlend with AC_SRC_ALPHA.
UniqueBitmap LoadSplashEmblem(HINSTANCE module);

}  // namespace kestro::ui
