// The viewer's resources as this program carries them (the viewer's resource
// object is linked in): the program icon, the command and cube pictures, the
// splash emblem and the manifest with what it switches on.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "res/ArtworkRes.h"
#include "ui/controls/Artwork.h"
#include "ui/controls/CommandPictures.h"
#include "win/Dpi.h"

namespace kestro::test {
namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

// A 32-bit top-down copy of what GDI draws, BGRA per pixel.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<const BYTE*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const BYTE* p = pixels_ + (y * width_ + x) * 4;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  const BYTE* pixels_ = nullptr;
};

// The pixels of a 32-bit bitmap resource, BGRA, bottom row first as stored.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<BYTE> bgra;
  const BYTE* At(int x, int y) const { return &bgra[((height - 1 - y) * width + x) * 4]; }
};
Pixels ResourcePixels(HBITMAP bitmap) {
  DIBSECTION dib{};
  Pixels pixels;
  if (GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32)
    return pixels;
  pixels.width = dib.dsBm.bmWidth;
  pixels.height = dib.dsBm.bmHeight;
  const auto* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
  pixels.bgra.assign(bits, bits + pixels.width * pixels.height * 4);
  return pixels;
}
Pixels StripPixels(int id) {
  UniqueBitmap strip(static_cast<HBITMAP>(
      LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return strip ? ResourcePixels(strip.get()) : Pixels{};
}

bool IsWhite(COLORREF c) { return c == RGB(255, 255, 255); }

TEST(ProgramIconTest, CarriesDrawnImagesOf16_32And48PixelsWithATransparentCorner) {
  HRSRC group = FindResourceW(Module(), L"MAINICON", RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(Module(), group)));
  const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
  std::set<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = directory + 6 + 14 * i;  // GRPICONDIRENTRY, packed
    EXPECT_EQ(entry[0], entry[1]);
    EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32) << "bits of image " << i;
    sizes.insert(entry[0]);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48}));

  for (int size : {16, 32, 48}) {
    SCOPED_TRACE(size);
    UniqueIcon icon = ui::LoadProgramIcon(Module(), size);
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);

    Canvas canvas(size, size, RGB(255, 255, 255));
    DrawIconEx(canvas.dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    EXPECT_TRUE(IsWhite(canvas.At(0, 0)));
    EXPECT_FALSE(IsWhite(canvas.At(size / 2, size - size / 8)));  // the disc below the nodes
  }
}

// Each picture of a strip drawn from its image list onto white: where the
// picture is transparent the white stays, where it is opaque its colour shows.
void ExpectStripDrawnWithItsAlpha(HIMAGELIST list, const Pixels& strip, int count) {
  ASSERT_EQ(ImageList_GetImageCount(list), count);
  for (int picture = 0; picture < count; ++picture) {
    SCOPED_TRACE(testing::Message() << "picture " << picture);
    Canvas canvas(16, 16, RGB(255, 255, 255));
    ASSERT_TRUE(ImageList_Draw(list, picture, canvas.dc(), 0, 0, ILD_NORMAL));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const BYTE* p = strip.At(picture * 16 + x, y);
        if (p[3] == 0) {
          EXPECT_TRUE(IsWhite(canvas.At(x, y))) << x << ',' << y;
        } else if (p[3] == 255) {
          ++opaque;
          EXPECT_EQ(canvas.At(x, y), RGB(p[2], p[1], p[0])) << x << ',' << y;
        }
      }
    EXPECT_GT(opaque, 16);  // a real picture, not an empty square
  }
}

