#pragma once
// Pixel sizes are designed at 96 DPI. The program declares itself aware of
// the system DPI in its manifest, so Windows does not stretch its windows, and
// it scales those sizes itself.

namespace kestro {

inline constexpr int kDesignDpi = 96;

// The screen's DPI, read once: for a system-aware program it stays fixed
// until the program ends.
int SystemDpi();
// A length designed at 96 DPI, at `dpi` (rounded to the nearest pixel).
int ScaleFromDesign(int pixels, int dpi);
inline int ScaleFromDesign(int pixels) { return ScaleFromDesign(pixels, SystemDpi()); }

}  // namespace kestro
