#pragma once
// The ARP (neighbour) table (tag 1), the IP address table (tag 2) and the route
// table (tag 3). Each reads the newer table of both families when the system
// has it, otherwise the older IPv4 table.

#include <cstdint>

#include "views/ViewKinds.h"

namespace kestro {

void UpdateArpView(ViewContext& context, bool rebuild);
void UpdateAddressView(ViewContext& context, bool rebuild);
void UpdateRouteView(ViewContext& context, bool rebuild);

// The first IPv4 address (network order) of an interface; 0 when it has none.
uint32_t InterfaceIPv4Address(TableReader& tables, uint32_t interfaceIndex);
// The metric of an interface, of whichever family lists it first; 0 when no
// row lists it or the system has no interface table.
uint32_t InterfaceMetric(TableReader& tables, uint32_t interfaceIndex);

}  // namespace kestro