TEST(CommandPicturesTest, OneDistinctPictureForEachNameInTheOrderOfTheStrip) {
  const Pixels strip = StripPixels(IDB_COMMAND_PICTURES);
  EXPECT_EQ(strip.width, 16 * ui::kCommandPictureCount);
  EXPECT_EQ(strip.height, 16);
  ASSERT_FALSE(strip.bgra.empty());

  // No silk file named twice: every picture differs from every other.
  std::set<std::string> pictures;
  for (int picture = 0; picture < ui::kCommandPictureCount; ++picture) {
    std::string bytes;
    for (int y = 0; y < 16; ++y) {
      const auto* row = reinterpret_cast<const char*>(strip.At(picture * 16, y));
      bytes.append(row, 16 * 4);
    }
    pictures.insert(bytes);
  }
  EXPECT_EQ(pictures.size(), size_t{ui::kCommandPictureCount});

  UniqueImageList list = ui::LoadCommandPictures(Module());
  ASSERT_TRUE(list);
  int width = 0, height = 0;
  ImageList_GetIconSize(list.get(), &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
  ExpectStripDrawnWithItsAlpha(list.get(), strip, ui::kCommandPictureCount);
}

TEST(CubePicturesTest, ABlueCubeThenARedOne) {
  const Pixels strip = StripPixels(IDB_CUBES);
  EXPECT_EQ(strip.width, 16 * ui::kCubeCount);
  EXPECT_EQ(strip.height, 16);
  UniqueImageList list = ui::LoadCubePictures(Module());
  ASSERT_TRUE(list);
  ExpectStripDrawnWithItsAlpha(list.get(), strip, ui::kCubeCount);

  // Each face of the cube, top, left and right.
  for (const POINT face : {POINT{8, 4}, POINT{4, 9}, POINT{12, 9}}) {
    const BYTE* blue = strip.At(face.x, face.y);
    const BYTE* red = strip.At(16 + face.x, face.y);
    EXPECT_GT(blue[0], blue[2] + 60) << face.x << ',' << face.y;
    EXPECT_GT(red[2], red[0] + 60) << face.x << ',' << face.y;
  }
}

TEST(SplashEmblemTest, A280PixelDiscWithTransparentCornersAndPremultipliedColours) {
  UniqueBitmap emblem = ui::LoadSplashEmblem(Module());
  ASSERT_TRUE(emblem);
  const Pixels pixels = ResourcePixels(emblem.get());
  ASSERT_EQ(pixels.width, 280);
  ASSERT_EQ(pixels.height, 280);

  for (const POINT corner :
       {POINT{0, 0}, POINT{279, 0}, POINT{0, 279}, POINT{279, 279}, POINT{60, 60}}) {
    EXPECT_EQ(pixels.At(corner.x, corner.y)[3], 0) << corner.x << ',' << corner.y;
  }
  // Inside the splash's elliptic region (42, 40)-(239, 238) the disc is opaque.
  for (const POINT inside :
       {POINT{140, 139}, POINT{50, 139}, POINT{230, 139}, POINT{140, 48}, POINT{140, 230}}) {
    EXPECT_EQ(pixels.At(inside.x, inside.y)[3], 255) << inside.x << ',' << inside.y;
  }
  int partial = 0;
  for (int y = 0; y < 280; ++y)
    for (int x = 0; x < 280; ++x) {
      const BYTE* p = pixels.At(x, y);
      if (p[3] != 0 && p[3] != 255) ++partial;
      ASSERT_LE(p[0], p[3]) << x << ',' << y;  // premultiplied: no colour above its alpha
      ASSERT_LE(p[1], p[3]) << x << ',' << y;
      ASSERT_LE(p[2], p[3]) << x << ',' << y;
    }
  EXPECT_GT(partial, 100);  // a smooth edge, not a hard mask

  // Drawn as the splash draws it, over white.
  Canvas canvas(280, 280, RGB(255, 255, 255));
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, emblem.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_TRUE(GdiAlphaBlend(canvas.dc(), 0, 0, 280, 280, source, 0, 0, 280, 280, blend));
  SelectObject(source, old);
  DeleteDC(source);
  EXPECT_TRUE(IsWhite(canvas.At(0, 0)));
  const BYTE* centre = pixels.At(60, 139);  // opaque disc, left of the nodes
  EXPECT_EQ(canvas.At(60, 139), RGB(centre[2], centre[1], centre[0]));
}

std::string Manifest() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
  if (!found) return {};
  const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(text, SizeofResource(nullptr, found));
}

TEST(ManifestTest, AsksForCommonControls6SystemDpiAndNoElevation) {
  const std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty());
  for (const char* element : {
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "publicKeyToken=\"6595b64144ccf1df\"",
           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
           "</dpiAware>",
           "<requestedExecutionLevel level=\"asInvoker\"",
           "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
           "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
           "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
           "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10
       })
    EXPECT_NE(manifest.find(element), std::string::npos) << element;
}

// What the manifest switches on for the process that carries it. Wine 8's
// comctl32 answers DllGetVersion with 5.81 in both of its copies, so the
// binding is read where the loader made it: this process loaded the common
// controls 6 assembly's copy, not the system folder's.
TEST(ManifestTest, TheProgramLoadsCommonControls6AndReadsItselfDpiAware) {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(comctl, path, MAX_PATH);
  std::wstring loaded = path;
  CharLowerW(loaded.data());
  EXPECT_NE(loaded.find(L"\\winsxs\\"), std::wstring::npos) << path;
  EXPECT_NE(loaded.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::wstring::npos)
      << path;

  wchar_t dpiAware[16] = {};
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxSettingsW(0, nullptr,
                                   L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                   L"dpiAware", dpiAware, 16, &written));
  EXPECT_STREQ(dpiAware, L"true");
}

TEST(DpiTest, DesignedSizesScaleFrom96DpiToTheNearestPixel) {
  const struct {
    int pixels;
    int dpi;
    int scaled;
  } cases[] = {
      {703, 96, 703},   {703, 120, 879},  // 878.75
      {703, 144, 1055},                   // 1054.5 rounds up
      {549, 192, 1098}, {-8, 144, -12},  {0, 144, 0}, {1, 120, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScaleFromDesign(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
}

}  // namespace
}  // namespace kestro::test
