#pragma once
// The program's pictures, loaded from the resources of `module`
// (viewer/res/Artwork.rc linked into it). Each loader gives its owner, empty
// when the resource is missing.

#include <windows.h>

#include <vector>

#include "geo/Flags.h"
#include "win/Handle.h"

namespace kestro::ui {

// "MAINICON" at size x size pixels (16, 32 and 48 are drawn; others are scaled).
UniqueIcon LoadProgramIcon(HINSTANCE module, int size);
// The menus' and tool bar's pictures, 16 x 16 with alpha, in CommandPicture order.
UniqueImageList LoadCommandPictures(HINSTANCE module);
// The same pictures one bitmap each for menu items, laid on the menus'
// colour (not every system blends a menu item's alpha); empty when the
// resource is missing.
std::vector<UniqueBitmap> LoadMenuPictures(HINSTANCE module);
// The tray's blink (ImageList2): 0 a blue cube, 1 a red cube.
inline constexpr int kCubeCount = 2;
UniqueImageList LoadCubePictures(HINSTANCE module);
// The splash emblem: a 280 x 280 32-bit DIB section with premultiplied alpha,
// ready for AlphaBlend with AC_SRC_ALPHA.
UniqueBitmap LoadSplashEmblem(HINSTANCE module);

}  // namespace kestro::ui
