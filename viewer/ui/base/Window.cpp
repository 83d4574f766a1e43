#include "ui/base/Window.h"

#include <exception>

#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro::ui {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Window::CreateWindowOf(const wchar_t* className, DWORD exStyle, const wchar_t* caption,
                            DWORD style, int x, int y, int width, int height, HWND owner) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{sizeof existing};
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // Shared icons of the program's own resources: the system frees them.
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) throw SystemError(GetLastError());
  }
  if (!CreateWindowExW(exStyle, className, caption, style, x, y, width, height, owner, nullptr,
                       instance, this))
    throw SystemError(GetLastError());
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  RunGuarded(hwnd, [&] {
    result = self->HandleMessage(message, wParam, lParam);
    handled = true;
  });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring ErrorBoxText(std::wstring text) {
  if (!text.empty() && text.back() > L'.') text += L'.';
  return text;
}

namespace {
std::function<void(HWND, const std::wstring&)>& ErrorBoxSink() {
  static std::function<void(HWND, const std::wstring&)> sink;
  return sink;
}
}  // namespace

void SetErrorBoxSink(std::function<void(HWND owner, const std::wstring& text)> sink) {
  ErrorBoxSink() = std::move(sink);
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
  if (ErrorBoxSink()) return ErrorBoxSink()(owner, ErrorBoxText(text));
  MessageBoxW(owner, ErrorBoxText(text).c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

void RunGuarded(HWND owner, const std::function<void()>& action) {
  try {
    action();
  } catch (const SystemError& e) {
    ShowErrorBox(owner, e.message());
  } catch (const std::exception& e) {
    ShowErrorBox(owner, FromUtf8(e.what()));
  } catch (...) {
    // Whatever else is thrown would end the program on its way through user32.
    ShowErrorBox(owner, kUnknownErrorText);
  }
}

}  // namespace kestro::ui
