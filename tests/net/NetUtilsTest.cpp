#include <gtest/gtest.h>

#include "net/NetUtils.h"

#include <ws2tcpip.h>

namespace kestro {
namespace {

EndpointAddress V4(const char* text) {
  EndpointAddress a{};
  a.family = AF_INET;
  inet_pton(AF_INET, text, &a.ipv4OrFlowInfo);
  return a;
}

EndpointAddress V6(const char* text, uint32_t scope = 0) {
  EndpointAddress a{};
  a.family = AF_INET6;
  inet_pton(AF_INET6, text, a.ipv6);
  a.scopeId = scope;
  return a;
}

TEST(NetUtils, Ipv4TextIsLowestByteFirst) {
  EXPECT_EQ(IPv4ToStr(0x0100007F), L"127.0.0.1");
  EXPECT_EQ(IPv4ToStr(0), L"0.0.0.0");
  EXPECT_EQ(IPv4ToStr(0xFFFFFFFF), L"255.255.255.255");
  EXPECT_EQ(AddressToStr(V4("192.168.10.200"), true), L"192.168.10.200");
}

TEST(NetUtils, Ipv6TextAndScope) {
  struct Case {
    EndpointAddress address;
    bool withScope;
    const wchar_t* text;
  } cases[] = {
      {V6("fe80::1", 11), true, L"fe80::1%11"},
      {V6("fe80::1", 11), false, L"fe80::1"},
      {V6("2001:db8::1", 0), true, L"2001:db8::1"},  // scope 0: never a suffix
      {V6("::"), false, L"::"},
      {V6("::1"), false, L"::1"},
      {V6("2001:db8:0:0:1:0:0:1"), false, L"2001:db8::1:0:0:1"},
  };
  for (const auto& c : cases) EXPECT_EQ(AddressToStr(c.address, c.withScope), c.text);
  // Any family other than 2 is IPv6.
  EndpointAddress odd = V6("::1");
  odd.family = 99;
  EXPECT_EQ(AddressToStr(odd, false), L"::1");
}

TEST(NetUtils, PrefixLengthToMask) {
  struct Case {
    unsigned length;
    const wchar_t* mask;
  } cases[] = {{0, L"0.0.0.0"},         {1, L"128.0.0.0"},        {8, L"255.0.0.0"},
               {24, L"255.255.255.0"},  {25, L"255.255.255.128"}, {31, L"255.255.255.254"},
               {32, L"255.255.255.255"}};
  for (const auto& c : cases) EXPECT_EQ(PrefixLengthToMask(c.length), c.mask) << c.length;
}

TEST(NetUtils, IsUnspecifiedAddress) {
  EXPECT_TRUE(IsUnspecifiedAddress(V4("0.0.0.0")));
  EXPECT_FALSE(IsUnspecifiedAddress(V4("0.0.0.1")));
  EXPECT_TRUE(IsUnspecifiedAddress(V6("::", 7)));  // scope does not count
  EXPECT_FALSE(IsUnspecifiedAddress(V6("::1")));
}

TEST(NetUtils, MacAddressIsUpperCaseAndIgnoresExtraBytes) {
  const uint8_t mac[8] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e, 0xff, 0xee};
  EXPECT_EQ(MacAddressToStr(mac), L"00-1A-2B-3C-4D-5E");
}

TEST(NetUtils, IntToStrThousandsGroupsWithLocaleSeparator) {
  wchar_t sep[4] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, sep, 4);
  const std::wstring s = sep[0] ? std::wstring(1, sep[0]) : L",";
  struct Case {
    int64_t value;
    std::wstring text;
  } cases[] = {
      {0, L"0"},
      {999, L"999"},
      {-999, L"-999"},
      {1000, L"1" + s + L"000"},
      {-1234, L"-1" + s + L"234"},
      {-100000, L"-100" + s + L"000"},
      {1234567, L"1" + s + L"234" + s + L"567"},
      {5000000000LL, L"5" + s + L"000" + s + L"000" + s + L"000"},
      {INT64_MIN,
       L"-9" + s + L"223" + s + L"372" + s + L"036" + s + L"854" + s + L"775" + s + L"808"},
  };
  for (const auto& c : cases) EXPECT_EQ(IntToStrThousands(c.value), c.text) << c.value;
}

TEST(NetUtils, TcpStateNames) {
  EXPECT_EQ(TcpStateNames(kTcpEstablished), L"建立");
  EXPECT_EQ(TcpStateNames(kTcpListen), L"监听");
  EXPECT_EQ(TcpStateNames(kTcpTimeWait), L"等待时间");
  EXPECT_EQ(TcpStateNames(kTcpDeleteTcb), L"删除连接");
  EXPECT_EQ(TcpStateNames(kTcpClosing), TcpStateNames(kTcpClosed));
  EXPECT_EQ(TcpStateNames(0), L"");
  EXPECT_EQ(TcpStateNames(13), L"");
}

TEST(NetUtils, FileVersionStrings) {
  std::wstring version = L"old", build = L"old";
  // A file without a version resource leaves both texts as they were.
  EXPECT_FALSE(GetFileVersionStrings(L"C:\\no\\such\\file.exe", version, build));
  EXPECT_EQ(version, L"old");
  EXPECT_EQ(build, L"old");
  // Wine's own system DLLs carry a version resource.
  wchar_t path[MAX_PATH];
  GetSystemDirectoryW(path, MAX_PATH);
  std::wstring kernel = std::wstring(path) + L"\\kernel32.dll";
  ASSERT_TRUE(GetFileVersionStrings(kernel, version, build));
  EXPECT_NE(version.find(L'.'), std::wstring::npos);
  EXPECT_NE(build.find(L'.'), std::wstring::npos);
}

}  // namespace
}  // namespace kestro
