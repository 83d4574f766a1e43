// The nine views in the real main window on scripted tables: the view
// commands, the refresh timer with its automatic save, the TCP ticker, the
// interface choice, error boxes that do not stack, and Save / Save As with
// the real save-file dialog.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/main/MainWindow.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace kestro::test {
namespace {

using ui::MainWindow;

MIB_IFROW IfRow(DWORD index, const char* description, DWORD inOctets) {
  MIB_IFROW row{};
  row.dwIndex = index;
  row.dwDescrLen = static_cast<DWORD>(std::strlen(description));
  std::memcpy(row.bDescr, description, row.dwDescrLen);
  row.dwInOctets = inOctets;
  return row;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class ViewWindowTest : public testing::Test {
 protected:
  ViewWindowTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    ui::SetErrorBoxSink([this](HWND, const std::wstring& text) {
      errors.push_back(text);
      if (whileBoxOpen) whileBoxOpen();
    });
    ip.ifRows = {IfRow(1, "Loopback", 100), IfRow(2, "Ethernet", 5000)};
    ip.tcpStats[0].dwCurrEstab = 1234;
    ip.tcpStats[0].dwAttemptFails = 5;
    ip.tcpStats[0].dwInSegs = 123456;
    ip.tcpStats[0].dwOutSegs = 654321;
    form.Create();
    pump.SetAccelerators(form.hwnd(), form.accelerators());
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
    pump.RunPending();
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    report = std::wstring(dir) + L"kestro-views-" + std::to_wstring(GetCurrentProcessId());
  }
  ~ViewWindowTest() override {
    ui::SetErrorBoxSink(nullptr);
    DeleteFileW((report + L".txt").c_str());
  }

  void Execute(UINT command) {
    SendMessageW(form.hwnd(), WM_COMMAND, command, 0);
    pump.RunPending();
  }
  void Tick(UINT_PTR timer) {
    SendMessageW(form.hwnd(), WM_TIMER, timer, 0);
    pump.RunPending();
  }
  void ShowView(uint8_t tag) { Execute(ui::kCmdViewFirst + tag); }
  HWND ListView() { return form.listView().hwnd(); }
  int ItemCount() { return ListView_GetItemCount(ListView()); }
  std::wstring ItemText(int item, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(ListView(), item, column, text, 512);
    return text;
  }
  std::wstring Panel(WPARAM panel) const { return form.statusBar().Text(static_cast<int>(panel)); }
  std::wstring Caption() const {
    wchar_t text[512] = {};
    GetWindowTextW(form.hwnd(), text, 512);
    return text;
  }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  ui::MessagePump pump;
  MainWindow form{{ip, processes, std::make_shared<ScriptedNameService>()}, pump};
  std::vector<std::wstring> errors;
  std::function<void()> whileBoxOpen;
  std::wstring report;  // without extension
};

TEST_F(ViewWindowTest, AltKeysShowEveryViewAndTheNextViewButtonWraps) {
  const size_t columns[kViewCount] = {4, 5, 4, 6, 12, 3, 3, 4, 3, 3};
  for (uint8_t tag = 0; tag < kViewCount; ++tag) {
    SCOPED_TRACE(testing::Message() << "view " << int(tag));
    ShowView(tag);
    form.UpdateCommandStates();
    EXPECT_EQ(form.viewState().CurrentView, tag);
    EXPECT_EQ(form.list().ColumnCount(), columns[tag]);
    EXPECT_EQ(ItemCount(), static_cast<int>(form.list().RowCount()));
    EXPECT_EQ(form.StatusText(), L"准备好了");
    for (uint8_t other = 0; other < kViewCount; ++other)
      EXPECT_EQ(form.command(ui::kCmdViewFirst + other).checked, other == tag);
    // The connection view's toggles only there.
    EXPECT_EQ(form.command(ui::kCmdByName).enabled, tag == kViewConnections);
  }
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ItemText(0, 0), L"UDPv4");

