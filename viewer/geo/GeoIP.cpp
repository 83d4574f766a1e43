#include "geo/GeoIP.h"

#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <GeoIP.h>

#include <memory>

#include "geo/Flags.h"
// winbase.h's FreeModule macro would rewrite the deleter of that name.
#undef FreeModule
#include "win/Handle.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro {

namespace {

// Flag pictures 0 to 238 of SinFlags, in picture order. "England", "fam",
// "scotland", "wales" and "cs" are pictures that no database code selects.
constexpr std::array<const wchar_t*, 239> kFlagKeys = {
#include "geo/FlagKeys.inc"
};

struct GeoIPDeleter {
  void operator()(GeoIP* database) const noexcept { GeoIP_delete(database); }
};

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

// The country ID (1 to 252) of the dotted IPv4 address at the start of
// `remoteCell`; 0 for no country, no address, a database of another edition
// and a damaged database.
int LookupCountryId(const std::wstring& remoteCell, const std::wstring& databasePath) {
  // The library says nothing about why it could not open a file; ask the
  // system first, with the same access and sharing.
  if (!UniqueFileHandle(CreateFileW(databasePath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr))) {
    DWORD error = GetLastError();
    throw SystemError(error,
                      L"Cannot open file \"" + databasePath + L"\". " + SystemMessage(error));
  }
  std::unique_ptr<GeoIP, GeoIPDeleter> database(
      GeoIP_open(AnsiPath(databasePath).c_str(), GEOIP_STANDARD | GEOIP_SILENCE));
  if (!database) return 0;
  const int edition = GeoIP_database_edition(database.get());
  if (edition != GEOIP_COUNTRY_EDITION && edition != GEOIP_PROXY_EDITION) return 0;
  const unsigned long address = inet_addr(Narrow(remoteCell).c_str());
  if (address == INADDR_NONE || address == 0) return 0;
  GeoIPLookup details = {};
  const int id = GeoIP_id_by_ipnum_gl(database.get(), ntohl(address), &details);
  // A damaged tree gives IDs below 0; later databases know IDs beyond our table.
  return id > 0 && id < kCountryCount ? id : 0;
}

}  // namespace

std::wstring GetSpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::wstring CountryDatabasePath() {
  return GetSpecialFolder(CSIDL_PROGRAM_FILES) + L"\\Kestro\\lib_info.dll";
}

std::wstring GetCountryCode(const std::wstring& remoteCell, const std::wstring& databasePath) {
  const int id = LookupCountryId(remoteCell, databasePath);
  return id != 0 ? CountryCodes()[id] : L"LocalHost";
}

std::wstring GetCountryName(const std::wstring& remoteCell, const std::wstring& databasePath) {
  const int id = LookupCountryId(remoteCell, databasePath);
  return id != 0 ? CountryNames()[id] : L"本地主机";
}

