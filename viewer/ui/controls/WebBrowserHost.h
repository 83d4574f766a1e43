#pragma once
// The system's web browser control inside one of our windows, hosted through
// its OLE interfaces: a minimal client site, in-place site and frame on the
// parent window, and IWebBrowser2 to navigate.

#include <windows.h>

#include <memory>
#include <string>

namespace kestro::ui {

class WebBrowserHost {
 public:
  // The control, active in `area` of `parent`; null where the control or the
  // HTML engine it shows pages with cannot be made.
  static std::unique_ptr<WebBrowserHost> Create(HWND parent, const RECT& area);
  ~WebBrowserHost();
  WebBrowserHost(const WebBrowserHost&) = delete;
  WebBrowserHost& operator=(const WebBrowserHost&) = delete;

  // Starts loading `address`; the page loads on its own. Throws SystemError.
  void Navigate(const std::wstring& address);

 private:
  struct Impl;
  explicit WebBrowserHost(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestro::ui