  Execute(ui::kCmdStatistics);  // after the UDP statistics: the adapter table
  EXPECT_EQ(form.viewState().CurrentView, kViewNic);
  EXPECT_EQ(ItemText(1, 0), L"Ethernet");
  Execute(ui::kCmdStatistics);
  EXPECT_EQ(form.viewState().CurrentView, kViewArp);
}

TEST_F(ViewWindowTest, RefreshKeepsRowsAndTheTimerRefreshesToo) {
  ShowView(kViewNic);
  const RowId first = form.list().Row(0).id;
  ip.ifRows.push_back(IfRow(3, "Wireless", 0));
  Execute(ui::kCmdRefresh);  // F5
  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(form.list().Row(0).id, first);
  ip.ifRows.erase(ip.ifRows.begin());
  Tick(1);  // the refresh timer
  ASSERT_EQ(ItemCount(), 2);
  EXPECT_EQ(ItemText(1, 0), L"Wireless");
}

TEST_F(ViewWindowTest, TickerKeepsTheStatusPanelsAndTheTcpRows) {
  ShowView(kViewUdp);
  Tick(ui::ViewActions::kTcpTickTimer);
  EXPECT_EQ(Panel(1), L" 建立：1,234");
  EXPECT_EQ(Panel(2), L" 连接尝试：5");
  EXPECT_EQ(Panel(3), L" 段输入/输出：123456 / 654321");
  EXPECT_EQ(ItemText(0, 2), L"0");  // the UDP rows are left alone

  ShowView(kViewTcp);
  EXPECT_EQ(ItemText(5, 2), L"123,456");
  ip.tcpStats[0].dwInSegs = 200000;
  Tick(ui::ViewActions::kTcpTickTimer);  // without a refresh
  EXPECT_EQ(ItemText(5, 2), L"200,000");
  EXPECT_EQ(Panel(3), L" 段输入/输出：200000 / 654321");

  // Not in the middle of a view update.
  ip.tcpStats[0].dwInSegs = 300000;
  form.viewState().Ready = false;
  Tick(ui::ViewActions::kTcpTickTimer);
  EXPECT_EQ(ItemText(5, 2), L"200,000");
  form.viewState().Ready = true;
}

TEST_F(ViewWindowTest, ContextMenuChoosesTheInterface) {
  ShowView(kViewRoute);
  EXPECT_FALSE(form.viewActions().BuildPopup());  // no menu outside the statistics view

  ShowView(kViewInterface);
  EXPECT_EQ(ItemText(0, 1), L"5,100");
  UniqueMenu menu = form.viewActions().BuildPopup();
  ASSERT_TRUE(menu);
  ASSERT_EQ(GetMenuItemCount(menu.get()), 4);  // 所有, separator, two interfaces
  auto item = [&](int position, std::wstring* caption) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu.get(), position, TRUE, &info);
    *caption = text;
    return info;
  };
  std::wstring caption;
  MENUITEMINFOW all = item(0, &caption);
  EXPECT_EQ(caption, L"所有");
  EXPECT_TRUE(all.fState & MFS_CHECKED);
  EXPECT_TRUE(all.fType & MFT_RADIOCHECK);
  EXPECT_TRUE(item(1, &caption).fType & MFT_SEPARATOR);
  EXPECT_FALSE(item(3, &caption).fState & MFS_CHECKED);
  EXPECT_EQ(caption, L"Ethernet");

  // With automatic refresh off the choice shows at once.
  Execute(ui::kCmdAutoRefresh);
  form.viewActions().InterfaceChosen(2);
  EXPECT_EQ(ItemText(0, 1), L"5,000");
  menu = form.viewActions().BuildPopup();
  EXPECT_TRUE(item(3, &caption).fState & MFS_CHECKED);
  EXPECT_FALSE(item(0, &caption).fState & MFS_CHECKED);

  // Through the real menu: right click, then the keyboard picks the loopback
  // interface (down to "所有", past the separator, to the first interface).
  std::thread picker([] {
    for (int i = 0; i < 250; ++i, Sleep(20)) {
      HWND menuWindow = FindWindowW(L"#32768", nullptr);
      if (!menuWindow || !IsWindowVisible(menuWindow)) continue;
      for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
        Sleep(50);
      }
      return;
    }
  });
  RECT cell{};
  ListView_GetItemRect(ListView(), 0, &cell, LVIR_BOUNDS);
  POINT at{cell.left + 20, cell.top + 5};
  ClientToScreen(ListView(), &at);
  SendMessageW(form.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ListView()),
               MAKELPARAM(at.x, at.y));
  picker.join();
  pump.RunPending();
  EXPECT_EQ(form.viewState().SelectedInterface, 1);
  EXPECT_EQ(ItemText(0, 1), L"100");

  // Another view and back: all interfaces again.
  ShowView(kViewNic);
  ShowView(kViewInterface);
  EXPECT_EQ(form.viewState().SelectedInterface, -1);
  EXPECT_EQ(ItemText(0, 1), L"5,100");
}

