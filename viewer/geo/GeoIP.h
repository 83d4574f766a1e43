#pragma once
// The country of a remote IPv4 address from the GeoIP Legacy country database
// that ships beside the viewer, its display name and its flag picture. No
// state and no cache: every lookup opens the file, answers and closes it.

#include <array>
#include <string>

namespace kestro {

inline constexpr int kCountryCount = 253;

// Program Files\Kestro\lib_info.dll, computed anew at every call.
std::wstring CountryDatabasePath();

// Both take the row's remote-address cell as it stands ("203.0.113.7 :443"):
// only a dotted IPv4 address at its start is looked up. An address in no
// country, any other text and a database of another edition than country or
// proxy give "LocalHost" / "本地主机". A database that cannot be opened raises
// SystemError "Cannot open file "<path>". <system message>".
std::wstring GetCountryCode(const std::wstring& remoteCell,
                            const std::wstring& databasePath = CountryDatabasePath());
std::wstring GetCountryName(const std::wstring& remoteCell,
                            const std::wstring& databasePath = CountryDatabasePath());

// The display names by country ID 0 to 252, and the codes of the GeoIP Legacy
// country table in its 253-entry form (later versions of the library renamed
// IDs 10 and 75 to "CW" and "SX"; the viewer keeps "AN" and "FX").
const std::array<const wchar_t*, kCountryCount>& CountryNames();
const std::array<const wchar_t*, kCountryCount>& CountryCodes();

}  // namespace kestro
