#include "net/EndpointText.h"

#include <ws2tcpip.h>

#include <cstring>
#include <optional>

namespace kestro {

namespace {

struct HostAndService {
  std::wstring host;
  std::wstring service;
};

// The host and service texts of an endpoint; nothing when the numeric
// conversion fails.
std::optional<HostAndService> EndpointParts(NameResolver& names, bool byName,
                                            const EndpointAddressText& endpoint) {
  EndpointAddress address = {};
  address.family = static_cast<uint16_t>(endpoint.family);
  address.port = static_cast<uint16_t>(endpoint.portField & 0xFFFF);
  if (endpoint.family == AF_INET) {
    std::memcpy(&address.ipv4OrFlowInfo, endpoint.address, 4);
  } else {
    std::memcpy(address.ipv6, endpoint.address, 16);
    address.scopeId = endpoint.scopeId;
  }
  const bool unspecified = IsUnspecifiedAddress(address);
  // A listening socket's remote side reads as port 0.
  if (!endpoint.local && unspecified) address.port = 0;

  HostAndService parts;
  NameService& service = names.Service();
  if (service.QueryNameInfo(address, NI_NUMERICHOST | NI_NUMERICSERV, &parts.host,
                            &parts.service) != 0)
    return std::nullopt;
  if (endpoint.family != AF_INET) parts.host = L"[" + parts.host + L"]";
  if (!byName) return parts;

  // The numeric port stays when the port has no service name.
  service.QueryNameInfo(address, 0, nullptr, &parts.service);
  if (endpoint.local || unspecified) {
    parts.host = names.LocalHostName();
  } else if (NameLookupState* lookup = endpoint.lookup) {
    if (!lookup->name.empty())
      parts.host = lookup->name;
    else if (!lookup->Running() && lookup->resultCode == 0)
      NameLookupThread::Start(names, address, endpoint.row, *lookup);
  }
  return parts;
}

}  // namespace

std::wstring FormatEndpointCell(NameResolver& names, bool byName,
                                const EndpointAddressText& endpoint) {
  auto parts = EndpointParts(names, byName, endpoint);
  return parts ? parts->host + L" :" + parts->service : L"?";
}

std::wstring FormatEndpointBalloon(NameResolver& names, bool byName,
                                   const EndpointAddressText& endpoint) {
  auto parts = EndpointParts(names, byName, endpoint);
  return parts ? parts->host + L" 端口：" + parts->service : L"?";
}

std::wstring FormatEndpointHost(NameResolver& names, bool byName,
                                const EndpointAddressText& endpoint) {
  auto parts = EndpointParts(names, byName, endpoint);
  return parts ? parts->host : L"?";
}

std::wstring ResolvedCellText(const std::wstring& cell, const std::wstring& name) {
  size_t colon = cell.rfind(L':');
  return colon == std::wstring::npos ? name : name + cell.substr(colon);
}

}  // namespace kestro
