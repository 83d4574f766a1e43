// The commands on a row: the connection view's context menu, which row each
// command takes (selected or focused), the copy texts read back from the
// clipboard, the properties window, the upload tool's start, the shell's
// properties sheet, the end-process question, and ending one of two copies
// of a program by the row's own process.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "net/IpHelper.h"
#include "net/NetUtils.h"
#include "process/EndProcess.h"
#include "process/ProcessInfo.h"
#include "support/MenuItems.h"
#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/controls/CommandPictures.h"
#include "ui/main/MainWindow.h"
#include "ui/windows/YesNoQuestion.h"
#include "ui/main/RowCommands.h"
#include "ui/windows/RowPropertiesWindow.h"
#include "views/ConnectionsView.h"
#include "win/Clipboard.h"
#include "win/Handle.h"
#include "win/Text.h"

namespace kestro::test {
namespace {

using namespace ui;

std::wstring TestFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = self;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

struct ClipboardText {
  std::wstring unicode;
  std::string bytes;  // CF_TEXT
};
ClipboardText ReadClipboard() {
  ClipboardText text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE wide = GetClipboardData(CF_UNICODETEXT)) {
    text.unicode = static_cast<const wchar_t*>(GlobalLock(wide));
    GlobalUnlock(wide);
  }
  if (HANDLE narrow = GetClipboardData(CF_TEXT)) {
    text.bytes = static_cast<const char*>(GlobalLock(narrow));
    GlobalUnlock(narrow);
  }
  CloseClipboard();
  return text;
}

// Runs `look` once on the first visible dialog of this thread that shows up
// while the test waits in a modal loop (the question, the shell's sheet).
struct ModalWatch {
  static inline std::function<void(HWND)> look;
  static BOOL CALLBACK IsDialog(HWND window, LPARAM result) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), IsDialog, reinterpret_cast<LPARAM>(&found));
    if (!found) return;
    KillTimer(nullptr, timer);
    look(found);
  }
  static void Arm(std::function<void(HWND)> action) {
    look = std::move(action);
    SetTimer(nullptr, 0, 50, Tick);
  }
};

