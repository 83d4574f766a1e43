// Process identification and file details on the real platform.
#include <gtest/gtest.h>

#include "process/ProcessInfo.h"

#include <tlhelp32.h>

namespace kestro {
namespace {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// A program file built beside this test program.
std::wstring Sibling(const std::wstring& name) {
  std::wstring path = OwnPath();
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

void ExpectTexts(const FileVersionInfo& info, const wchar_t* company, const wchar_t* description,
                 const wchar_t* version, const wchar_t* product) {
  EXPECT_EQ(info.CompanyName, company);
  EXPECT_EQ(info.FileDescription, description);
  EXPECT_EQ(info.FileVersion, version);
  EXPECT_EQ(info.ProductName, product);
}

class ProcessDetailsTest : public ::testing::Test {
 protected:
  SystemProcessDetails details;
};

TEST_F(ProcessDetailsTest, OwnProcessGivesItsNameAndFullPath) {
  const DWORD pid = GetCurrentProcessId();
  EXPECT_EQ(details.ProcessIdToName(pid), L"process_tests.exe");
  EXPECT_EQ(details.GetProcessPath(pid), OwnPath());
  EXPECT_EQ(details.GetProcessImagePath(pid), OwnPath());
}

TEST_F(ProcessDetailsTest, AProcessThatDoesNotExistGivesTheFallbacks) {
  const DWORD pid = 0xFFFFFFF0;  // never a process ID (they are multiples of 4)
  EXPECT_EQ(details.ProcessIdToName(pid), L"?");
  EXPECT_EQ(details.GetProcessPath(pid), L"?");
  EXPECT_EQ(details.GetProcessImagePath(pid), L"");
  ExpectTexts(details.ReadFileVersionInfo(L"?"), L"", L"", L"", L"");
}

TEST_F(ProcessDetailsTest, VersionTextsComeFromTheFirstTranslationOnly) {
  ExpectTexts(details.ReadFileVersionInfo(Sibling(L"two_translations.exe")), L"Probe Works",
              L"探针 program", L"2.3.4.5", L"Probe");
}

TEST_F(ProcessDetailsTest, FilesWithoutTranslationTableOrVersionDataGiveEmptyTexts) {
  for (const std::wstring& path :
       {Sibling(L"no_translation.exe"), OwnPath(), Sibling(L"CTestTestfile.cmake"),
        Sibling(L"missing.exe"), std::wstring()}) {
    SCOPED_TRACE(testing::Message() << path.size());
    ExpectTexts(details.ReadFileVersionInfo(path), L"", L"", L"", L"");
  }
}

TEST_F(ProcessDetailsTest, EveryProgramFileShowsTheSameIconOfTheSystemList) {
  const int icon = details.GetFileIconIndex(OwnPath());
  EXPECT_EQ(details.GetFileIconIndex(Sibling(L"two_translations.exe")), icon);
  EXPECT_EQ(details.GetFileIconIndex(L"C:\\nowhere\\other.EXE"), icon);
  HIMAGELIST system = SystemSmallImageList();
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(SystemSmallImageList(), system);
  EXPECT_GE(icon, 0);
  EXPECT_LT(icon, ImageList_GetImageCount(system));
}

// A copy of the version probe at `path`, started with `flags`; ended and
// removed again when the test leaves, however it leaves.
class ProbeCopy {
 public:
  ProbeCopy(const std::wstring& path, DWORD flags) : path_(path) {
    if (!CopyFileW(Sibling(L"two_translations.exe").c_str(), path.c_str(), FALSE)) return;
    STARTUPINFOW startup = {sizeof startup};
    CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                   &startup, &process_);
  }
  ProbeCopy(const ProbeCopy&) = delete;
  ProbeCopy& operator=(const ProbeCopy&) = delete;
  ~ProbeCopy() {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    DeleteFileW(path_.c_str());
  }
  // 0 when the copy or the start failed.
  DWORD pid() const { return process_.dwProcessId; }

 private:
  std::wstring path_;
  PROCESS_INFORMATION process_ = {};
};

// Another process, started from a path of exactly 259 characters, read as
// the connection view reads the owner of a new row.
TEST_F(ProcessDetailsTest, AnotherProcessAtAPathOf259Characters) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"kestro-deep";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = L"\\probe.exe";
  while (folder.size() + file.size() < 259) {
    size_t part = std::min<size_t>(259 - file.size() - folder.size() - 1, 60);
    if (part == 0) break;
    folder += L"\\" + std::wstring(part, L'd');
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  const std::wstring path = folder + file;
  ASSERT_EQ(path.size(), 259u);
  const ProbeCopy probe(path, 0);
  ASSERT_NE(probe.pid(), 0u);
  // The module list exists once the program has started.
  std::wstring imagePath;
  for (int i = 0; i < 500 && imagePath.empty(); ++i) {
    imagePath = details.GetProcessImagePath(probe.pid());
    if (imagePath.empty()) Sleep(10);
  }
  EXPECT_EQ(imagePath, path);
  EXPECT_EQ(details.ProcessIdToName(probe.pid()), L"probe.exe");
  const std::wstring processPath = details.GetProcessPath(probe.pid());
  EXPECT_EQ(processPath, path);
  ExpectTexts(details.ReadFileVersionInfo(processPath), L"Probe Works", L"探针 program", L"2.3.4.5",
              L"Probe");
}

// A program started suspended has not loaded its modules yet: its module
// list cannot be read, as that of a 64-bit process from the 32-bit viewer or
// of a service without administrator rights. The system still names its
// program file, and the row gets the path, icon and texts from that.
TEST_F(ProcessDetailsTest, AProcessWhoseModuleListCannotBeReadStillGetsItsPathIconAndTexts) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"kestro suspended probe.exe";
  const ProbeCopy probe(path, CREATE_SUSPENDED);
  const DWORD pid = probe.pid();
  ASSERT_NE(pid, 0u);

  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  MODULEENTRY32W module = {sizeof module};
  const bool listed = modules != INVALID_HANDLE_VALUE && Module32FirstW(modules, &module);
  if (modules != INVALID_HANDLE_VALUE) CloseHandle(modules);
  EXPECT_FALSE(listed) << "the suspended process's modules can be read: this test shows nothing";

  EXPECT_EQ(details.ProcessIdToName(pid), L"kestro suspended probe.exe");
  const std::wstring processPath = details.GetProcessPath(pid);
  EXPECT_EQ(processPath, path);
  const std::wstring imagePath = details.GetProcessImagePath(pid);
  EXPECT_EQ(imagePath, path);
  EXPECT_EQ(details.GetFileIconIndex(imagePath), details.GetFileIconIndex(OwnPath()));
  ExpectTexts(details.ReadFileVersionInfo(processPath), L"Probe Works", L"探针 program", L"2.3.4.5",
              L"Probe");
}

TEST(SetProcessPrivilege, TellsWhetherTheAdjustmentCallSucceeded) {
  EXPECT_TRUE(SetProcessPrivilege(L"SeDebugPrivilege", true));
  EXPECT_TRUE(SetProcessPrivilege(L"SeDebugPrivilege", false));
  EXPECT_TRUE(SetProcessPrivilege(L"SeDebugPrivilege", true));
  EXPECT_FALSE(SetProcessPrivilege(L"SeNoSuchPrivilege", true));
}

}  // namespace
}  // namespace kestro