TEST_F(ViewWindowTest, LastingErrorShowsOneBoxAtATime) {
  ShowView(kViewIp);
  ip.FailCall(ScriptedIpHelper::kIpStats, ERROR_GEN_FAILURE, 0, true);
  ip.FailCall(ScriptedIpHelper::kTcpStats, ERROR_GEN_FAILURE, 0, true);
  size_t errorsWhileOpen = 0;
  whileBoxOpen = [&] {
    // Ticks arrive while the box is open, as they do in its modal loop.
    const size_t before = errors.size();
    for (int i = 0; i < 3; ++i) {
      SendMessageW(form.hwnd(), WM_TIMER, 1, 0);
      SendMessageW(form.hwnd(), WM_TIMER, ui::ViewActions::kTcpTickTimer, 0);
    }
    errorsWhileOpen += errors.size() - before;
  };
  Tick(1);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errorsWhileOpen, 0u);
  EXPECT_EQ(errors[0], ui::ErrorBoxText(SystemMessage(ERROR_GEN_FAILURE)));
  EXPECT_TRUE(form.viewState().Ready);
  EXPECT_EQ(form.StatusText(), L"准备好了");
  // Once it is closed, the next tick tries again and shows the error again.
  Tick(1);
  EXPECT_EQ(errors.size(), 2u);
  Tick(ui::ViewActions::kTcpTickTimer);
  EXPECT_EQ(errors.size(), 3u);
  EXPECT_EQ(errorsWhileOpen, 0u);
}

TEST_F(ViewWindowTest, AutoSaveFollowsTimedRefreshesOnly) {
  ShowView(kViewInterface);
  ReportSettings& settings = form.reports().settings();
  settings.LastFile = report + L".txt";
  settings.AppendStatistics = true;
  settings.AutoSave = true;
  Tick(ui::ViewActions::kTcpTickTimer);
  Tick(1);
  Tick(1);
  Execute(ui::kCmdRefresh);  // F5: no save
  const std::string text = ReadFile(settings.LastFile);
  EXPECT_EQ(Count(text, "*** "), 2u);
  // The stamp carries status panel 1, and the last sent cell is 25 blanks.
  EXPECT_EQ(Count(text,
                  "\r\n***  \xBD\xA8\xC1\xA2\xA3\xBA"
                  "1,234 ("),
            2u);
  EXPECT_EQ(Count(text, "\xCE\xB4\xD6\xAA\xD0\xAD\xD2\xE9" + std::string(38, ' ') + "0" +
                            std::string(26, ' ') + "\r\n"),
            2u);

  // Save replaces the file when not appending.
  settings.AppendStatistics = false;
  Execute(ui::kCmdSave);
  EXPECT_EQ(Count(ReadFile(settings.LastFile), "*** "), 1u);
}

