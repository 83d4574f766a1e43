#pragma once
// The geolocation web page of a remote address and the window's caption.

#include <string>
#include <string_view>

namespace kestro {

// The site's root; its page takes the address as "/?IP=<address>".
inline constexpr wchar_t kGeoLocationSite[] = L"https://www.geoiptool.com";

// The page of `addressText`, kept as given (blanks included).
std::wstring GeoLocationPageAddress(std::wstring_view addressText);
// The geolocation window's caption while it shows that page.
std::wstring GeoLocationCaption(std::wstring_view addressText);

}  // namespace kestro
