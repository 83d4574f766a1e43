// The WHOIS exchange against real servers on the loopback address.

#include <gtest/gtest.h>

#include <ws2tcpip.h>

#include <optional>
#include <thread>

#include "support/WhoisPeer.h"
#include "net/GeoLocationPage.h"
#include "net/Whois.h"
#include "win/SystemError.h"

namespace kestro::test {
namespace {

// Short enough that the failing cases end quickly; ample for those that answer.
constexpr WhoisTimeouts kShort = {2'000, 1'500};
constexpr WhoisTimeouts kAmple = {10'000, 10'000};

// "中文" in code page 936.
const std::string kChineseBytes = "\xD6\xD0\xCE\xC4";

std::optional<SystemError> FailureOf(const std::wstring& server, const std::wstring& query,
                                     const WhoisTimeouts& timeouts = kShort,
                                     HANDLE cancel = nullptr) {
  try {
    std::wstring answer = QueryWhois(server, query, timeouts, cancel);
    ADD_FAILURE() << "answered: " << testing::PrintToString(answer);
  } catch (const SystemError& e) {
    return e;
  }
  return std::nullopt;
}

TEST(WhoisExchange, SendsTheTrimmedQueryAndCrLf) {
  WhoisPeer peer({{"ok\n"}});
  struct Case {
    std::wstring server;
    std::wstring query;
    std::string sent;
  };
  const Case cases[] = {
      {peer.Server(), L"  10.0.0.1 ", "10.0.0.1\r\n"},
      {peer.Server(), L"\t[2001:db8::1]\r\n", "[2001:db8::1]\r\n"},
      {peer.Server(), L"host.example.net", "host.example.net\r\n"},
      // The server text is trimmed too, as typed into the box.
      {L" " + peer.Server() + L" ", L"192.0.2.7", "192.0.2.7\r\n"},
      // A name with several addresses: each is tried until one connects.
      {L"localhost:" + std::to_wstring(peer.Port()), L"198.51.100.1", "198.51.100.1\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(QueryWhois(c.server, c.query, kAmple), L"ok\n");
  ASSERT_TRUE(peer.WaitForQueries(std::size(cases), 5'000));
  std::vector<std::string> sent;
  for (const Case& c : cases) sent.push_back(c.sent);
  EXPECT_EQ(peer.Queries(), sent);
}

TEST(WhoisExchange, ReturnsTheAnswerAsItCame) {
  const std::string lines =
      "% This is the RIPE Database query service.\r\n"
      "\r\n"
      "inetnum:        10.0.0.0 - 10.255.255.255\n"
      "descr:          " +
      kChineseBytes +
      "\r\n"
      "  continued\tline\r\n"
      "no line break at the end";
  const std::wstring expected =
      L"% This is the RIPE Database query service.\r\n"
      L"\r\n"
      L"inetnum:        10.0.0.0 - 10.255.255.255\n"
      L"descr:          中文\r\n"
      L"  continued\tline\r\n"
      L"no line break at the end";

  WhoisPeer whole({{lines}});
  EXPECT_EQ(QueryWhois(whole.Server(), L"10.0.0.1", kAmple), expected);

  // Many small pieces with pauses, a Chinese character split between two.
  std::vector<std::string> pieces;
  for (size_t at = 0, size = 1; at < lines.size(); at += size, size = size % 7 + 1)
    pieces.push_back(lines.substr(at, size));
  WhoisPeer piecemeal({pieces, 5});
  EXPECT_EQ(QueryWhois(piecemeal.Server(), L"10.0.0.1", kAmple), expected);

  // More than one read's worth.
  std::string large;
  for (int i = 0; large.size() < 100'000; ++i) large += "line " + std::to_string(i) + "\r\n";
  WhoisPeer big({{large}});
  EXPECT_EQ(QueryWhois(big.Server(), L"10.0.0.1", kAmple),
            std::wstring(large.begin(), large.end()));
}

TEST(WhoisExchange, APeerThatClosesAtOnceGivesAnEmptyAnswer) {
  WhoisPeer peer({});
  EXPECT_EQ(QueryWhois(peer.Server(), L"10.0.0.1", kAmple), L"");
  EXPECT_TRUE(peer.WaitForClientCloses(1, 5'000));
}

TEST(WhoisExchange, APeerThatNeverAnswersEndsWithTheNoAnswerText) {
  // Silent from the start, and silent after a first line.
  for (const std::vector<std::string>& said : {std::vector<std::string>{}, {"% partial\r\n"}}) {
    WhoisPeer peer({said, 0, PeerScript::End::Hold});
    std::optional<SystemError> failure = FailureOf(peer.Server(), L"10.0.0.1");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message(), kWhoisNoAnswer);
    // The connection is closed on that path too.
    EXPECT_TRUE(peer.WaitForClientCloses(1, 5'000));
  }
}

// Whether this Winsock tells a reset connection from an orderly end once the
// reset has arrived; Wine 8 reports the end only.
bool ReportsResets(const WhoisPeer& peer) {
  UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(peer.Port());
  if (connect(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  send(s.get(), "probe\r\n", 7, 0);
  Sleep(200);  // the reset arrives before the answer is read, as it may in the exchange
  char buffer[512];
  int received;
  while ((received = recv(s.get(), buffer, sizeof buffer, 0)) > 0) {
  }
  return received == SOCKET_ERROR;
}

TEST(WhoisExchange, ABrokenConnectionIsAnErrorNotAPartialAnswer) {
  WhoisPeer peer({{"% partial\r\n"}, 0, PeerScript::End::Reset});
  if (!ReportsResets(peer))
    GTEST_SKIP() << "this Winsock reports a reset connection as an orderly end";
  std::optional<SystemError> failure = FailureOf(peer.Server(), L"10.0.0.1");
  ASSERT_TRUE(failure);
  EXPECT_TRUE(failure->code() == WSAECONNRESET || failure->code() == WSAECONNABORTED)
      << failure->code();
  EXPECT_EQ(failure->message(), SystemMessage(failure->code()));
}

TEST(WhoisExchange, ARefusedConnectionCarriesTheSystemText) {
  std::optional<SystemError> failure =
      FailureOf(L"127.0.0.1:" + std::to_wstring(UnusedPort()), L"10.0.0.1");
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code(), static_cast<DWORD>(WSAECONNREFUSED));
  EXPECT_EQ(failure->message(), SystemMessage(WSAECONNREFUSED));
}

TEST(WhoisExchange, AServerNameThatDoesNotResolveCarriesTheSystemText) {
  // A label longer than 63 characters is refused before any query leaves the machine.
  const std::wstring tooLong = std::wstring(64, L'x') + L".invalid";
  for (const std::wstring& server : {std::wstring(), std::wstring(L"   "), tooLong}) {
    std::optional<SystemError> failure = FailureOf(server, L"10.0.0.1");
    ASSERT_TRUE(failure) << testing::PrintToString(server);
    EXPECT_NE(failure->code(), 0u);
    EXPECT_EQ(failure->message(), SystemMessage(failure->code()));
  }
}

TEST(WhoisExchange, TalksToAnIPv6Server) {
  std::optional<WhoisPeer> peer;
  try {
    peer.emplace(PeerScript{{"v6 answer\r\n"}}, AF_INET6);
  } catch (const std::runtime_error& e) {
    GTEST_SKIP() << "no IPv6 loopback here: " << e.what();
  }
  EXPECT_EQ(QueryWhois(peer->Server(), L" [2001:db8::1] ", kAmple), L"v6 answer\r\n");
  ASSERT_TRUE(peer->WaitForQueries(1, 5'000));
  EXPECT_EQ(peer->Queries(), std::vector<std::string>{"[2001:db8::1]\r\n"});
}

TEST(WhoisExchange, AConnectionThatIsNeverAcceptedEndsWithTheNoAnswerText) {
  // A listener whose backlog is full lets further connection requests wait
  // unanswered, as an unreachable server does.
  USHORT port = 0;
  UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener.get(), 1), 0);
  ASSERT_EQ(getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
  port = ntohs(address.sin_port);

  std::vector<UniqueSocket> fillers;
  bool waiting = false;
  while (!waiting && fillers.size() < 16) {
    UniqueSocket filler(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    u_long nonBlocking = 1;
    ioctlsocket(filler.get(), FIONBIO, &nonBlocking);
    connect(filler.get(), reinterpret_cast<sockaddr*>(&address), length);
    fd_set done;
    FD_ZERO(&done);
    FD_SET(filler.get(), &done);
    timeval pause = {0, 300'000};
    waiting = select(0, nullptr, &done, nullptr, &pause) == 0;
    fillers.push_back(std::move(filler));
  }
  if (!waiting) GTEST_SKIP() << "this network stack completes every connection to a full backlog";

  std::optional<SystemError> failure =
      FailureOf(L"127.0.0.1:" + std::to_wstring(port), L"10.0.0.1", {300, 60'000});
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message(), kWhoisNoAnswer);
}

TEST(WhoisExchange, EndsAtOnceWhenCancelled) {
  WhoisPeer peer({{}, 0, PeerScript::End::Hold});
  UniqueHandleNull cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread canceller([&] {
    if (peer.WaitForQueries(1, 10'000)) SetEvent(cancel.get());
  });
  // Time-outs that never pass in a test run: only the cancel event ends this.
  std::optional<SystemError> failure =
      FailureOf(peer.Server(), L"10.0.0.1", {INFINITE - 1, INFINITE - 1}, cancel.get());
  canceller.join();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code(), static_cast<DWORD>(ERROR_CANCELLED));
  EXPECT_TRUE(peer.WaitForClientCloses(1, 5'000));
}

TEST(LookupTexts, KeepTheAddressTextAsGiven) {
  struct Case {
    std::wstring address;
    std::wstring page;
    std::wstring whoisCaption;
    std::wstring geoCaption;
  };
  const std::wstring site = kGeoLocationSite;
  const Case cases[] = {
      {L"203.0.113.9", site + L"/?IP=203.0.113.9", L"Whois IP - 203.0.113.9",
       L"GeoIP Tool - 203.0.113.9"},
      {L"[2001:db8::1] ", site + L"/?IP=[2001:db8::1] ", L"Whois IP - [2001:db8::1] ",
       L"GeoIP Tool - [2001:db8::1] "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GeoLocationPageAddress(c.address), c.page);
    EXPECT_EQ(WhoisCaption(c.address), c.whoisCaption);
    EXPECT_EQ(GeoLocationCaption(c.address), c.geoCaption);
  }
  EXPECT_TRUE(site.starts_with(L"https://") && !site.ends_with(L"/")) << site;
}

}  // namespace
}  // namespace kestro::test
