#pragma once
// SinFlags: the 16 x 16 image list of country flags and markers that rows draw
// their flags from, built from the flag strip resource of the program.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace kestro {

inline constexpr int kFlagCount = 244;      // pictures 0 to 243
inline constexpr int kFlagUnknown = 239;    // question mark
inline constexpr int kFlagLocalHost = 240;  // small green square
inline constexpr int kFlagEurope = 241;     // European Union
inline constexpr int kFlagComputer = 242;   // a computer; no code selects it
inline constexpr int kFlagSerbia = 243;

struct ImageListDeleter {
  void operator()(HIMAGELIST list) const noexcept { ImageList_Destroy(list); }
};
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

// Builds SinFlags from the strip resource IDB_FLAGS (res/FlagsRes.h) of
// `module` (viewer/res/Flags.rc linked into it). Empty when the resource is
// missing.
UniqueImageList SinFlags(HINSTANCE module);

}  // namespace kestro
