#pragma once
// The address texts of the connection view: numeric, or with names (the local
// host name, the remote host's resolved name, service names) when name display
// is on. Asking for a remote name may start a background lookup for the row.

#include <windows.h>

#include <string>

#include "net/NameLookupThread.h"
#include "net/RowId.h"

namespace kestro {

// One endpoint as the table row gives it.
struct EndpointAddressText {
  int family = AF_INET;               // AF_INET or AF_INET6
  DWORD portField = 0;                // the row's port field: network order, low 16 bits
  const void* address = nullptr;      // 4 bytes (AF_INET) or 16 bytes (AF_INET6)
  DWORD scopeId = 0;                  // IPv6 only
  bool local = false;                 // the local endpoint of the row
  NameLookupState* lookup = nullptr;  // remote endpoint of a TCP row; null otherwise
  RowId row = 0;                      // the row `lookup` belongs to
};

// "host :service", for cells 0 and 1; "?" when the address cannot be converted.
std::wstring FormatEndpointCell(NameResolver& names, bool byName,
                                const EndpointAddressText& endpoint);
// "host 端口：service", for the new-connection balloon.
std::wstring FormatEndpointBalloon(NameResolver& names, bool byName,
                                   const EndpointAddressText& endpoint);
// The host alone, for the hidden remote-host cell.
std::wstring FormatEndpointHost(NameResolver& names, bool byName,
                                const EndpointAddressText& endpoint);

// The remote cell once its name is known: the name followed by the cell's text
// from its last ':' on (so "[2001:db8::1] :smtp" becomes "name:smtp").
std::wstring ResolvedCellText(const std::wstring& cell, const std::wstring& name);

}  // namespace kestro
