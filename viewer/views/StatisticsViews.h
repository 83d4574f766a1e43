#pragma once
// The IP (tag 6), ICMP (tag 7), TCP (tag 8) and UDP (tag 9) counters, an IPv4
// block and, where the system has IPv6 statistics, an IPv6 block; and the
// one-second TCP ticker behind the status bar's TCP figures.

#include <functional>
#include <string>

#include "views/ViewKinds.h"

namespace kestro {

class ListModel;

void UpdateIpStatsView(ViewContext& context, bool rebuild);
void UpdateIcmpStatsView(ViewContext& context, bool rebuild);
void UpdateTcpStatsView(ViewContext& context, bool rebuild);
void UpdateUdpStatsView(ViewContext& context, bool rebuild);

// Status bar panels 1 to 3: established connections, failed connection
// attempts, segments in and out.
struct TcpStatusTexts {
  std::wstring established;
  std::wstring attemptFails;
  std::wstring segments;
};

// One tick of the TCP ticker: fetches the IPv4 TCP counters, hands the panel
// texts to `showPanels`, and updates the values of the rows of the TCP
// statistics view (if shown) for both families. Never adds or removes rows.
// A failing fetch raises SystemError (after the panels when IPv6 fails).
void TickTcpStatistics(TableReader& tables, ListModel& list,
                       const std::function<void(const TcpStatusTexts&)>& showPanels);

}  // namespace kestro
