#pragma once
// The adapter table (tag 0) and the interface statistics (tag 5), both read
// from the interface table, and the interface choice of the statistics view.

#include <cstdint>
#include <string>
#include <vector>

#include "views/ViewKinds.h"

namespace kestro {

void UpdateNicView(ViewContext& context, bool rebuild);
void UpdateInterfaceStatsView(ViewContext& context, bool rebuild);

// One entry of the interface statistics view's context menu: "所有" (-1), then
// every interface by description; the checked one is the current choice.
// A separator follows the first entry. Empty when the interface table is empty.
struct InterfaceChoice {
  std::wstring caption;
  int32_t interfaceIndex;
  bool checked;
};
std::vector<InterfaceChoice> InterfaceChoices(TableReader& tables, int32_t selectedInterface);

}  // namespace kestro
