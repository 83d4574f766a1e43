// Country lookup through the GeoIP Legacy library on database files written
// by the test, on damaged files and on the shipped database.
#include <gtest/gtest.h>

#include <GeoIP.h>

#include <algorithm>
#include <map>
#include <random>

#include "support/GeoIPFile.h"
#include "geo/Flags.h"
#include "geo/GeoIP.h"
#include "win/SpecialFolder.h"
#include "win/SystemError.h"

namespace kestro {
namespace {

using test::GeoIPFile;

// The GeoIP Legacy country codes by ID, 0 to 252.
const char* const kCodes[kCountryCount] = {
    "--", "AP", "EU", "AD", "AE", "AF", "AG", "AI", "AL", "AM", "AN", "AO", "AQ", "AR", "AS", "AT",
    "AU", "AW", "AZ", "BA", "BB", "BD", "BE", "BF", "BG", "BH", "BI", "BJ", "BM", "BN", "BO", "BR",
    "BS", "BT", "BV", "BW", "BY", "BZ", "CA", "CC", "CD", "CF", "CG", "CH", "CI", "CK", "CL", "CM",
    "CN", "CO", "CR", "CU", "CV", "CX", "CY", "CZ", "DE", "DJ", "DK", "DM", "DO", "DZ", "EC", "EE",
    "EG", "EH", "ER", "ES", "ET", "FI", "FJ", "FK", "FM", "FO", "FR", "FX", "GA", "GB", "GD", "GE",
    "GF", "GH", "GI", "GL", "GM", "GN", "GP", "GQ", "GR", "GS", "GT", "GU", "GW", "GY", "HK", "HM",
    "HN", "HR", "HT", "HU", "ID", "IE", "IL", "IN", "IO", "IQ", "IR", "IS", "IT", "JM", "JO", "JP",
    "KE", "KG", "KH", "KI", "KM", "KN", "KP", "KR", "KW", "KY", "KZ", "LA", "LB", "LC", "LI", "LK",
    "LR", "LS", "LT", "LU", "LV", "LY", "MA", "MC", "MD", "MG", "MH", "MK", "ML", "MM", "MN", "MO",
    "MP", "MQ", "MR", "MS", "MT", "MU", "MV", "MW", "MX", "MY", "MZ", "NA", "NC", "NE", "NF", "NG",
    "NI", "NL", "NO", "NP", "NR", "NU", "NZ", "OM", "PA", "PE", "PF", "PG", "PH", "PK", "PL", "PM",
    "PN", "PR", "PS", "PT", "PW", "PY", "QA", "RE", "RO", "RU", "RW", "SA", "SB", "SC", "SD", "SE",
    "SG", "SH", "SI", "SJ", "SK", "SL", "SM", "SN", "SO", "SR", "ST", "SV", "SY", "SZ", "TC", "TD",
    "TF", "TG", "TH", "TJ", "TK", "TM", "TN", "TO", "TL", "TR", "TT", "TV", "TW", "TZ", "UA", "UG",
    "UM", "US", "UY", "UZ", "VA", "VC", "VE", "VG", "VI", "VN", "VU", "WF", "WS", "YE", "YT", "RS",
    "ZA", "ZM", "ME", "ZW", "A1", "A2", "O1", "AX", "GG", "IM", "JE", "BL", "MF",
};

int IdOf(const char* code) {
  return static_cast<int>(std::find_if(kCodes, kCodes + kCountryCount,
                                       [&](const char* c) { return strcmp(c, code) == 0; }) -
                          kCodes);
}

class GeoIPTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { folder = new std::wstring(test::MakeTestFolder(L"kestro-geo")); }
  static void TearDownTestSuite() { delete folder; }

  // A database with one block of each kind that matters.
  static GeoIPFile Sample() {
    GeoIPFile file;
    file.Add("203.0.113.0", 24, IdOf("CN"));
    file.Add("192.0.2.0", 24, IdOf("EU"));
    file.Add("198.51.100.0", 24, IdOf("RS"));
    file.Add("198.51.101.0", 24, IdOf("ME"));
    file.Add("100.65.0.0", 16, IdOf("US"));
    file.Add("100.64.0.0", 16, 253);  // beyond the table of this viewer
    file.Add("100.66.0.7", 32, IdOf("A1"));
    file.Add("100.67.0.0", 16, IdOf("AN"));
    // Blocks that no lookup may reach: the cell gives no address number.
    file.Add("0.0.0.0", 8, IdOf("CN"));
    file.Add("255.0.0.0", 8, IdOf("CN"));
    return file;
  }
  static std::wstring Write(const std::wstring& name, const std::vector<uint8_t>& bytes) {
    std::wstring path = *folder + L"\\" + name;
    EXPECT_TRUE(test::WriteFileBytes(path, bytes));
    return path;
  }

