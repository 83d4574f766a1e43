#pragma once
// The image lists the windows draw from, built from the program's resources.

#include <windows.h>

#include "win/Handle.h"

namespace kestro::ui {

// SinFlags: the 16 x 16 flags and markers of geo/Flags.h, from the strip
// resource IDB_FLAGS (res/FlagsRes.h) of `module` (viewer/res/Flags.rc linked
// into it). Empty when the resource is missing.
UniqueImageList SinFlags(HINSTANCE module);

}  // namespace kestro::ui
