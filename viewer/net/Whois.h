#pragma once
// The WHOIS exchange of RFC 3912: one query over TCP, and as the answer
// everything the server sends until it closes the connection. Both the
// connection and the answer are bounded in time, so that a server that accepts
// and stays silent cannot hold its caller for ever, and a waiting exchange ends
// at once when its cancel event is set.

#include <windows.h>

#include <string>
#include <string_view>

namespace kestro {

// The servers offered for lookups: the American and the European regional
// Internet registries; the European one is the initial choice.
inline constexpr const wchar_t* kWhoisServers[] = {L"whois.arin.net", L"whois.ripe.net"};
inline constexpr const wchar_t* kInitialWhoisServer = kWhoisServers[1];
inline constexpr wchar_t kWhoisPort[] = L"43";

// The error text when the server does not connect or finish its answer in time.
// No closing mark: the error box adds the full stop.
inline constexpr wchar_t kWhoisNoAnswer[] = L"WHOIS 服务器没有应答";

struct WhoisTimeouts {
  DWORD connectMs = 10'000;  // for each address of the server
  DWORD answerMs = 20'000;   // from the connection until the server has closed it
};

// Sends `query`, with leading and trailing blanks removed, and CR LF to
// `server` and returns the whole answer as it came, line breaks included,
// decoded from code page 936.
//
// `server` is a host name or a numeric address, IPv4 or IPv6, optionally with
// a port: "host:port", "[IPv6 address]:port"; without one the port is 43. Each
// address of the name is tried in turn. A server that closes without a word
// gives an empty answer.
//
// Throws SystemError: the system's text for a name that does not resolve or a
// connection that fails or breaks, kWhoisNoAnswer when a time-out passes, and
// ERROR_CANCELLED when `cancel` (a manual-reset event, or null) is set.
std::wstring QueryWhois(std::wstring_view server, std::wstring_view query,
                        const WhoisTimeouts& timeouts = {}, HANDLE cancel = nullptr);

// The WHOIS window's caption for a lookup of `addressText`, kept as given.
std::wstring WhoisCaption(std::wstring_view addressText);

}  // namespace kestro