  static std::wstring* folder;
};
std::wstring* GeoIPTest::folder = nullptr;

TEST_F(GeoIPTest, TheCodeTableIsTheLibrarysBeforeItsTwoRenames) {
  for (int id = 0; id < kCountryCount; ++id) {
    const std::wstring code(kCodes[id], kCodes[id] + strlen(kCodes[id]));
    EXPECT_EQ(CountryCodes()[id], code) << id;
    // The library of Debian renamed the Netherlands Antilles and France,
    // Metropolitan to Curacao and Sint Maarten.
    const char* expected = id == 10 ? "CW" : id == 75 ? "SX" : kCodes[id];
    EXPECT_STREQ(GeoIP_code_by_id(id), expected) << id;
  }
}

TEST_F(GeoIPTest, NamesCodesAndFlagsOfTheRemoteCell) {
  const std::wstring path = Write(L"country.dat", Sample().Bytes());
  struct Case {
    const wchar_t* cell;
    const wchar_t* code;
    const wchar_t* name;
    int flag;
  } cases[] = {
      {L"203.0.113.7 :443", L"CN", L"中国", 45},
      {L"203.0.113.7", L"CN", L"中国", 45},
      {L"192.0.2.1 :80", L"EU", L"欧洲", kFlagEurope},
      {L"198.51.100.9 :25", L"RS", L"Serbia", kFlagSerbia},
      {L"198.51.101.9 :25", L"ME", L"黑山", kFlagUnknown},
      {L"100.65.3.4 :80", L"US", L"美国", 221},
      {L"100.66.0.7 :80", L"A1", L"匿名代理", kFlagUnknown},
      {L"100.67.0.1 :80", L"AN", L"荷属安的列斯", 7},
      // No country: private and loopback ranges, and IDs beyond the table.
      {L"10.1.2.3 :80", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"127.0.0.1 :80", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"100.64.1.1 :80", L"LocalHost", L"本地主机", kFlagLocalHost},
      // Cells that do not start with a dotted IPv4 address.
      {L"0.0.0.0 :0", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"255.255.255.255 :0", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"[2001:db8::1] :443", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"*:*", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"mail.example :smtp", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"host-203.0.113.7:smtp", L"LocalHost", L"本地主机", kFlagLocalHost},
      {L"", L"LocalHost", L"本地主机", kFlagLocalHost},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cell " << std::string(c.cell, c.cell + wcslen(c.cell)));
    const std::wstring code = GetCountryCode(c.cell, path);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(GetCountryName(c.cell, path), c.name);
    EXPECT_EQ(CountryFlagIndex(code), c.flag);
  }
}

TEST_F(GeoIPTest, OnlyCountryAndProxyEditionsAnswer) {
  const GeoIPFile file = Sample();
  const std::map<int, bool> editions = {
      {0, true},    // no marker: country edition
      {1, true},    // country
      {106, true},  // the old numbering of the country edition
      {8, true},    // proxy
      {113, true},  // the old numbering of the proxy edition
      {10, false},  // net speed: the library would answer, the viewer does not
      {17, false},  // large country
      {3, false},   // region
  };
  for (auto [edition, answers] : editions) {
    SCOPED_TRACE(edition);
    const std::wstring path = Write(L"edition.dat", file.Bytes(edition));
    EXPECT_EQ(GetCountryCode(L"203.0.113.7 :443", path), answers ? L"CN" : L"LocalHost");
    EXPECT_EQ(GetCountryName(L"203.0.113.7 :443", path), answers ? L"中国" : L"本地主机");
  }
}

TEST_F(GeoIPTest, ADatabaseThatCannotBeOpenedRaisesTheSystemMessage) {
  const std::wstring missing = *folder + L"\\no such folder\\lib_info.dll";
  for (const wchar_t* cell : {L"203.0.113.7 :443", L"*:*"}) {
    try {
      GetCountryName(cell, missing);
      ADD_FAILURE() << "no error";
    } catch (const SystemError& error) {
      EXPECT_EQ(error.code(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
      EXPECT_EQ(error.message(),
                L"Cannot open file \"" + missing + L"\". " + SystemMessage(ERROR_PATH_NOT_FOUND));
    }
  }
  // Held exclusively by another writer.
  const std::wstring path = Write(L"locked.dat", Sample().Bytes());
  HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_THROW(GetCountryCode(L"203.0.113.7 :443", path), SystemError);
  CloseHandle(lock);
  // Shared for reading and writing, as while the file is being replaced.
  lock = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(GetCountryCode(L"203.0.113.7 :443", path), L"CN");
  CloseHandle(lock);
}

TEST_F(GeoIPTest, APathOutsideTheAnsiCodePageIsFound) {
  const std::wstring inner = test::MakeTestFolder(L"kestro-geo\\\u0105\u010d\u0119");
  const std::wstring path = inner + L"\\lib_info.dll";
  ASSERT_TRUE(test::WriteFileBytes(path, Sample().Bytes()));
  EXPECT_EQ(GetCountryName(L"203.0.113.7 :443", path), L"中国");
}

TEST_F(GeoIPTest, DamagedFilesGiveAnAnswerWithoutCrashing) {
  const std::vector<uint8_t> good = Sample().Bytes(1);
  std::vector<std::vector<uint8_t>> files = {{}, {0xFF}, {0xFF, 0xFF, 0xFF, 1}};
  for (size_t size : {3u, 5u, 6u, 7u, 13u, 40u})
    files.emplace_back(good.begin(), good.begin() + size);
  // Records pointing far beyond the end of the file.
  files.push_back({0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0x7F});
  std::mt19937 random(1210);
  for (int i = 0; i < 40; ++i) {
    std::vector<uint8_t> bytes(1 + random() % 3000);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (i % 2) bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 1});
    files.push_back(std::move(bytes));
  }
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    const std::wstring path = Write(L"damaged.dat", files[i]);
    for (const wchar_t* cell : {L"203.0.113.7 :1", L"1.1.1.1 :1", L"254.254.254.254 :1"}) {
      const std::wstring code = GetCountryCode(cell, path);
      EXPECT_TRUE(code == L"LocalHost" || code.size() == 2) << i;
      EXPECT_FALSE(GetCountryName(cell, path).empty());
    }
  }
}

