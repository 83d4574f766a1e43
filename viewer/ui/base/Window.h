#pragma once
// Base of the program's windows: the window procedure finds its object through
// a pointer stored at WM_NCCREATE and forwards to HandleMessage. No exception
// leaves a window procedure: an error ends the message with the standard error
// box. Dialog boxes have their own base beside this one (ui/base/Dialog.h).

#include <windows.h>

#include <functional>
#include <string>

namespace kestro::ui {

inline constexpr wchar_t kApplicationTitle[] = L"Kestro V 1.0";

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers the class once per process (by name) and creates the window.
  void CreateWindowOf(const wchar_t* className, DWORD exStyle, const wchar_t* caption, DWORD style,
                      int x, int y, int width, int height, HWND owner);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// The box's text: a full stop is appended when the last character sorts after it.
std::wstring ErrorBoxText(std::wstring text);
// The application's standard error box: caption "Kestro V 1.0", error icon, OK.
void ShowErrorBox(HWND owner, const std::wstring& text);
// Where the error box goes instead of a message box (window tests); null restores the box.
void SetErrorBoxSink(std::function<void(HWND owner, const std::wstring& text)> sink);
// The box's text for a thrown object that carries no message.
inline constexpr wchar_t kUnknownErrorText[] = L"未知错误";
// Runs `action`; whatever it throws ends it and is shown in the standard error box.
void RunGuarded(HWND owner, const std::function<void()>& action);

}  // namespace kestro::ui
