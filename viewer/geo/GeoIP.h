#pragma once
// The country of a remote IPv4 address from the GeoIP Legacy country database
// that ships beside the viewer, its display name and its flag picture.

#include <array>
#include <memory>
#include <string>

struct GeoIPTag;

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

// The database opened once for many lookups: a refresh that adds thousands of
// rows reads the file once instead of opening it twice per remote host. Opens
// at the first lookup; the answers are those of the two functions above,
// which use it for one lookup each.
class CountryDatabase {
 public:
  explicit CountryDatabase(std::wstring path);
  ~CountryDatabase();
  CountryDatabase(const CountryDatabase&) = delete;
  CountryDatabase& operator=(const CountryDatabase&) = delete;

  // The country ID (1 to 252) of the cell's address; 0 for none. Raises the
  // SystemError above when the file cannot be opened (and tries again at the
  // next lookup).
  int CountryId(const std::wstring& remoteCell);
  // GetCountryCode and GetCountryName of an ID.
  static std::wstring Code(int id);
  static std::wstring Name(int id);

 private:
  struct Deleter {
    void operator()(GeoIPTag* database) const noexcept;
  };
  std::wstring path_;
  bool opened_ = false;
  std::unique_ptr<GeoIPTag, Deleter> database_;  // null: a file that answers nothing
};

// The display names by country ID 0 to 252, and the codes of the GeoIP Legacy
// country table in its 253-entry form (later versions of the library renamed
// IDs 10 and 75 to "CW" and "SX"; the viewer keeps "AN" and "FX").
const std::array<const wchar_t*, kCountryCount>& CountryNames();
const std::array<const wchar_t*, kCountryCount>& CountryCodes();

}  // namespace kestro