class RowCommandsTest : public testing::Test {
 protected:
  RowCommandsTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
    form.Create();
    form.command(kCmdAutoRefresh).checked = false;
    form.UpdateCommandStates();
    properties.Create(form.hwnd());
    form.rowCommands().SetPropertiesWindow(&properties);
    form.rowCommands().SetQuestion([this](HWND, const std::wstring& text) {
      questions.push_back(text);
      return answer;
    });
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
    pump.RunPending();
  }
  ~RowCommandsTest() override { SetErrorBoxSink(nullptr); }

  void Execute(UINT command) {
    SendMessageW(form.hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  HWND ListView() const { return form.listView().hwnd(); }
  // A row as another view or a test makes it: caption and cells as given.
  void AddRow(std::wstring caption, std::vector<std::wstring> cells) {
    ListRow& row = form.list().AppendRow();
    row.caption = std::move(caption);
    row.cells = std::move(cells);
    pump.RunPending();  // the list view catches up
  }
  // selected / focused: an item, or -1 for none.
  void Mark(int selected, int focused) {
    ListView_SetItemState(ListView(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (focused >= 0) ListView_SetItemState(ListView(), focused, LVIS_FOCUSED, LVIS_FOCUSED);
    if (selected >= 0) ListView_SetItemState(ListView(), selected, LVIS_SELECTED, LVIS_SELECTED);
    pump.RunPending();
  }
  static void SetSentinel() { SetClipboardText(nullptr, L"sentinel"); }
  std::wstring Edit(int index) const {
    wchar_t text[512] = {};
    GetWindowTextW(properties.Edit(index), text, 512);
    return text;
  }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  MessagePump pump;
  MainWindow form{{ip, processes, std::make_shared<ScriptedNameService>(L"thishost")}, pump};
  RowPropertiesWindow properties{form.commands(), kCmdUpload, kCmdEndProcess};
  std::vector<std::wstring> errors;
  std::vector<std::wstring> questions;
  bool answer = false;
};

TEST_F(RowCommandsTest, TheConnectionViewsContextMenuWithItsStatesAndNoMenuInOtherViews) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1, "200.1.2.3", 443, kTcpEstablished, 7)};
  Execute(kCmdRefresh);
  form.command(kCmdByName).checked = true;
  form.UpdateCommandStates();
  UniqueMenu menu = form.rowCommands().BuildPopup();
  ASSERT_TRUE(menu);
  EXPECT_EQ(
      MenuTexts(menu.get()),
      (std::vector<std::wstring>{L"解析地址\tCtrl+M", L"所有端点\tCtrl+A", L"", L"关闭连接\tCtrl+K",
                                 L"结束进程", L"", L"上传到Mirovan扫描", L"属性", L"", L"复制项目",
                                 L"复制远程IP", L"", L"域名和IP信息", L"地理IP工具"}));
  EXPECT_TRUE(GetMenuState(menu.get(), 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(menu.get(), 1, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(menu.get(), 3, MF_BYPOSITION) & MF_GRAYED);  // nothing selected
  for (int i : {3, 4, 6, 7, 9, 10, 12, 13}) {
    MENUITEMINFOW info{sizeof info, MIIM_BITMAP};
    GetMenuItemInfoW(menu.get(), static_cast<UINT>(i), TRUE, &info);
    EXPECT_NE(info.hbmpItem, nullptr) << i;
  }

  // A selected established TCPv4 row: closing it is offered.
  Mark(0, 0);
  form.UpdateCommandStates();
  menu = form.rowCommands().BuildPopup();
  EXPECT_FALSE(GetMenuState(menu.get(), 3, MF_BYPOSITION) & MF_GRAYED);

  for (uint8_t view : {kViewNic, kViewRoute, kViewTcp}) {
    Execute(ViewCommandId(view));
    EXPECT_FALSE(form.rowCommands().BuildPopup()) << int{view};
    EXPECT_FALSE(form.rowCommands().ShowContextMenu({100, 100})) << int{view};
  }
}

TEST_F(RowCommandsTest, CopyRowPutsTheExactTextInBothFormats) {
  struct Case {
    const char* what;
    std::wstring caption;
    std::vector<std::wstring> cells;
    std::wstring text;
  };
  const Case cases[] = {
      {"a whole connection row",
       L"proc7.exe",
       {L"10.0.0.1 :1025", L"200.1.2.3 :443", L"建立", L"TCPv4", L"中国", L"C:\\p7\\proc7.exe",
        L"产品", L"公司", L"说明", L"1.0", L"200.1.2.3"},
       L"proc7.exe | 10.0.0.1 :1025 | 200.1.2.3 :443 | 建立 | TCPv4 | 中国 |C:\\p7\\proc7.exe "
       L"|产品 "
       L"|公司 |说明 |1.0"},
      {"an unknown process: \"?\" and no file details",
       L"?",
       {L"10.0.0.1 :1", L"10.0.0.9 :80", L"建立", L"TCPv4", L"中国", L"?", L"", L"", L"", L""},
       L"? | 10.0.0.1 :1 | 10.0.0.9 :80 | 建立 | TCPv4 | 中国 |? | | | |"},
      {"a row of another view with three cells",
       L"以太网",
       {L"1", L"2", L"3"},
       L"以太网 | 1 | 2 | 3 |  |  | | | | |"},
  };
  std::string firstBytes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form.list().DeleteAllRows();
    AddRow(c.caption, c.cells);
    Mark(0, 0);
    SetSentinel();
    Execute(kCmdCopyRow);
    const ClipboardText copied = ReadClipboard();
    EXPECT_EQ(copied.unicode, c.text);
    EXPECT_EQ(copied.bytes, Narrow(c.text, 936));
    if (firstBytes.empty()) firstBytes = copied.bytes;
  }
  // Code page 936 whatever the system's: "建立 | TCPv4 | 中国" as GBK bytes.
  EXPECT_NE(firstBytes.find("\xBD\xA8\xC1\xA2 | TCPv4 | \xD6\xD0\xB9\xFA"), std::string::npos);

  // The remote host: cell 10; a row without one (UDP, other views) copies nothing.
  form.list().DeleteAllRows();
  AddRow(L"proc7.exe", cases[0].cells);
  AddRow(L"proc8.exe", {L"10.0.0.1 :53", L"*:*", L"", L"UDPv4", L"", L"C:\\p8\\proc8.exe"});
  Mark(0, 0);
  Execute(kCmdCopyRemoteIp);
  EXPECT_EQ(ReadClipboard().unicode, L"200.1.2.3");
  Mark(1, 1);
  SetSentinel();
  Execute(kCmdCopyRemoteIp);
  EXPECT_EQ(ReadClipboard().unicode, L"sentinel");
  EXPECT_TRUE(errors.empty());
}

TEST_F(RowCommandsTest, EachCommandTakesTheSelectedOrTheFocusedRow) {
  AddRow(L"a.exe", {L"a0", L"a1", L"a2", L"a3", L"a4", L"?", L"", L"", L"", L"", L"a10"});
  AddRow(L"b.exe", {L"b0", L"b1", L"b2", L"b3", L"b4", L"?", L"", L"", L"", L"", L"b10"});
  struct Case {
    const char* what;
    int selected, focused;
    std::wstring copyRow, copyRemote, question, window;  // empty: nothing happens
  };
  const Case cases[] = {
      {"a clicked row", 0, 0, L"a.exe | a0", L"a10", L"a.exe", L"a.exe"},
      {"focus without selection", -1, 1, L"", L"b10", L"b.exe", L""},
      {"neither", -1, -1, L"", L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowWindow(properties.hwnd(), SW_HIDE);
    questions.clear();
    Mark(c.selected, c.focused);

    SetSentinel();
    Execute(kCmdCopyRow);
    const std::wstring row = ReadClipboard().unicode;
    EXPECT_EQ(row == L"sentinel" ? L"" : row.substr(0, 10), c.copyRow);
    SetSentinel();
    Execute(kCmdCopyRemoteIp);
    const std::wstring remote = ReadClipboard().unicode;
    EXPECT_EQ(remote == L"sentinel" ? L"" : remote, c.copyRemote);
    Execute(kCmdEndProcess);  // answered "否"
    EXPECT_EQ(questions.empty() ? L"" : questions[0],
              c.question.empty() ? L"" : EndProcessQuestion(c.question));
    Execute(kCmdProcessProperties);
    EXPECT_EQ(IsWindowVisible(properties.hwnd()) ? Edit(0) : L"", c.window);
    Execute(kCmdShellProperties);  // cell 5 "?": the shell shows nothing either way
  }
  EXPECT_EQ(ListView_GetItemCount(ListView()), 2);  // "否" removes nothing
  EXPECT_TRUE(errors.empty());
}

TEST_F(RowCommandsTest, TheEndProcessQuestionRemovesTheRowFocusedAfterTheAnswer) {
  AddRow(L"a.exe", {L"a0"});
  AddRow(L"b.exe", {L"b0"});
  AddRow(L"c.exe", {L"c0"});
  Mark(0, 0);
  answer = true;
  // While the question is open a refresh moves the focus on.
  form.rowCommands().SetQuestion([&](HWND, const std::wstring& text) {
    questions.push_back(text);
    Mark(-1, 2);
    return true;
  });
  Execute(kCmdEndProcess);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], L"您确定要终止？ <a.exe>\n");
  ASSERT_EQ(form.list().RowCount(), 2u);  // c.exe's row went; nothing was ended (no process)
  EXPECT_EQ(form.list().Row(0).caption, L"a.exe");
  EXPECT_EQ(form.list().Row(1).caption, L"b.exe");
}

