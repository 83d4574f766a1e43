// The owners of a refresh's rows from one shared process snapshot: each row
// must get what lookups of its own give, also when a PID comes back as another
// program.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "process/ProcessCache.h"
#include "support/FakeProcesses.h"

namespace kestro {
namespace {

std::wstring Sibling(const std::wstring& name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text = path;
  return text.substr(0, text.rfind(L'\\') + 1) + name;
}

// What a row's own lookups give, in the order the connection view asks them.
OwnerDetails OwnLookups(ProcessDetails& details, DWORD pid) {
  OwnerDetails owner;
  owner.path = details.GetProcessPath(pid);
  owner.version = details.ReadFileVersionInfo(owner.path);
  owner.name = details.ProcessIdToName(pid);
  owner.imagePath = details.GetProcessImagePath(pid);
  return owner;
}

void ExpectSame(const OwnerDetails& shared, const OwnerDetails& own) {
  EXPECT_EQ(shared.name, own.name);
  EXPECT_EQ(shared.path, own.path);
  EXPECT_EQ(shared.imagePath, own.imagePath);
  EXPECT_EQ(shared.version.CompanyName, own.version.CompanyName);
  EXPECT_EQ(shared.version.FileDescription, own.version.FileDescription);
  EXPECT_EQ(shared.version.FileVersion, own.version.FileVersion);
  EXPECT_EQ(shared.version.ProductName, own.version.ProductName);
}

// A probe program with a version resource, running until the test ends it.
class RunningProbe {
 public:
  RunningProbe() {
    STARTUPINFOW startup = {sizeof startup};
    const std::wstring path = Sibling(L"two_translations.exe");
    if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
      return;
    // Its modules can be listed once it has started.
    WaitForInputIdle(process_.hProcess, 5000);
    SystemProcessDetails details;
    for (int i = 0; i < 500 && details.GetProcessImagePath(pid()).empty(); ++i) Sleep(10);
  }
  ~RunningProbe() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  DWORD pid() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_ = {};
};

TEST(ProcessDetailsCache, EveryRowGetsWhatItsOwnLookupsGiveOnThePlatform) {
  RunningProbe probe;
  ASSERT_NE(probe.pid(), 0u);
  SystemProcessDetails details;
  const std::vector<DWORD> ours = {GetCurrentProcessId(), probe.pid(), 0, 0xFFFFFFF0};
  std::vector<DWORD> pids = ours;
  for (const auto& [pid, name] : details.SnapshotProcessNames()) pids.push_back(pid);
  ASSERT_GT(pids.size(), 6u);  // the prefix's own processes are there too

  ProcessDetailsCache cache(details);
  for (int cycle = 0; cycle < 2; ++cycle) {
    cache.NewCycle();
    for (DWORD pid : pids) {
      SCOPED_TRACE(testing::Message() << "cycle " << cycle << " pid " << pid);
      // Asked twice in a cycle, as two rows of one owner do.
      const OwnerDetails first = cache.Owner(pid);
      const OwnerDetails own = OwnLookups(details, pid);
      // Other test programs share the prefix and may end between the two
      // lookups; only the processes this test holds are sure to stay.
      const bool held = std::find(ours.begin(), ours.end(), pid) != ours.end();
      if (!held && own.name == L"?") continue;
      ExpectSame(first, own);
      ExpectSame(cache.Owner(pid), first);
      EXPECT_EQ(cache.Icon(first.imagePath), details.GetFileIconIndex(first.imagePath));
    }
  }
  const OwnerDetails& own = cache.Owner(probe.pid());
  EXPECT_EQ(own.name, L"two_translations.exe");
  EXPECT_EQ(own.version.ProductName, L"Probe");
}

TEST(ProcessDetailsCache, AnEndedProcessGivesTheFallbacksOnThePlatform) {
  SystemProcessDetails details;
  ProcessDetailsCache cache(details);
  DWORD pid = 0;
  {
    RunningProbe probe;
    pid = probe.pid();
    ASSERT_NE(pid, 0u);
    cache.NewCycle();
    EXPECT_EQ(cache.Owner(pid).name, L"two_translations.exe");
  }
  cache.NewCycle();
  ExpectSame(cache.Owner(pid), OwnLookups(details, pid));
  EXPECT_EQ(cache.Owner(pid).path, L"?");
}

class ScriptedCache : public testing::Test {
 protected:
  test::FakeProcesses processes;
  ProcessDetailsCache cache{processes};
};

TEST_F(ScriptedCache, OneSnapshotAndOneLookupPerProcessAndProgramFile) {
  processes.programs = {{8, L"shared"}, {9, L"shared"}};  // two processes of one program file
  for (int cycle = 0; cycle < 3; ++cycle) {
    cache.NewCycle();
    for (int row = 0; row < 20; ++row)
      for (DWORD pid : {8u, 9u, 0u, 7u}) ExpectSame(cache.Owner(pid), OwnLookups(processes, pid));
  }
  EXPECT_EQ(processes.snapshots, 3);    // one per cycle
  EXPECT_EQ(processes.modulePaths, 3);  // PIDs 7, 8, 9, once in their life
  // The cache's: 7's and the shared file's once, "?" of PID 0 (which no
  // snapshot lists, so nothing of it is kept) once per cycle; then OwnLookups'.
  EXPECT_EQ(processes.versionReads, 2 + 3 + 20 * 4 * 3);

  // A cycle that asks nothing takes no snapshot.
  cache.NewCycle();
  EXPECT_EQ(processes.snapshots, 3);
}

TEST_F(ScriptedCache, APidThatComesBackWithAnotherProgramIsLookedUpAgain) {
  struct Case {
    const char* what;
    std::function<void(test::FakeProcesses&)> between;
  };
  const std::vector<Case> cases = {
      {"another program", [](test::FakeProcesses& p) { p.programs[5] = L"other"; }},
      // Same executable name, but from another folder: its image path tells.
      {"same name, other file", [](test::FakeProcesses& p) { p.programs[5] = L"proc5"; }},
      {"ended, then the same program again", [](test::FakeProcesses& p) { p.ended.insert(5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeProcesses scripted;
    ProcessDetailsCache owners(scripted);
    owners.NewCycle();
    const OwnerDetails before = owners.Owner(5);
    ExpectSame(before, OwnLookups(scripted, 5));
    c.between(scripted);
    owners.NewCycle();
    ExpectSame(owners.Owner(5), OwnLookups(scripted, 5));
    if (scripted.ended.erase(5)) {
      owners.NewCycle();
      ExpectSame(owners.Owner(5), OwnLookups(scripted, 5));
      EXPECT_EQ(owners.Owner(5).path, before.path);
    }
    EXPECT_EQ(scripted.modulePaths, 2);  // looked up again, not taken from the first
  }
}

}  // namespace
}  // namespace kestro
