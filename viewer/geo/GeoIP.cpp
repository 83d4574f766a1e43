#include "geo/GeoIP.h"

#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <GeoIP.h>

#include <memory>

#include "ExternalNames.h"
#include "win/Handle.h"
#include "win/SpecialFolder.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

// GeoIP_open takes a path in the ANSI code page; a path that does not fit in
// it is handed over in its short (8.3) form.
std::string AnsiPath(const std::wstring& path) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (lossy) {
    wchar_t shortPath[MAX_PATH] = {};
    DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return Narrow(shortPath);
  }
  return Narrow(path);
}

}  // namespace

void CountryDatabase::Deleter::operator()(GeoIPTag* database) const noexcept {
  GeoIP_delete(database);
}

CountryDatabase::CountryDatabase(std::wstring path) : path_(std::move(path)) {}
CountryDatabase::~CountryDatabase() = default;

int CountryDatabase::CountryId(const std::wstring& remoteCell) {
  if (!opened_) {
    // The library says nothing about why it could not open a file; ask the
    // system first, with the same access and sharing.
    if (!UniqueFileHandle(CreateFileW(path_.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr))) {
      DWORD error = GetLastError();
      throw SystemError(error, L"Cannot open file \"" + path_ + L"\". " + SystemMessage(error));
    }
    // Read from the file as a lookup walks the tree: the library's memory
    // cache reads beyond the end of a damaged file.
    database_.reset(GeoIP_open(AnsiPath(path_).c_str(), GEOIP_STANDARD | GEOIP_SILENCE));
    if (database_) {
      const int edition = GeoIP_database_edition(database_.get());
      if (edition != GEOIP_COUNTRY_EDITION && edition != GEOIP_PROXY_EDITION) database_.reset();
    }
    opened_ = true;
  }
  if (!database_) return 0;
  const unsigned long address = inet_addr(Narrow(remoteCell).c_str());
  if (address == INADDR_NONE || address == 0) return 0;
  GeoIPLookup details = {};
  const int id = GeoIP_id_by_ipnum_gl(database_.get(), ntohl(address), &details);
  // A damaged tree gives IDs below 0; later databases know IDs beyond our table.
  return id > 0 && id < kCountryCount ? id : 0;
}

std::wstring CountryDatabase::Code(int id) { return id != 0 ? CountryCodes()[id] : L"LocalHost"; }
std::wstring CountryDatabase::Name(int id) { return id != 0 ? CountryNames()[id] : L"本地主机"; }

std::wstring CountryDatabasePath() {
  return GetSpecialFolder(CSIDL_PROGRAM_FILES) + L"\\" + kInstallFolder + L"\\" +
         kCountryDatabaseFile;
}

std::wstring GetCountryCode(const std::wstring& remoteCell, const std::wstring& databasePath) {
  return CountryDatabase::Code(CountryDatabase(databasePath).CountryId(remoteCell));
}

std::wstring GetCountryName(const std::wstring& remoteCell, const std::wstring& databasePath) {
  return CountryDatabase::Name(CountryDatabase(databasePath).CountryId(remoteCell));
}

const std::array<const wchar_t*, kCountryCount>& CountryNames() {
  static constexpr std::array<const wchar_t*, kCountryCount> kNames = {
#include "geo/CountryNames.inc"
  };
  return kNames;
}

const std::array<const wchar_t*, kCountryCount>& CountryCodes() {
  static constexpr std::array<const wchar_t*, kCountryCount> kCodes = {
#include "geo/CountryCodes.inc"
  };
  return kCodes;
}

}  // namespace kestro
