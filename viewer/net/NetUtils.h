#pragma once
// Display texts of the raw values of the network stack: addresses, masks,
// hardware addresses, grouped counters, TCP states and file versions.

#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace kestro {

// The socket address of one endpoint, laid out exactly like the platform's
// SOCKADDR_INET (sockaddr_in / sockaddr_in6), so that a row of the newer IP
// Helper tables can be read in place. Family 2 is IPv4, anything else IPv6.
struct EndpointAddress {
  uint16_t family;
  uint16_t port;            // network byte order
  uint32_t ipv4OrFlowInfo;  // AF_INET: the address, network order
  uint8_t ipv6[16];         // network order
  uint32_t scopeId;

  static const EndpointAddress& From(const SOCKADDR_INET& address) {
    return *reinterpret_cast<const EndpointAddress*>(&address);
  }
  // The length handed to getnameinfo: 16 for IPv4, 28 for IPv6.
  int SockaddrLength() const { return family == AF_INET ? 16 : 28; }
  const sockaddr* AsSockaddr() const { return reinterpret_cast<const sockaddr*>(this); }
};
static_assert(sizeof(EndpointAddress) == sizeof(SOCKADDR_INET));
static_assert(offsetof(EndpointAddress, ipv6) == offsetof(sockaddr_in6, sin6_addr));
static_assert(offsetof(EndpointAddress, scopeId) == offsetof(sockaddr_in6, sin6_scope_id));
static_assert(offsetof(EndpointAddress, ipv4OrFlowInfo) == offsetof(sockaddr_in, sin_addr));

// TCP state numbers (MIB_TCP_STATE).
enum TcpState : DWORD {
  kTcpClosed = 1,
  kTcpListen = 2,
  kTcpSynSent = 3,
  kTcpSynRcvd = 4,
  kTcpEstablished = 5,
  kTcpFinWait1 = 6,
  kTcpFinWait2 = 7,
  kTcpCloseWait = 8,
  kTcpClosing = 9,
  kTcpLastAck = 10,
  kTcpTimeWait = 11,
  kTcpDeleteTcb = 12,
};

// The display text of a TCP state number 1 to 12; empty for any other number.
// CLOSED and CLOSING share a text: decide on the number, never on the text.
const std::wstring& TcpStateNames(DWORD state);

std::wstring IPv4ToStr(uint32_t networkOrderAddress);
std::wstring AddressToStr(const EndpointAddress& address, bool withScope);
std::wstring PrefixLengthToMask(unsigned prefixLength);
bool IsUnspecifiedAddress(const EndpointAddress& address);
std::wstring MacAddressToStr(const uint8_t* address);  // at least 6 bytes
std::wstring IntToStrThousands(int64_t value);

// Version "major.minor" and build "release.build" of a program file's fixed
// version information. Returns false, leaving both unchanged, when the file
// has no version resource.
bool GetFileVersionStrings(const std::wstring& path, std::wstring& version, std::wstring& build);

}  // namespace kestro
