#include "ui/windows/SplashWindow.h"

#include "ui/controls/Artwork.h"
#include "win/Dpi.h"

namespace kestro::ui {

namespace {
constexpr int kWidth = 273, kHeight = 236;
constexpr int kEmblemSize = 280;
constexpr RECT kVisibleEllipse{42, 40, 239, 238};
}  // namespace

void SplashWindow::Create() {
  emblem_ = LoadSplashEmblem(GetModuleHandleW(nullptr));
  const int width = ScaleFromDesign(kWidth), height = ScaleFromDesign(kHeight);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CreateWindowOf(L"TfrmSplash", WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"Kestro", WS_POPUP,
                 work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, nullptr);
  SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);
  // The window owns the region from here on.
  SetWindowRgn(hwnd(),
               CreateEllipticRgn(
                   ScaleFromDesign(kVisibleEllipse.left), ScaleFromDesign(kVisibleEllipse.top),
                   ScaleFromDesign(kVisibleEllipse.right), ScaleFromDesign(kVisibleEllipse.bottom)),
               TRUE);
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd());
}

void SplashWindow::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!emblem_) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(source, emblem_.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const int size = ScaleFromDesign(kEmblemSize);
  AlphaBlend(dc, 0, 0, size, size, source, 0, 0, kEmblemSize, kEmblemSize, blend);
  SelectObject(source, previous);
  DeleteDC(source);
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd(), &paint);
      Paint(dc);
      EndPaint(hwnd(), &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace kestro::ui