TEST(QuestionTest, WarningWithYesAsDefaultAndNoForEscape) {
  for (bool yes : {true, false}) {
    std::wstring title, text, first, second;
    LRESULT defaultId = 0;
    ModalWatch::Arm([&](HWND dialog) {
      wchar_t buffer[128] = {};
      GetWindowTextW(dialog, buffer, 128);
      title = buffer;
      GetDlgItemTextW(dialog, 442, buffer, 128);
      text = buffer;
      GetDlgItemTextW(dialog, IDYES, buffer, 128);
      first = buffer;
      GetDlgItemTextW(dialog, IDCANCEL, buffer, 128);
      second = buffer;
      defaultId = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0));
      // Enter presses the default button; Esc is IDCANCEL.
      PostMessageW(dialog, WM_COMMAND, yes ? defaultId : IDCANCEL, 0);
    });
    EXPECT_EQ(YesNoQuestion(L"Warning", EndProcessQuestion(L"svchost.exe")).Ask(nullptr), yes);
    EXPECT_EQ(title, L"Warning");
    EXPECT_EQ(text, L"您确定要终止？ <svchost.exe>\n");
    EXPECT_EQ(first, L"是");
    EXPECT_EQ(second, L"否");
    EXPECT_EQ(defaultId, IDYES);
  }
}

