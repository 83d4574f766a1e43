#pragma once
// The lookups of a connection's remote address: Action9 (WHOIS window,
// WhoisWindow) and Action10 (geolocation window, GeoLocationWindow). Both act on the
// connection view's selected row and read its remote-address cell; a row
// without one (UDP rows, rows of other views) is left alone. The part owns the
// two windows, made at start in their places of the window order.

#include <memory>
#include <optional>
#include <string>

#include "net/Whois.h"
#include "ui/main/MainContext.h"

namespace kestro::ui {

class WhoisWindow;
class GeoLocationWindow;

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
  WhoisWindow& whoisWindow() { return *whois_; }
  GeoLocationWindow& geoLocationWindow() { return *geoLocation_; }

  void LookUpWhois();
  void ShowGeoLocation();

 private:
  // The selected row's remote-address text, when it has one.
  std::optional<std::wstring> SelectedRemoteAddress() const;

  MainContext context_;
  std::unique_ptr<WhoisWindow> whois_;
  std::unique_ptr<GeoLocationWindow> geoLocation_;
};

}  // namespace kestro::ui