const std::array<const wchar_t*, kCountryCount>& CountryNames() {
  static constexpr std::array<const wchar_t*, kCountryCount> kNames = {
      L"N/A",                     // 0 --
      L"亚洲/太平洋地区",         // 1 AP
      L"欧洲",                    // 2 EU
      L"安道尔",                  // 3 AD
      L"阿拉伯联合酋长国",        // 4 AE
      L"阿富汗",                  // 5 AF
      L"安提瓜和巴布达",          // 6 AG
      L"安圭拉",                  // 7 AI
      L"Albania",                 // 8 AL
      L"Armenia",                 // 9 AM
      L"荷属安的列斯",            // 10 AN
      L"安哥拉",                  // 11 AO
      L"南极洲",                  // 12 AQ
      L"阿根廷",                  // 13 AR
      L"美属萨摩亚",              // 14 AS
      L"奥地利",                  // 15 AT
      L"澳大利亚",                // 16 AU
      L"Aruba",                   // 17 AW
      L"阿塞拜疆",                // 18 AZ
      L"波斯尼亚和黑塞哥维那",    // 19 BA
      L"巴巴多斯",                // 20 BB
      L"孟加拉国",                // 21 BD
      L"比利时",                  // 22 BE
      L"布基纳法索",              // 23 BF
      L"保加利亚",                // 24 BG
      L"巴林",                    // 25 BH
      L"布隆迪",                  // 26 BI
      L"贝宁",                    // 27 BJ
      L"百慕大",                  // 28 BM
      L"文莱",                    // 29 BN
      L"Bolivia",                 // 30 BO
      L"巴西",                    // 31 BR
      L"巴哈马",                  // 32 BS
      L"不丹",                    // 33 BT
      L"布韦岛",                  // 34 BV
      L"博茨瓦纳",                // 35 BW
      L"Belarus",                 // 36 BY
      L"伯利兹",                  // 37 BZ
      L"加拿大",                  // 38 CA
      L"科科斯（基林）群岛",      // 39 CC
      L"刚果（金）",              // 40 CD
      L"中非",                    // 41 CF
      L"刚果（布）",              // 42 CG
      L"瑞士",                    // 43 CH
      L"科特迪瓦",                // 44 CI
      L"库克群岛",                // 45 CK
      L"智利",                    // 46 CL
      L"喀麦隆",                  // 47 CM
      L"中国",                    // 48 CN
      L"哥伦比亚",                // 49 CO
      L"哥斯达黎加",              // 50 CR
      L"古巴",                    // 51 CU
      L"佛得角",                  // 52 CV
      L"圣诞岛",                  // 53 CX
      L"Cyprus",                  // 54 CY
      L"捷克",                    // 55 CZ
      L"德国",                    // 56 DE
      L"吉布提",                  // 57 DJ
      L"丹麦",                    // 58 DK
      L"多米尼克",                // 59 DM
      L"多米尼加",                // 60 DO
      L"Algeria",                 // 61 DZ
      L"Ecuador",                 // 62 EC
      L"Estonia",                 // 63 EE
      L"埃及",                    // 64 EG
      L"西撒哈拉",                // 65 EH
      L"Eritrea",                 // 66 ER
      L"Spain",                   // 67 ES
      L"Ethiopia",                // 68 ET
      L"芬兰",                    // 69 FI
      L"斐济",                    // 70 FJ
      L"福克兰群岛",              // 71 FK
      L"密克罗尼西亚",            // 72 FM
      L"法罗群岛",                // 73 FO
      L"法国",                    // 74 FR
      L"法国本土",                // 75 FX
      L"加蓬",                    // 76 GA
      L"英国",                    // 77 GB
      L"Grenada",                 // 78 GD
      L"Georgia",                 // 79 GE
      L"法属圭亚那",              // 80 GF
      L"加纳",                    // 81 GH
      L"直布罗陀",                // 82 GI
      L"格陵兰",                  // 83 GL
      L"冈比亚",                  // 84 GM
      L"几内亚",                  // 85 GN
      L"瓜德罗普",                // 86 GP
      L"赤道几内亚",              // 87 GQ
      L"希腊",                    // 88 GR
      L"南乔治亚和南桑威奇群岛",  // 89 GS
      L"危地马拉",                // 90 GT
      L"关岛",                    // 91 GU
      L"几内亚比绍",              // 92 GW
      L"圭亚那",                  // 93 GY
      L"香港",                    // 94 HK
      L"赫德岛和麦克唐纳群岛",    // 95 HM
      L"洪都拉斯",                // 96 HN
      L"Croatia",                 // 97 HR
      L"海地",                    // 98 HT
      L"匈牙利",                  // 99 HU
      L"印度尼西亚",              // 100 ID
      L"爱尔兰",                  // 101 IE
      L"以色列",                  // 102 IL
      L"印度",                    // 103 IN
      L"英属印度洋领地",          // 104 IO
      L"Iraq",                    // 105 IQ
      L"伊朗",                    // 106 IR
      L"冰岛",                    // 107 IS
      L"Italy",                   // 108 IT
      L"牙买加",                  // 109 JM
      L"约旦",                    // 110 JO
      L"日本",                    // 111 JP
      L"Kenya",                   // 112 KE
      L"Kyrgyzstan",              // 113 KG
      L"柬埔寨",                  // 114 KH
      L"基里巴斯",                // 115 KI
      L"科摩罗",                  // 116 KM
      L"圣基茨和尼维斯",          // 117 KN
      L"朝鲜",                    // 118 KP
      L"韩国",                    // 119 KR
      L"科威特",                  // 120 KW
      L"开曼群岛",                // 121 KY
      L"Kazakstan",               // 122 KZ
      L"老挝",                    // 123 LA
      L"黎巴嫩",                  // 124 LB
      L"圣卢西亚",                // 125 LC
      L"列支敦士登",              // 126 LI
      L"斯里兰卡",                // 127 LK
      L"Liberia",                 // 128 LR
      L"莱索托",                  // 129 LS
      L"立陶宛",                  // 130 LT
      L"卢森堡",                  // 131 LU
      L"Latvia",                  // 132 LV
      L"利比亚",                  // 133 LY
      L"摩洛哥",                  // 134 MA
      L"摩纳哥",                  // 135 MC
      L"摩尔多瓦",                // 136 MD
      L"马达加斯加",              // 137 MG
      L"马绍尔群岛",              // 138 MH
      L"马其顿",                  // 139 MK
      L"马里",                    // 140 ML
      L"缅甸",                    // 141 MM
      L"蒙古",                    // 142 MN
      L"澳门",                    // 143 MO
      L"北马里亚纳群岛",          // 144 MP
      L"马提尼克",                // 145 MQ
      L"毛里塔尼亚",              // 146 MR
      L"蒙特塞拉特",              // 147 MS
      L"Malta",                   // 148 MT
      L"毛里求斯",                // 149 MU
      L"马尔代夫",                // 150 MV
      L"马拉维",                  // 151 MW
      L"墨西哥",                  // 152 MX
      L"马来西亚",                // 153 MY
      L"莫桑比克",                // 154 MZ
      L"Namibia",                 // 155 NA
      L"新喀里多尼亚",            // 156 NC
      L"Niger",                   // 157 NE
      L"诺福克岛",                // 158 NF
      L"Nigeria",                 // 159 NG
      L"尼加拉瓜",                // 160 NI
      L"荷兰",                    // 161 NL
      L"挪威",                    // 162 NO
      L"Nepal",                   // 163 NP
      L"瑙鲁",                    // 164 NR
      L"纽埃",                    // 165 NU
      L"新西兰",                  // 166 NZ
      L"阿曼",                    // 167 OM
      L"巴拿马",                  // 168 PA
      L"秘鲁",                    // 169 PE
      L"法属波利尼西亚",          // 170 PF
      L"巴布亚新几内亚",          // 171 PG
      L"菲律宾",                  // 172 PH
      L"巴基斯坦",                // 173 PK
      L"波兰",                    // 174 PL
      L"圣皮埃尔和密克隆",        // 175 PM
      L"皮特凯恩群岛",            // 176 PN
      L"波多黎各",                // 177 PR
      L"巴勒斯坦",                // 178 PS
      L"葡萄牙",                  // 179 PT
      L"帕劳",                    // 180 PW
      L"巴拉圭",                  // 181 PY
      L"Qatar",                   // 182 QA
      L"Reunion",                 // 183 RE
      L"Romania",                 // 184 RO
      L"俄罗斯",                  // 185 RU
      L"卢旺达",                  // 186 RW
      L"沙特阿拉伯",              // 187 SA
      L"所罗门群岛",              // 188 SB
      L"塞舌尔",                  // 189 SC
      L"苏丹",                    // 190 SD
      L"瑞典",                    // 191 SE
      L"新加坡",                  // 192 SG
      L"圣赫勒拿",                // 193 SH
      L"Slovenia",                // 194 SI
      L"斯瓦尔巴和扬马延",        // 195 SJ
      L"斯洛伐克",                // 196 SK
      L"塞拉利昂",                // 197 SL
      L"圣马力诺",                // 198 SM
      L"Senegal",                 // 199 SN
      L"索马里",                  // 200 SO
      L"苏里南",                  // 201 SR
      L"圣多美和普林西比",        // 202 ST
      L"萨尔瓦多",                // 203 SV
      L"叙利亚",                  // 204 SY
      L"斯威士兰",                // 205 SZ
      L"特克斯和凯科斯群岛",      // 206 TC
      L"乍得",                    // 207 TD
      L"法属南部领地",            // 208 TF
      L"多哥",                    // 209 TG
      L"泰国",                    // 210 TH
      L"塔吉克斯坦",              // 211 TJ
      L"托克劳",                  // 212 TK
      L"土库曼斯坦",              // 213 TM
      L"突尼斯",                  // 214 TN
      L"汤加",                    // 215 TO
      L"东帝汶",                  // 216 TL
      L"土耳其",                  // 217 TR
      L"特立尼达和多巴哥",        // 218 TT
      L"图瓦卢",                  // 219 TV
      L"台湾",                    // 220 TW
      L"坦桑尼亚",                // 221 TZ
      L"乌克兰",                  // 222 UA
      L"乌干达",                  // 223 UG
      L"美国本土外小岛屿",        // 224 UM
      L"美国",                    // 225 US
      L"乌拉圭",                  // 226 UY
      L"Uzbekistan",              // 227 UZ
      L"梵蒂冈",                  // 228 VA
      L"圣文森特和格林纳丁斯",    // 229 VC
      L"委内瑞拉",                // 230 VE
      L"英属维尔京群岛",          // 231 VG
      L"美属维尔京群岛",          // 232 VI
      L"越南",                    // 233 VN
      L"Vanuatu",                 // 234 VU
      L"Wallis and Futuna",       // 235 WF
      L"Samoa",                   // 236 WS
      L"也门",                    // 237 YE
      L"Mayotte",                 // 238 YT
      L"Serbia",                  // 239 RS
      L"南非",                    // 240 ZA
      L"赞比亚",                  // 241 ZM
      L"黑山",                    // 242 ME
      L"津巴布韦",                // 243 ZW
      L"匿名代理",                // 244 A1
      L"卫星供应商",              // 245 A2
      L"其它",                    // 246 O1
      L"奥兰群岛",                // 247 AX
      L"根西岛",                  // 248 GG
      L"马恩岛",                  // 249 IM
      L"泽西岛",                  // 250 JE
      L"圣巴泰勒米",              // 251 BL
      L"法属圣马丁",              // 252 MF
  };
  return kNames;
}

