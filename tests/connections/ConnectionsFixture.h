#pragma once
// A connection view on scripted tables, scripted process details, a tiny
// country database of its own and events that record what the view raised.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/NameService.h"
#include "net/TableReader.h"
#include "process/ProcessInfo.h"
#include "support/ScriptedIpHelper.h"
#include "views/ConnectionsView.h"
#include "views/ListModel.h"
#include "views/ListPresentation.h"
#include "views/ViewSwitch.h"

namespace kestro::test {

// Owner PID n is "proc<n>.exe" at C:\p<n>\proc<n>.exe; PID 0 is not found.
class FakeProcesses : public ProcessDetails {
 public:
  std::wstring ProcessIdToName(DWORD pid) override {
    ++calls;
    return pid ? L"proc" + std::to_wstring(pid) + L".exe" : L"?";
  }
  std::wstring GetProcessPath(DWORD pid) override {
    ++calls;
    return pid ? L"C:\\p" + std::to_wstring(pid) + L"\\proc" + std::to_wstring(pid) + L".exe"
               : L"?";
  }
  std::wstring GetProcessImagePath(DWORD pid) override {
    ++calls;
    return pid ? L"C:\\image" + std::to_wstring(pid) + L".exe" : L"";
  }
  int GetFileIconIndex(const std::wstring& path) override {
    ++calls;
    return path.empty() ? 0 : static_cast<int>(path.size());
  }
  TFileVersionInfo ReadFileVersionInfo(const std::wstring& path) override {
    ++calls;
    if (path == L"?") return {};
    return {L"company " + path, L"description " + path, L"1.0", L"product " + path};
  }
  int calls = 0;
};

// Numbers from Winsock; reverse names from `names` (others fail with 11001).
class ScriptedNames : public NameService {
 public:
  int QueryNameInfo(const TEndpointAddress& address, int flags, std::wstring* host,
                    std::wstring* service) override {
    if (!(flags & NI_NAMEREQD)) return winsock_.QueryNameInfo(address, flags, host, service);
    std::wstring numeric;
    winsock_.QueryNameInfo(address, NI_NUMERICHOST, &numeric, nullptr);
    auto found = names.find(numeric);
    if (found == names.end()) return 11001;
    if (host) *host = found->second;
    return 0;
  }
  int QueryHostName(std::wstring& name) override {
    name = L"thishost";
    return 0;
  }
  std::map<std::wstring, std::wstring> names;

 private:
  WinsockNameService winsock_;
};

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

// A GeoIP Legacy country database whose root node decides: addresses below
// 128.0.0.0 are in no country, the others in China (ID 48). Three unused nodes
// follow, because the library looks for the edition marker in the last 22
// bytes and takes a shorter file for unreadable.
inline std::wstring WriteTinyCountryDatabase() {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path =
      std::wstring(dir) + L"kestro-conn-test-" + std::to_wstring(GetCurrentProcessId()) + L".dat";
  const unsigned char node[24] = {0x00, 0xFF, 0xFF, 0x30, 0xFF, 0xFF, 0x00, 0xFF,
                                  0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00,
                                  0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF};
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, node, sizeof node, &written, nullptr);
  CloseHandle(file);
  return path;
}

class ConnectionsTest : public testing::Test {
 protected:
  ConnectionsTest() {
    state.Ready = true;
    list.SetDeletionHook(ListViewDeletion);
    view.SetCountryDatabase([this] { return database; });
  }
  ~ConnectionsTest() override { DeleteFileW(database.c_str()); }

  void Refresh(bool rebuild = false) { view.Update(context, rebuild); }
  // The view switch as the main window runs it (rebuild on a view change).
  void Switch() { viewSwitch.ActionExecute(kViewConnections); }

  std::vector<std::wstring> Column(size_t cell) const {
    std::vector<std::wstring> texts;
    for (size_t i = 0; i < list.RowCount(); ++i) texts.push_back(list.Row(i).Cell(cell));
    return texts;
  }
  const TConnectionData& Record(size_t row) const {
    return *list.Row(row).RecordAs<TConnectionData>();
  }

  ScriptedIpHelper ip;
  TableReader tables{ip};
  ListModel list;
  ViewState state;
  RecordingEvents events;
  FakeProcesses processes;
  std::shared_ptr<ScriptedNames> names = std::make_shared<ScriptedNames>();
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
