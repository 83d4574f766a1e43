// The address texts of the connection view, numeric and with names.
#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <cstring>
#include <map>

#include "support/MessageLoop.h"
#include "support/ScriptedNameService.h"
#include "net/EndpointText.h"

namespace kestro {
namespace {

using test::ScriptedNameService;

// One endpoint built from its text form, as a table row would give it.
struct Endpoint {
  int family = AF_INET;
  uint8_t bytes[16] = {};
  DWORD portField = 0;
  DWORD scopeId = 0;
  bool local = false;

  Endpoint(const char* address, u_short port, bool isLocal = false, DWORD scope = 0) {
    family = strchr(address, ':') ? AF_INET6 : AF_INET;
    inet_pton(family, address, bytes);
    portField = htons(port);
    scopeId = scope;
    local = isLocal;
  }
  EndpointAddressText Text(NameLookupState* lookup = nullptr, RowId row = 0) const {
    return {family, portField, bytes, scopeId, local, lookup, row};
  }
};

class EndpointTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The completion does what the connection view does with a finished lookup.
    resolver.SetCompletion([this](RowId row, int code, const std::wstring& name) {
      auto state = states.find(row);
      if (state != states.end()) state->second.Complete(code, name);
    });
  }
  void TearDown() override {
    service->Release();
    EXPECT_TRUE(test::WaitForLookupThreads(5000));
  }
  bool Finished(RowId row) {
    return test::PumpUntil([&] { return !states[row].Running(); }, 5000);
  }

  std::shared_ptr<ScriptedNameService> service = std::make_shared<ScriptedNameService>();
  NameResolver resolver{service};
  std::map<RowId, NameLookupState> states;
};

