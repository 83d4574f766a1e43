#include "ui/main/LookupCommands.h"

#include "ui/controls/CommandPictures.h"
#include "ui/windows/WhoisWindow.h"
#include "ui/windows/GeoLocationWindow.h"
#include "views/ConnectionsView.h"

namespace kestro::ui {

LookupCommands::LookupCommands(const MainContext& context) : context_(context) {
  context_.commands.Add({.id = kCmdWhois,
                         .name = L"Action9",
                         .caption = L"域名和IP信息",
                         .hint = L"域名和IP信息",
                         .picture = kPictureWhois,
                         .execute = [this] { LookUpWhois(); }});
  context_.commands.Add({.id = kCmdGeoLocation,
                         .name = L"Action10",
                         .caption = L"地理IP工具",
                         .hint = L"地理IP工具",
                         .picture = kPictureGeolocation,
                         .execute = [this] { ShowGeoLocation(); }});
}

LookupCommands::~LookupCommands() = default;

void LookupCommands::CreateWhoisWindow(WhoisTimeouts timeouts) {
  whois_ = std::make_unique<WhoisWindow>(timeouts);
  whois_->Create(context_.owner());
}

void LookupCommands::CreateGeoLocationWindow() {
  geoLocation_ = std::make_unique<GeoLocationWindow>();
  geoLocation_->Create(context_.owner());
}

std::optional<std::wstring> LookupCommands::SelectedRemoteAddress() const {
  if (context_.state().CurrentView != kViewConnections) return std::nullopt;
  const std::optional<RowId> selected = context_.listView.SelectedRow();
  const std::optional<size_t> index = selected ? context_.list.IndexOf(*selected) : std::nullopt;
  if (!index) return std::nullopt;
  const ListRow& row = context_.list.Row(*index);
  if (!row.HasCell(kCellRemoteHost)) return std::nullopt;
  return row.Cell(kCellRemoteHost);
}

void LookupCommands::LookUpWhois() {
  if (std::optional<std::wstring> address = SelectedRemoteAddress(); address && whois_)
    whois_->Lookup(*address);
}

void LookupCommands::ShowGeoLocation() {
  if (std::optional<std::wstring> address = SelectedRemoteAddress(); address && geoLocation_)
    geoLocation_->ShowPage(*address);
}

}  // namespace kestro::ui
