#pragma once
// The lookups of a connection's remote address: Action9 (WHOIS window,
// TForm1) and Action10 (geolocation window, TForm3). Both act on the
// connection view's selected row and read its remote-address cell; a row
// without one (UDP rows, rows of other views) is left alone. The part owns the
// two windows, made at start in their places of the window order.

#include <memory>
#include <optional>
#include <string>

#include "net/Whois.h"
#include "ui/MainContext.h"

namespace kestro::ui {

class TForm1;
class TForm3;

class LookupCommands {
 public:
  // Adds Action9 and Action10 (kCmdWhois, kCmdGeoLocation) to the command table.
  explicit LookupCommands(const MainContext& context);
  ~LookupCommands();
  LookupCommands(const LookupCommands&) = delete;
  LookupCommands& operator=(const LookupCommands&) = delete;

  // The windows, hidden, owned by the main window; `timeouts` bound each WHOIS
  // exchange.
  void CreateWhoisWindow(WhoisTimeouts timeouts = {});
  void CreateGeoLocationWindow();
  TForm1& whoisWindow() { return *whois_; }
  TForm3& geoLocationWindow() { return *geoLocation_; }

  void Action9Execute();
  void Action10Execute();

 private:
  // The selected row's remote-address text, when it has one.
  std::optional<std::wstring> SelectedRemoteAddress() const;

  MainContext context_;
  std::unique_ptr<TForm1> whois_;
  std::unique_ptr<TForm3> geoLocation_;
};

}  // namespace kestro::ui
