// SinFlags, built from the flag strip linked into this test program.
#include <gtest/gtest.h>

#include "geo/Flags.h"
#include "ui/controls/ImageLists.h"

namespace kestro::ui {
namespace {

// Draws one picture over a blue background and reads the pixels back.
class Canvas {
 public:
  Canvas() {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB};
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  void Draw(HIMAGELIST list, int index) {
    GdiFlush();
    std::fill(bits_, bits_ + 256, kBlue);
    ImageList_Draw(list, index, dc_, 0, 0, ILD_TRANSPARENT);
    GdiFlush();
  }
  COLORREF Pixel(int x, int y) const {
    const uint32_t p = bits_[y * 16 + x] & 0xFFFFFF;
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  static constexpr uint32_t kBlue = 0x0000FF;

 private:
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

TEST(SinFlags, Has244PicturesOf16By16WithMasks) {
  UniqueImageList flags = SinFlags(GetModuleHandleW(nullptr));
  ASSERT_TRUE(flags);
  EXPECT_EQ(ImageList_GetImageCount(flags.get()), kFlagCount);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(flags.get(), &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);

  Canvas canvas;
  const COLORREF background = RGB(0, 0, 255);
  // A flag of 16 x 11, centred: the rows above and below stay transparent.
  canvas.Draw(flags.get(), 45);  // cn
  EXPECT_EQ(canvas.Pixel(8, 0), background);
  EXPECT_EQ(canvas.Pixel(8, 15), background);
  const COLORREF field = canvas.Pixel(8, 10);  // red
  EXPECT_GT(GetRValue(field), 150);
  EXPECT_LT(GetGValue(field), 100);
  EXPECT_LT(GetBValue(field), 100);
  // The local host marker: a green square on a transparent ground.
  canvas.Draw(flags.get(), kFlagLocalHost);
  EXPECT_EQ(canvas.Pixel(0, 0), background);
  const COLORREF centre = canvas.Pixel(8, 8);
  EXPECT_GT(GetGValue(centre), 150);
  EXPECT_LT(GetRValue(centre), 50);
  EXPECT_LT(GetBValue(centre), 50);
  // Every picture draws something and lets the ground show somewhere.
  for (int i = 0; i < kFlagCount; ++i) {
    canvas.Draw(flags.get(), i);
    int shown = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) shown += canvas.Pixel(x, y) != background;
    EXPECT_GT(shown, 50) << i;
    EXPECT_LT(shown, 256) << i;
  }
}

TEST(SinFlags, IsEmptyWithoutTheStripResource) {
  EXPECT_FALSE(SinFlags(GetModuleHandleW(L"kernel32.dll")));
}

}  // namespace
}  // namespace kestro::ui
