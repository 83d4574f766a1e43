#pragma once
// A connection view on scripted tables, scripted process details and names, a
// tiny country database of its own and events that record what the view raised.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/NameService.h"
#include "net/TableReader.h"
#include "support/FakeProcesses.h"
#include "support/GeoIPFile.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "views/ConnectionsView.h"
#include "views/ListModel.h"
#include "views/ListPresentation.h"
#include "views/ViewSwitch.h"

namespace kestro::test {

// Records what the view raises; `onPump` runs at each chance to let messages run.
class RecordingEvents : public ViewEvents {
 public:
  void ProcessPendingMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
  void SetStatusText(const std::wstring& text) override { statusTexts.push_back(text); }
  void ActivitySignal() override { log.push_back(L"activity"); }
  void PlayNewConnectionSound() override { log.push_back(L"sound"); }
  void ScrollToEnd() override { log.push_back(L"scroll"); }
  void ShowNewConnectionBalloon(const std::wstring& title, const std::wstring& text) override {
    log.push_back(L"balloon " + title);
    balloonTexts.push_back(text);
  }
  int Count(const std::wstring& what) const {
    return static_cast<int>(std::count(log.begin(), log.end(), what));
  }

  int pumps = 0;
  std::function<void(int pump)> onPump;
  std::vector<std::wstring> log;
  std::vector<std::wstring> balloonTexts;
  std::vector<std::wstring> statusTexts;
};

class ConnectionsTest : public testing::Test {
 protected:
  ConnectionsTest() {
    state.Ready = true;
    list.SetDeletionHook(OnRowDeleted);
    view.SetCountryDatabase([this] { return database; });
  }
  ~ConnectionsTest() override { DeleteFileW(database.c_str()); }

  void Refresh(bool rebuild = false) { view.Update(context, rebuild); }
  // The view switch as the main window runs it (rebuild on a view change).
  void Switch() { viewSwitch.ShowView(kViewConnections); }

  std::vector<std::wstring> Column(size_t cell) const {
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < list.RowCount(); ++i) texts.push_back(list.Row(i).Cell(cell));
    return texts;
  }
  const ConnectionRecord& Record(size_t row) const {
    return *list.Row(row).RecordAs<ConnectionRecord>();
  }

  ScriptedIpHelper ip;
  TableReader tables{ip};
  ListModel list;
  ViewState state;
  RecordingEvents events;
  FakeProcesses processes;
  std::shared_ptr<ScriptedNameService> names = std::make_shared<ScriptedNameService>(L"thishost");
  NameResolver resolver{names};
  ConnectionOptions options;
  ConnectionsView view{list, processes, resolver, [this] { return options; }};
  ViewContext context{list, tables, state, events};
  ViewSwitch viewSwitch{context};
  std::wstring database = WriteTinyCountryDatabase();

  struct Registration {
    Registration(ViewSwitch& s, ConnectionsView& v) {
      s.Register(kViewConnections,
                 [&v](ViewContext& context, bool rebuild) { v.Update(context, rebuild); });
    }
  } registration{viewSwitch, view};
};

}  // namespace kestro::test