TEST_F(GeoIPTest, TheShippedDatabaseKnowsAWellKnownAddress) {
  const std::wstring shipped = L"Z:\\usr\\share\\GeoIP\\GeoIP.dat";
  EXPECT_EQ(GetCountryCode(L"8.8.8.8 :53", shipped), L"US");
  EXPECT_EQ(GetCountryName(L"8.8.8.8 :53", shipped), L"美国");
  EXPECT_EQ(GetCountryName(L"192.168.1.1 :53", shipped), L"本地主机");
}

TEST(CountryDatabasePath, IsTheFileBesideTheProgramUnderProgramFiles) {
  const std::wstring programFiles = GetSpecialFolder(0x26);  // CSIDL_PROGRAM_FILES
  EXPECT_EQ(programFiles, L"C:\\Program Files");
  EXPECT_EQ(CountryDatabasePath(), programFiles + L"\\Kestro\\lib_info.dll");
  EXPECT_EQ(GetSpecialFolder(0x7FFF), L"");  // no such folder
}

TEST(CountryNames, HasOneNameForEveryCountryId) {
  const auto& names = CountryNames();
  EXPECT_STREQ(names[0], L"N/A");
  EXPECT_STREQ(names[IdOf("AP")], L"亚洲/太平洋地区");
  EXPECT_STREQ(names[IdOf("TW")], L"台湾");
  EXPECT_STREQ(names[IdOf("WF")], L"Wallis and Futuna");
  EXPECT_STREQ(names[IdOf("AX")], L"奥兰群岛");
  EXPECT_STREQ(names[252], L"法属圣马丁");
  for (int id = 0; id < kCountryCount; ++id) EXPECT_GT(wcslen(names[id]), 0u) << id;
}

TEST(CountryFlagIndex, MapsCodesToPictures) {
  struct Case {
    const wchar_t* code;
    int flag;
  } cases[] = {
      {L"CN", 45},
      {L"cn", 45},
      {L"Cn", 45},
      {L"AD", 0},
      {L"ZW", 238},
      {L"GB", 76},
      {L"US", 221},
      {L"LocalHost", kFlagLocalHost},
      {L"localhost", kFlagLocalHost},
      {L"EU", kFlagEurope},
      {L"RS", kFlagSerbia},
      {L"", kFlagUnknown},
      {L"England", kFlagUnknown},
      {L"xx", kFlagUnknown},
      {L"C N", kFlagUnknown},
      {L"CN ", kFlagUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(CountryFlagIndex(c.code), c.flag) << c.flag;
  // Codes that have no picture of their own.
  for (const wchar_t* code : {L"AP", L"AQ", L"FX", L"GF", L"HM", L"RE", L"SJ", L"ME", L"A1", L"A2",
                              L"O1", L"GG", L"IM", L"JE", L"BL", L"MF", L"--"})
    EXPECT_EQ(CountryFlagIndex(code), kFlagUnknown);
  // The pictures follow the alphabet: every other code has its own, in order.
  std::vector<std::string> sorted(kCodes + 3, kCodes + kCountryCount);
  std::sort(sorted.begin(), sorted.end());
  int previous = -1;
  for (const std::string& code : sorted) {
    const int flag = CountryFlagIndex(std::wstring(code.begin(), code.end()));
    if (flag >= kFlagUnknown) continue;
    EXPECT_GT(flag, previous) << code;
    previous = flag;
  }
}

}  // namespace
}  // namespace kestro