TEST_F(ViewWindowTest, SaveDoesNothingWhileAViewIsUpdatingAndShowsWriteErrors) {
  ShowView(kViewIp);
  ReportSettings& settings = form.reports().settings();
  settings.LastFile = report + L".txt";
  form.viewState().Ready = false;
  Execute(ui::kCmdSave);
  EXPECT_EQ(GetFileAttributesW(settings.LastFile.c_str()), INVALID_FILE_ATTRIBUTES);
  form.viewState().Ready = true;

  Execute(ui::kCmdSave);
  const std::string before = ReadFile(settings.LastFile);
  HANDLE holder =
      CreateFileW(settings.LastFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Execute(ui::kCmdSave);
  CloseHandle(holder);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], L"I/O错误32.");
  EXPECT_EQ(ReadFile(settings.LastFile), before);
}

// Answers the dialogs of this process from another thread, one after the
// other: a file name is typed into the save-file dialog and OK pressed; an
// empty answer presses Cancel; kYes answers a question box with Yes.
class DialogDriver {
 public:
  static constexpr wchar_t kYes[] = L"<yes>";

  explicit DialogDriver(std::vector<std::wstring> answers)
      : thread_([this, answers = std::move(answers), owner = GetCurrentThreadId()] {
          size_t next = 0;
          for (int i = 0; i < 500 && next < answers.size() && !done_; ++i, Sleep(20)) {
            HWND dialog = FindDialog(owner);
            if (!dialog || dialog == last_) continue;
            last_ = dialog;
            // Counted before the answer lets the dialog, and so the command
            // the test waits on, end.
            answered = ++next;
            Answer(dialog, answers[next - 1]);
          }
        }) {}
  ~DialogDriver() {
    done_ = true;
    thread_.join();
  }
  std::atomic<size_t> answered{0};
  std::wstring initialName;  // the file name the save-file dialog offered

 private:
  void Answer(HWND dialog, const std::wstring& answer) {
    if (answer == kYes) {
      PostMessageW(dialog, WM_COMMAND, IDYES, 0);
      return;
    }
    if (answer.empty()) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    HWND edit = GetDlgItem(dialog, cmb13);
    if (!edit) edit = GetDlgItem(dialog, edt1);
    wchar_t offered[MAX_PATH] = {};
    SendMessageW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(offered));
    initialName = offered;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }
  struct Search {
    HWND found;
  };
  static BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM lParam) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(hwnd)) return TRUE;
    reinterpret_cast<Search*>(lParam)->found = hwnd;
    return FALSE;
  }
  static HWND FindDialog(DWORD owner) {
    Search search{nullptr};
    EnumThreadWindows(owner, FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND last_ = nullptr;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST_F(ViewWindowTest, SaveWithoutFileAsksForOneInTheSaveDialog) {
  ShowView(kViewUdp);
  {
    DialogDriver driver({L""});  // Cancel
    Execute(ui::kCmdSave);
    EXPECT_EQ(driver.answered, 1u);
  }
  EXPECT_TRUE(form.reports().settings().LastFile.empty());
  EXPECT_EQ(Caption(), L"Kestro");

  const std::wstring file = report + L".txt";
  {
    DialogDriver driver({report + L".csv"});
    Execute(ui::kCmdSave);  // no file yet: Save As
    EXPECT_EQ(driver.answered, 1u);
    EXPECT_EQ(driver.initialName, L"*.txt");
  }
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(form.reports().settings().LastFile, file);
  EXPECT_EQ(Caption(), L"Kestro V 1.0 - " + file);
  EXPECT_NE(ReadFile(file).find("UDPv4    Datagrams Received"), std::string::npos);

  // Save As replaces the file even when Save appends.
  form.reports().settings().AppendStatistics = true;
  Execute(ui::kCmdSave);
  EXPECT_EQ(Count(ReadFile(file), "*** "), 2u);
  {
    DialogDriver driver({file, DialogDriver::kYes});  // the file exists: confirm replacing it
    Execute(ui::kCmdSaveAs);
    EXPECT_EQ(driver.answered, 2u);
    // The dialog offers LastFile (its name in its folder).
    ASSERT_FALSE(driver.initialName.empty());
    EXPECT_TRUE(file.ends_with(driver.initialName)) << ToUtf8(driver.initialName);
  }
  EXPECT_EQ(Count(ReadFile(file), "*** "), 1u);
}

}  // namespace
}  // namespace kestro::test