TEST_F(RowCommandsTest, ThePropertiesWindowFromAConnectionRowAndFromARowOfAnotherView) {
  ip.tcp4 = {Tcp4Row("10.0.0.1", 1025, "200.1.2.3", 443, kTcpEstablished, 7)};
  Execute(kCmdRefresh);
  Mark(0, 0);
  // A double click opens it.
  NMITEMACTIVATE click{};
  click.hdr = {ListView(), 1, static_cast<UINT>(NM_DBLCLK)};
  click.iItem = 0;
  SendMessageW(form.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&click));
  ASSERT_TRUE(IsWindowVisible(properties.hwnd()));
  const ListRow& row = form.list().Row(0);
  EXPECT_EQ(Edit(0), L"proc7.exe");
  for (int i = 1; i < RowPropertiesWindow::kEditCount; ++i)
    EXPECT_EQ(Edit(i), row.Cell(i - 1)) << i;
  EXPECT_EQ(Edit(3), TcpStateNames(kTcpEstablished));
  EXPECT_EQ(properties.Icon(), nullptr);  // C:\p7\proc7.exe does not exist
  EXPECT_TRUE(GetWindowLongW(properties.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  wchar_t caption[32] = {};
  GetWindowTextW(properties.hwnd(), caption, 32);
  EXPECT_STREQ(caption, L"文件属性");
  RECT client{};
  GetClientRect(properties.hwnd(), &client);
  EXPECT_EQ(client.right, 462);
  EXPECT_EQ(client.bottom, 507);
  RECT frame{}, work{};
  GetWindowRect(properties.hwnd(), &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);

  // Another view's row with four cells and this program's file at cell 5:
  // the missing cells are empty; the file's icon shows. The window stays
  // where the user moved it.
  SetWindowPos(properties.hwnd(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Execute(ViewCommandId(kViewTcp));
  form.list().DeleteAllRows();
  AddRow(L"统计", {L"c0", L"c1", L"c2", L"c3", L"c4", self});
  Mark(0, 0);
  Execute(kCmdProcessProperties);
  EXPECT_EQ(Edit(0), L"统计");
  EXPECT_EQ(Edit(1), L"c0");
  EXPECT_EQ(Edit(6), self);
  for (int i = 7; i < RowPropertiesWindow::kEditCount; ++i) EXPECT_EQ(Edit(i), L"") << i;
  const HICON first = properties.Icon();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(properties.Picture(), STM_GETICON, 0, 0)), first);
  GetWindowRect(properties.hwnd(), &frame);
  EXPECT_EQ(frame.left, 10);
  EXPECT_EQ(frame.top, 20);

  // Shown again: a new icon, the old one released.
  Execute(kCmdProcessProperties);
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(first, &info));
  EXPECT_NE(properties.Icon(), nullptr);

  // "结束进程" asks about the main list's focused row at the time of the click.
  AddRow(L"later.exe", {L"x"});
  Mark(-1, 1);
  SendMessageW(properties.hwnd(), WM_COMMAND, MAKEWPARAM(452, BN_CLICKED), 0);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], EndProcessQuestion(L"later.exe"));
  SendMessageW(properties.hwnd(), WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(IsWindowVisible(properties.hwnd()));
}

// Waits for the upload stand-in's record of its command line.
std::wstring WaitForRecord(const std::wstring& path) {
  for (int i = 0; i < 300; ++i) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      wchar_t buffer[1024] = {};
      DWORD read = 0;
      ReadFile(file, buffer, sizeof buffer - sizeof(wchar_t), &read, nullptr);
      CloseHandle(file);
      return buffer;
    }
    Sleep(100);
  }
  return L"(no record)";
}