TEST_F(EndpointTextTest, NumericTexts) {
  struct Case {
    Endpoint endpoint;
    const wchar_t* cell;
    const wchar_t* balloon;
    const wchar_t* host;
  } cases[] = {
      {{"192.0.2.10", 80, true}, L"192.0.2.10 :80", L"192.0.2.10 端口：80", L"192.0.2.10"},
      {{"203.0.113.7", 443}, L"203.0.113.7 :443", L"203.0.113.7 端口：443", L"203.0.113.7"},
      // A listening socket's remote side reads as port 0; its local side keeps its port.
      {{"0.0.0.0", 5555}, L"0.0.0.0 :0", L"0.0.0.0 端口：0", L"0.0.0.0"},
      {{"0.0.0.0", 135, true}, L"0.0.0.0 :135", L"0.0.0.0 端口：135", L"0.0.0.0"},
      {{"2001:db8::1", 25}, L"[2001:db8::1] :25", L"[2001:db8::1] 端口：25", L"[2001:db8::1]"},
      {{"::", 7}, L"[::] :0", L"[::] 端口：0", L"[::]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.endpoint.family << " " << c.endpoint.portField);
    EndpointAddressText text = c.endpoint.Text();
    EXPECT_EQ(FormatEndpointCell(resolver, false, text), c.cell);
    EXPECT_EQ(FormatEndpointBalloon(resolver, false, text), c.balloon);
    EXPECT_EQ(FormatEndpointHost(resolver, false, text), c.host);
  }
}

TEST_F(EndpointTextTest, TheScopeIdReachesTheNumericText) {
  // The system names the scope (Windows by number, Wine by interface name).
  const std::wstring cell =
      FormatEndpointCell(resolver, false, Endpoint("fe80::1", 22, false, 1).Text());
  EXPECT_EQ(cell.rfind(L"[fe80::1%", 0), 0u) << cell;
  EXPECT_EQ(cell.substr(cell.size() - 5), L"] :22") << cell;
}

TEST_F(EndpointTextTest, OnlyTheLowSixteenBitsOfThePortFieldCount) {
  Endpoint endpoint("198.51.100.1", 8080);
  endpoint.portField |= 0xBEEF0000;
  EXPECT_EQ(FormatEndpointCell(resolver, false, endpoint.Text()), L"198.51.100.1 :8080");
}

TEST_F(EndpointTextTest, AnAddressTheSystemCannotConvertReadsAsQuestionMark) {
  Endpoint endpoint("198.51.100.1", 80);
  endpoint.family = 99;  // no such address family
  for (bool byName : {false, true}) {
    EXPECT_EQ(FormatEndpointCell(resolver, byName, endpoint.Text()), L"?");
    EXPECT_EQ(FormatEndpointBalloon(resolver, byName, endpoint.Text()), L"?");
    EXPECT_EQ(FormatEndpointHost(resolver, byName, endpoint.Text()), L"?");
  }
}

TEST_F(EndpointTextTest, NameDisplayShowsTheLocalHostNameAndServiceNames) {
  struct Case {
    Endpoint endpoint;
    const wchar_t* cell;
  } cases[] = {
      // Local addresses, loopback included, whatever their value.
      {{"127.0.0.1", 25, true}, L"test-host :smtp"},
      {{"192.0.2.10", 80, true}, L"test-host :http"},
      {{"::1", 443, true}, L"test-host :https"},
      // Unspecified remote addresses: the listening socket's remote side.
      {{"0.0.0.0", 80}, L"test-host :0"},
      {{"::", 80}, L"test-host :0"},
      // No service name: the number stays.
      {{"192.0.2.10", 61999, true}, L"test-host :61999"},
      // A remote endpoint without a row state (a UDP row) stays numeric.
      {{"203.0.113.7", 21}, L"203.0.113.7 :ftp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatEndpointCell(resolver, true, c.endpoint.Text()), c.cell);
  }
  EXPECT_EQ(FormatEndpointBalloon(resolver, true, Endpoint("127.0.0.1", 25, true).Text()),
            L"test-host 端口：smtp");
  EXPECT_EQ(FormatEndpointHost(resolver, true, Endpoint("127.0.0.1", 25, true).Text()),
            L"test-host");
  EXPECT_EQ(service->ReverseCalls(), 0);
}

TEST_F(EndpointTextTest, ARowAsksForItsRemoteNameOnceAndThenReusesIt) {
  service->Script(L"2001:db8::1", {0, L"mail.example"});
  service->Hold();
  Endpoint remote("2001:db8::1", 25);
  NameLookupState& state = states[7];
  EXPECT_EQ(FormatEndpointCell(resolver, true, remote.Text(&state, 7)), L"[2001:db8::1] :smtp");
  EXPECT_TRUE(state.Running());
  // The cell, the hidden host and the balloon all ask while the lookup runs.
  EXPECT_EQ(FormatEndpointHost(resolver, true, remote.Text(&state, 7)), L"[2001:db8::1]");
  EXPECT_EQ(FormatEndpointBalloon(resolver, true, remote.Text(&state, 7)),
            L"[2001:db8::1] 端口：smtp");
  ASSERT_TRUE(service->WaitForReverseCalls(1, 5000));
  service->Release();
  ASSERT_TRUE(Finished(7));
  EXPECT_EQ(state.name, L"mail.example");
  EXPECT_EQ(state.resultCode, 0);
  EXPECT_EQ(FormatEndpointCell(resolver, true, remote.Text(&state, 7)), L"mail.example :smtp");
  EXPECT_EQ(FormatEndpointHost(resolver, true, remote.Text(&state, 7)), L"mail.example");
  // Name display off: numbers again, the name stays in the record.
  EXPECT_EQ(FormatEndpointCell(resolver, false, remote.Text(&state, 7)), L"[2001:db8::1] :25");
  EXPECT_EQ(service->ReverseCalls(), 1);
}

TEST_F(EndpointTextTest, AFailedLookupIsNeverRetried) {
  service->Script(L"203.0.113.9", {WSANO_DATA, L""});
  Endpoint remote("203.0.113.9", 80);
  NameLookupState& state = states[3];
  FormatEndpointCell(resolver, true, remote.Text(&state, 3));
  ASSERT_TRUE(Finished(3));
  EXPECT_EQ(state.resultCode, WSANO_DATA);
  EXPECT_TRUE(state.name.empty());
  for (bool byName : {false, true, false, true})
    EXPECT_EQ(FormatEndpointCell(resolver, byName, remote.Text(&state, 3)),
              byName ? L"203.0.113.9 :http" : L"203.0.113.9 :80");
  EXPECT_FALSE(state.Running());
  EXPECT_EQ(service->ReverseCalls(), 1);
}

TEST(WinsockNameService, AnswersLikeGetnameinfoAndGethostname) {
  WinsockNameService winsock;
  std::wstring name;
  EXPECT_EQ(winsock.QueryHostName(name), 0);
  EXPECT_FALSE(name.empty());

  Endpoint loopback("127.0.0.1", 25);
  EndpointAddress address = {};
  address.family = AF_INET;
  address.port = static_cast<uint16_t>(loopback.portField);
  std::memcpy(&address.ipv4OrFlowInfo, loopback.bytes, 4);
  std::wstring host = L"unchanged", service = L"unchanged";
  EXPECT_EQ(winsock.QueryNameInfo(address, NI_NUMERICHOST | NI_NUMERICSERV, &host, &service), 0);
  EXPECT_EQ(host, L"127.0.0.1");
  EXPECT_EQ(service, L"25");
  EXPECT_EQ(winsock.QueryNameInfo(address, 0, nullptr, &service), 0);
  EXPECT_EQ(service, L"smtp");
  // The machine's own resolver names the loopback address.
  host.clear();
  EXPECT_EQ(winsock.QueryNameInfo(address, NI_NAMEREQD, &host, nullptr), 0);
  EXPECT_FALSE(host.empty());

  address.family = 99;
  host = L"unchanged";
  EXPECT_NE(winsock.QueryNameInfo(address, NI_NUMERICHOST, &host, nullptr), 0);
  EXPECT_EQ(host, L"unchanged");
}

TEST(ResolvedCellText, KeepsTheServiceFromTheLastColon) {
  EXPECT_EQ(ResolvedCellText(L"[2001:db8::1] :smtp", L"mail.example"), L"mail.example:smtp");
  EXPECT_EQ(ResolvedCellText(L"203.0.113.7 :443", L"www.example"), L"www.example:443");
}

}  // namespace
}  // namespace kestro
