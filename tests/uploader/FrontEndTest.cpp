// The command line, the file name of the form and the progress window.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "AnsiText.h"
#include "ChunkList.h"
#include "FrontEnd.h"
#include "ProgressWindow.h"
#include "UploaderResources.h"
#include "WindowDriver.h"

namespace mirovan::test {
namespace {

TEST(CommandLine, TheWholeRestAfterTheProgramIsTheArgument) {
  struct Case {
    std::wstring commandLine, argument;
  };
  const Case cases[] = {
      {L"MirovanUpload.exe", L""},
      {L"MirovanUpload.exe   ", L""},
      {L"\"C:\\Program Files\\Kestro\\MirovanUpload.exe\"", L""},
      {L"\"C:\\Program Files\\Kestro\\MirovanUpload.exe\" C:\\My Files\\app.exe",
       L"C:\\My Files\\app.exe"},
      {L"MirovanUpload.exe \t C:\\My Files\\app.exe ", L"C:\\My Files\\app.exe "},
      {L"MirovanUpload.exe \"C:\\a.exe\" \"C:\\b.exe\"", L"\"C:\\a.exe\" \"C:\\b.exe\""},
      {L"\"MirovanUpload.exe\"\"x.exe\"", L"\"x.exe\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineArgument(c.commandLine), c.argument) << c.commandLine;
  }
}

TEST(FormFileName, TheNameWithoutItsFolderInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 936u);
  struct Case {
    std::wstring path;
    std::string name;
  };
  const Case cases[] = {
      {L"C:\\My Files\\app.exe", "app.exe"},
      {L"C:/dir/sub/../tool.exe", "tool.exe"},
      {L"relative\\name.exe", "name.exe"},
      {L"C:\\目录\\程序.exe", "\xB3\xCC\xD0\xF2.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormFileName(c.path), c.name);

  // 1 + 300 × 2 bytes: whole characters are kept, below 512 bytes.
  std::string longName = FormFileName(L"C:\\x\\a" + std::wstring(300, L'测'));
  EXPECT_EQ(longName.size(), 511u);
  EXPECT_EQ(FromAnsiCodePage(longName), L"a" + std::wstring(255, L'测'));
}

TEST(AnsiText, CutsAtCharacterBoundaries) {
  EXPECT_EQ(ToAnsiCodePage(L"ab测试", 4), "ab\xB2\xE2");
  EXPECT_EQ(ToAnsiCodePage(L"ab测试", 5), "ab\xB2\xE2");
  EXPECT_EQ(ToAnsiCodePage(L"ab测试", 6), "ab\xB2\xE2\xCA\xD4");
  EXPECT_EQ(ToAnsiCodePage(L"", 6), "");
  EXPECT_EQ(FromAnsiCodePage("ab\xB2\xE2"), L"ab测");
}

TEST(ChunkList, JoinsChunksInOrder) {
  ChunkList list;
  list.AppendCopy("head");
  list.AppendCopy("");
  list.AppendOwned(std::vector<char>{'1', '\0', '2'});
  list.AppendOwned({});
  list.AppendCopy("tail");
  EXPECT_EQ(list.TotalLength(), 11u);
  EXPECT_TRUE(list.Joined().empty());
  list.Join();
  list.Join();
  EXPECT_EQ(std::string(list.Joined().begin(), list.Joined().end()),
            std::string("head1\0002tail", 11));
}

class ProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    icon_.reset(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_UPLOADER), IMAGE_ICON, 16, 16, 0)));
    ASSERT_TRUE(icon_);
  }
  void TearDown() override {
    if (window_) DestroyWindow(window_);
  }
  HWND Create(const std::string& fileName) {
    job_.fileName = fileName;
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS), nullptr,
                                 ProgressWindowProc, reinterpret_cast<LPARAM>(&setup_));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    return window_;
  }
  using Box = std::tuple<LONG, LONG, LONG, LONG>;
  // A rectangle given in dialog units, in pixels; like the dialog manager,
  // the position and the size are converted each on its own.
  Box Expected(int x, int y, int width, int height) const {
    RECT r{x, y, width, height};
    MapDialogRect(window_, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
  }
  Box Actual(int id) const {
    RECT r;
    GetWindowRect(GetDlgItem(window_, id), &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
  }

  UploadJob job_;
  UniqueIcon icon_;
  ProgressWindowSetup setup_{job_, nullptr};
  HWND window_ = nullptr;
};

TEST_F(ProgressWindowTest, IsBuiltFromItsTemplate) {
  setup_.smallIcon = icon_.get();
  HWND window = Create("app.exe");
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(WindowText(window), L"Mirovan Uploader");
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(Box(client.left, client.top, client.right, client.bottom), Expected(0, 0, 185, 60));

  HWND status = GetDlgItem(window, IDC_STATUS);
  EXPECT_EQ(WindowText(status), L"Uploading file app.exe...");
  EXPECT_EQ(GetWindowLongW(status, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(Actual(IDC_STATUS), Expected(7, 7, 171, 10));

  HWND bar = GetDlgItem(window, IDC_PROGRESS);
  wchar_t className[64];
  GetClassNameW(bar, className, 64);
  EXPECT_STREQ(className, PROGRESS_CLASSW);
  PBRANGE range;
  SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(Actual(IDC_PROGRESS), Expected(7, 22, 171, 8));

  HWND cancel = GetDlgItem(window, IDC_CANCEL);
  EXPECT_EQ(WindowText(cancel), L"Cancel");
  EXPECT_TRUE(GetWindowLongW(cancel, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(Actual(IDC_CANCEL), Expected(68, 36, 48, 17));

  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), icon_.get());
  EXPECT_EQ(job_.progressWindow, window);
  EXPECT_EQ(job_.progressBar, bar);
  EXPECT_EQ(job_.statusLine, status);
  EXPECT_EQ(WaitForSingleObject(job_.windowReady.get(), 0), WAIT_OBJECT_0);
}

TEST_F(ProgressWindowTest, StatusLineShowsAtMost255Characters) {
  Create(std::string(300, 'n'));
  std::wstring status = WindowText(job_.statusLine);
  EXPECT_EQ(status, (L"Uploading file " + std::wstring(300, L'n')).substr(0, 255));
}

TEST_F(ProgressWindowTest, EndsOnCloseAndOnEveryCommand) {
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"close box or Alt+F4", WM_CLOSE, 0},
      {"Cancel button", WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED)},
      {"Esc", WM_COMMAND, IDCANCEL},
      {"Enter", WM_COMMAND, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND window = Create("x.exe");
    ASSERT_TRUE(IsWindowVisible(window));
    SendMessageW(window, c.message, c.wParam, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    DestroyWindow(std::exchange(window_, nullptr));
  }
}

TEST(ProgramIcon, Has16And32And48PixelImages) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDI_UPLOADER), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
  struct Group {
    WORD reserved, type, count;
    GroupEntry entries[1];
  };
#pragma pack(pop)
  auto* group = static_cast<const Group*>(LockResource(LoadResource(module, found)));
  std::vector<int> sizes;
  for (WORD i = 0; i < group->count; ++i) {
    EXPECT_EQ(group->entries[i].width, group->entries[i].height);
    EXPECT_EQ(group->entries[i].bitCount, 32);
    sizes.push_back(group->entries[i].width);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

}  // namespace
}  // namespace mirovan::test