const std::array<const wchar_t*, kCountryCount>& CountryCodes() {
  // clang-format off
  static constexpr std::array<const wchar_t*, kCountryCount> kCodes = {
      L"--", L"AP", L"EU", L"AD", L"AE", L"AF", L"AG", L"AI", L"AL", L"AM", L"AN", L"AO",  // 0
      L"AQ", L"AR", L"AS", L"AT", L"AU", L"AW", L"AZ", L"BA", L"BB", L"BD", L"BE", L"BF",  // 12
      L"BG", L"BH", L"BI", L"BJ", L"BM", L"BN", L"BO", L"BR", L"BS", L"BT", L"BV", L"BW",  // 24
      L"BY", L"BZ", L"CA", L"CC", L"CD", L"CF", L"CG", L"CH", L"CI", L"CK", L"CL", L"CM",  // 36
      L"CN", L"CO", L"CR", L"CU", L"CV", L"CX", L"CY", L"CZ", L"DE", L"DJ", L"DK", L"DM",  // 48
      L"DO", L"DZ", L"EC", L"EE", L"EG", L"EH", L"ER", L"ES", L"ET", L"FI", L"FJ", L"FK",  // 60
      L"FM", L"FO", L"FR", L"FX", L"GA", L"GB", L"GD", L"GE", L"GF", L"GH", L"GI", L"GL",  // 72
      L"GM", L"GN", L"GP", L"GQ", L"GR", L"GS", L"GT", L"GU", L"GW", L"GY", L"HK", L"HM",  // 84
      L"HN", L"HR", L"HT", L"HU", L"ID", L"IE", L"IL", L"IN", L"IO", L"IQ", L"IR", L"IS",  // 96
      L"IT", L"JM", L"JO", L"JP", L"KE", L"KG", L"KH", L"KI", L"KM", L"KN", L"KP", L"KR",  // 108
      L"KW", L"KY", L"KZ", L"LA", L"LB", L"LC", L"LI", L"LK", L"LR", L"LS", L"LT", L"LU",  // 120
      L"LV", L"LY", L"MA", L"MC", L"MD", L"MG", L"MH", L"MK", L"ML", L"MM", L"MN", L"MO",  // 132
      L"MP", L"MQ", L"MR", L"MS", L"MT", L"MU", L"MV", L"MW", L"MX", L"MY", L"MZ", L"NA",  // 144
      L"NC", L"NE", L"NF", L"NG", L"NI", L"NL", L"NO", L"NP", L"NR", L"NU", L"NZ", L"OM",  // 156
      L"PA", L"PE", L"PF", L"PG", L"PH", L"PK", L"PL", L"PM", L"PN", L"PR", L"PS", L"PT",  // 168
      L"PW", L"PY", L"QA", L"RE", L"RO", L"RU", L"RW", L"SA", L"SB", L"SC", L"SD", L"SE",  // 180
      L"SG", L"SH", L"SI", L"SJ", L"SK", L"SL", L"SM", L"SN", L"SO", L"SR", L"ST", L"SV",  // 192
      L"SY", L"SZ", L"TC", L"TD", L"TF", L"TG", L"TH", L"TJ", L"TK", L"TM", L"TN", L"TO",  // 204
      L"TL", L"TR", L"TT", L"TV", L"TW", L"TZ", L"UA", L"UG", L"UM", L"US", L"UY", L"UZ",  // 216
      L"VA", L"VC", L"VE", L"VG", L"VI", L"VN", L"VU", L"WF", L"WS", L"YE", L"YT", L"RS",  // 228
      L"ZA", L"ZM", L"ME", L"ZW", L"A1", L"A2", L"O1", L"AX", L"GG", L"IM", L"JE", L"BL",  // 240
      L"MF",  // 252
  };
  // clang-format on
  return kCodes;
}

int CountryFlagIndex(const std::wstring& code) {
  std::wstring key = code;
  for (wchar_t& c : key)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  for (size_t i = 0; i < kFlagKeys.size(); ++i)
    if (key == kFlagKeys[i]) return static_cast<int>(i);
  if (key == L"localhost") return kFlagLocalHost;
  if (key == L"eu") return kFlagEurope;
  if (key == L"rs") return kFlagSerbia;
  return kFlagUnknown;
}

}  // namespace kestro
