#include "net/NetUtils.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

// ntdll's IPv6 text converter; mingw's mstcpip.h declares it without C linkage.
extern "C" PWSTR NTAPI RtlIpv6AddressToStringW(const IN6_ADDR* address, PWSTR text);

namespace kestro {

const std::wstring& TcpStateNames(DWORD state) {
  static const std::array<std::wstring, 12> kNames = {
      L"关闭",     L"监听",     L"请求连接", L"连接同步", L"建立",     L"FIN等待1",
      L"FIN等待2", L"关闭等待", L"关闭",     L"最后确认", L"等待时间", L"删除连接"};
  static const std::wstring kNone;
  if (state < 1 || state > kNames.size()) return kNone;
  return kNames[state - 1];
}

std::wstring IPv4ToStr(uint32_t address) {
  const auto* b = reinterpret_cast<const uint8_t*>(&address);
  wchar_t text[16];
  swprintf(text, 16, L"%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

std::wstring AddressToStr(const EndpointAddress& address, bool withScope) {
  if (address.family == AF_INET) return IPv4ToStr(address.ipv4OrFlowInfo);
  IN6_ADDR in6;
  std::memcpy(&in6, address.ipv6, sizeof in6);
  wchar_t text[64] = {};
  if (RtlIpv6AddressToStringW(&in6, text) == nullptr) return {};
  std::wstring result = text;
  if (withScope && address.scopeId != 0) result += L"%" + std::to_wstring(address.scopeId);
  return result;
}

std::wstring PrefixLengthToMask(unsigned prefixLength) {
  uint32_t mask = 0;
  if (prefixLength >= 32)
    mask = 0xFFFFFFFFu;
  else if (prefixLength > 0)
    mask = ~((1u << (32 - prefixLength)) - 1);
  wchar_t text[16];
  swprintf(text, 16, L"%u.%u.%u.%u", (mask >> 24) & 0xFF, (mask >> 16) & 0xFF, (mask >> 8) & 0xFF,
           mask & 0xFF);
  return text;
}

bool IsUnspecifiedAddress(const EndpointAddress& address) {
  if (address.family == AF_INET) return address.ipv4OrFlowInfo == 0;
  for (uint8_t b : address.ipv6)
    if (b != 0) return false;
  return true;
}

std::wstring MacAddressToStr(const uint8_t* a) {
  wchar_t text[18];
  swprintf(text, 18, L"%2.2X-%2.2X-%2.2X-%2.2X-%2.2X-%2.2X", a[0], a[1], a[2], a[3], a[4], a[5]);
  return text;
}

std::wstring IntToStrThousands(int64_t value) {
  wchar_t separator = L',';
  wchar_t locale[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, locale, 4) > 1 && locale[0] != 0)
    separator = locale[0];
  std::wstring text = std::to_wstring(value);
  const size_t firstDigit = value < 0 ? 1 : 0;  // 0-based
  // Insert before every third digit counted from the right.
  for (size_t i = text.size(); i > firstDigit + 3; i -= 3) text.insert(i - 3, 1, separator);
  return text;
}

bool GetFileVersionStrings(const std::wstring& path, std::wstring& version, std::wstring& build) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<uint8_t> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof(VS_FIXEDFILEINFO))
    return false;
  version = std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." +
            std::to_wstring(LOWORD(info->dwFileVersionMS));
  build = std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
          std::to_wstring(LOWORD(info->dwFileVersionLS));
  return true;
}

}  // namespace kestro
