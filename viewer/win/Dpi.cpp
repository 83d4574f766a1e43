#include "win/Dpi.h"

#include <windows.h>

namespace kestro {

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return logPixels > 0 ? logPixels : kDesignDpi;
  }();
  return dpi;
}

int ScaleFromDesign(int pixels, int dpi) { return MulDiv(pixels, dpi, kDesignDpi); }

}  // namespace kestro
