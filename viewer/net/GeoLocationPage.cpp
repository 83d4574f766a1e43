#include "net/GeoLocationPage.h"

namespace kestro {

std::wstring GeoLocationPageAddress(std::wstring_view addressText) {
  return std::wstring(kGeoLocationSite) + L"/?IP=" + std::wstring(addressText);
}

std::wstring GeoLocationCaption(std::wstring_view addressText) {
  return L"GeoIP Tool - " + std::wstring(addressText);
}

}  // namespace kestro
