#pragma once
// A view's surroundings for the tests: scripted tables, the list, the view
// state, and events that count how often messages were let through.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/TableReader.h"
#include "support/ScriptedIpHelper.h"
#include "views/ListModel.h"
#include "views/ViewKinds.h"
#include "win/SystemError.h"

namespace kestro::test {

class CountingEvents : public ViewEvents {
 public:
  void ProcessPendingMessages() override { ++calls; }
  int calls = 0;
};

class ViewFixture : public ::testing::Test {
 protected:
  using UpdateFn = void (*)(ViewContext&, bool);

  // Runs the update as the view switch does: a rebuild starts from an empty list.
  void Run(UpdateFn update, bool rebuild) {
    if (rebuild) {
      list.DeleteAllRows();
      list.ClearColumns();
    }
    update(context, rebuild);
  }

  // The system message of the error the update raises; empty when it raises none.
  std::wstring RunError(UpdateFn update, bool rebuild) {
    try {
      Run(update, rebuild);
    } catch (const SystemError& e) {
      return e.message();
    }
    return {};
  }

  // Row texts: caption, then the cells.
  std::vector<std::wstring> RowTexts(size_t index) const {
    const ListRow& row = list.Row(index);
    std::vector<std::wstring> texts{row.caption};
    texts.insert(texts.end(), row.cells.begin(), row.cells.end());
    return texts;
  }
  std::vector<std::wstring> Captions() const {
    std::vector<std::wstring> captions;
    for (size_t i = 0; i < list.ColumnCount(); ++i) captions.push_back(list.Column(i).caption);
    return captions;
  }
  std::vector<RowId> Ids() const {
    std::vector<RowId> ids;
    for (size_t i = 0; i < list.RowCount(); ++i) ids.push_back(list.Row(i).id);
    return ids;
  }
  // Sorts the list by caption, descending, as a click on the header might.
  void SortDescending() {
    list.SortRows([](const ListRow& a, const ListRow& b) { return a.Cell(0) > b.Cell(0); });
  }

  ScriptedIpHelper api;
  TableReader tables{api};
  ListModel list;
  ViewState state;
  CountingEvents events;
  ViewContext context{list, tables, state, events};
};

// Addresses for the scripted rows.
inline SOCKADDR_INET Inet4(const char* dotted) {
  SOCKADDR_INET address{};
  address.si_family = AF_INET;
  inet_pton(AF_INET, dotted, &address.Ipv4.sin_addr);
  return address;
}
inline SOCKADDR_INET Inet6(const char* text, ULONG scope = 0) {
  SOCKADDR_INET address{};
  address.si_family = AF_INET6;
  inet_pton(AF_INET6, text, &address.Ipv6.sin6_addr);
  address.Ipv6.sin6_scope_id = scope;
  return address;
}
inline DWORD Dotted(const char* dotted) { return Inet4(dotted).Ipv4.sin_addr.s_addr; }

}  // namespace kestro::test