TEST_F(RowCommandsTest, UploadHandsTheFocusedRowsPathWithBlanksAsOneUnquotedParameter) {
  EXPECT_EQ(RowCommands::UploadToolPath(), L"C:\\Program Files\\Kestro\\MirovanUpload.exe");
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kestro upload test";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring tool = folder + L"\\MirovanUpload.exe";
  const std::wstring record = tool + L".txt";
  DeleteFileW(record.c_str());
  ASSERT_TRUE(CopyFileW((TestFolder() + L"\\UploadRecorder.exe").c_str(), tool.c_str(), FALSE));
  form.rowCommands().SetUploadTool(tool);

  AddRow(L"x.exe", {L"0", L"1", L"2", L"TCPv4", L"4", L"C:\\Program Files\\A B\\x.exe"});
  AddRow(L"short.exe", {L"0", L"1"});
  Mark(1, 1);
  Execute(kCmdUpload);  // no cell 5: nothing starts
  Mark(-1, 0);          // focused, not selected
  Execute(kCmdUpload);
  const std::wstring line = WaitForRecord(record);
  EXPECT_EQ(line, L"\"" + tool + L"\" C:\\Program Files\\A B\\x.exe");
  DeleteFileW(record.c_str());
  DeleteFileW(tool.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(ShowFilePropertiesTest, ANameThatIsNoFileShowsNothingAndIsRefused) {
  // The sheet of a real file is not checked here: Wine 8's shell refuses the
  // "properties" verb for every file.
  for (const wchar_t* path : {L"?", L"svchost.exe", L""}) {
    EXPECT_FALSE(ShowFileProperties(nullptr, path)) << path;
    EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << path;
  }
}

// The real platform: two copies of one program, each holding its own
// loopback connection.
class EndProcessOnThisMachine : public testing::Test {
 protected:
  EndProcessOnThisMachine() {
    WSADATA winsock;
    WSAStartup(MAKEWORD(2, 2), &winsock);
    SetErrorBoxSink([this](HWND, const std::wstring& text) { errors.push_back(text); });
  }
  ~EndProcessOnThisMachine() override {
    for (PROCESS_INFORMATION& copy : copies) {
      TerminateProcess(copy.hProcess, 0);
      CloseHandle(copy.hProcess);
      CloseHandle(copy.hThread);
    }
    SetErrorBoxSink(nullptr);
    WSACleanup();
  }
  void StartCopy(unsigned port) {
    std::wstring line = L"\"" + TestFolder() + L"\\LoopbackHolder.exe\" " + std::to_wstring(port);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION copy{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &copy));
    copies.push_back(copy);
  }
  bool Running(size_t copy) {
    return WaitForSingleObject(copies[copy].hProcess, 0) == WAIT_TIMEOUT;
  }

  std::vector<PROCESS_INFORMATION> copies;
  std::vector<std::wstring> errors;
};

TEST_F(EndProcessOnThisMachine, TheSecondCopysRowEndsTheSecondCopyOnly) {
  UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener.get(), 2), 0);
  int length = sizeof address;
  getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
  StartCopy(ntohs(address.sin_port));
  StartCopy(ntohs(address.sin_port));
  UniqueSocket first(accept(listener.get(), nullptr, nullptr));
  UniqueSocket second(accept(listener.get(), nullptr, nullptr));
  ASSERT_TRUE(first && second);

  SystemIpHelper ip;
  SystemProcessDetails processes;
  MessagePump pump;
  MainWindow form({ip, processes, std::make_shared<ScriptedNameService>()}, pump);
  form.Create();
  form.command(kCmdAutoRefresh).checked = false;
  std::vector<std::wstring> questions;
  form.rowCommands().SetQuestion([&](HWND, const std::wstring& text) {
    questions.push_back(text);
    return true;
  });
  SendMessageW(form.hwnd(), WM_COMMAND, kCmdRefresh, 0);
  ASSERT_TRUE(errors.empty()) << testing::PrintToString(errors);
  auto rowOf = [&](DWORD pid) -> int {
    for (size_t i = 0; i < form.list().RowCount(); ++i) {
      const auto* data = form.list().Row(i).RecordAs<ConnectionRecord>();
      if (data && data->ProcessId() == pid) return static_cast<int>(i);
    }
    return -1;
  };
  auto focus = [&](int item) {
    HWND list = form.listView().hwnd();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  };
  const int secondRow = rowOf(copies[1].dwProcessId);
  ASSERT_GE(secondRow, 0);
  ASSERT_GE(rowOf(copies[0].dwProcessId), 0);
  EXPECT_EQ(form.list().Row(static_cast<size_t>(secondRow)).caption, L"LoopbackHolder.exe");

  focus(secondRow);
  SendMessageW(form.hwnd(), WM_COMMAND, kCmdEndProcess, 0);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], L"您确定要终止？ <LoopbackHolder.exe>\n");
  ASSERT_EQ(WaitForSingleObject(copies[1].hProcess, 10000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  GetExitCodeProcess(copies[1].hProcess, &exitCode);
  EXPECT_EQ(exitCode, 1u);
  EXPECT_TRUE(Running(0));
  EXPECT_EQ(rowOf(copies[1].dwProcessId), -1);  // its row went

  // The first copy's row, as if its process had ended and its ID now named
  // another program: nothing is ended, the row goes all the same.
  const int firstRow = rowOf(copies[0].dwProcessId);
  ASSERT_GE(firstRow, 0);
  form.list().SetCaption(static_cast<size_t>(firstRow), L"other.exe");
  focus(firstRow);
  SendMessageW(form.hwnd(), WM_COMMAND, kCmdEndProcess, 0);
  EXPECT_EQ(WaitForSingleObject(copies[0].hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(rowOf(copies[0].dwProcessId), -1);

  // The ended copy's ID and no ID at all end nothing.
  EXPECT_FALSE(TerminateProcessById(copies[1].dwProcessId, L"LoopbackHolder.exe"));
  EXPECT_FALSE(TerminateProcessById(0, L"LoopbackHolder.exe"));
  EXPECT_TRUE(Running(0));
  EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
}

}  // namespace
}  // namespace kestro::test
