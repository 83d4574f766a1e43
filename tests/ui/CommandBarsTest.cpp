// The menu bar, a popup menu and the tool bar built from the main window's
// own command table: order, separators, hidden entries, captions with their
// shortcuts, checks, radio items, enabled states, hints, and a click that
// runs its command.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "process/ProcessInfo.h"
#include "support/MenuItems.h"
#include "support/FakeProcesses.h"
#include "support/ScriptedIpHelper.h"
#include "support/ScriptedNameService.h"
#include "ui/controls/CommandBars.h"
#include "ui/main/MainWindow.h"

namespace kestro::test {
namespace {

using namespace ui;

class CommandBarsTest : public testing::Test {
 protected:
  CommandBarsTest() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    form.Create();
    form.command(kCmdAutoRefresh).checked = false;
    form.UpdateCommandStates();
  }

  using Item = MenuItem;
  static Item ItemOf(HMENU menu, int position) { return ReadMenuItem(menu, position); }

  ScriptedIpHelper ip;
  FakeProcesses processes;
  MessagePump pump;
  MainWindow form{{ip, processes, std::make_shared<ScriptedNameService>()}, pump};
};

// The main menu's shape with the commands there are so far.
constexpr MenuEntry kFileMenu[] = {{kCmdSave}, {kCmdSaveAs}};
constexpr MenuEntry kViewMenu[] = {kMenuSeparator,
                                   {kCmdShowGridLines},
                                   {kCmdChooseColumns},
                                   {kCmdFlag, true},
                                   kMenuSeparator,
                                   {kCmdTest, true},
                                   {ViewCommandId(kViewNic), true}};
constexpr MenuEntry kOptionsMenu[] = {
    {kCmdCloseConnection}, {kCmdAllEndpoints}, {kCmdByName},     kMenuSeparator,
    {kCmdAutoRefresh},     {kCmdRefresh},      {kCmdAutoScroll}, {kCmdStateColor, true},
    kMenuSeparator,        {kCmdBalloonTip},   {kCmdSound}};
constexpr MenuLayout kMainMenu[] = {
    {L"文件", kFileMenu}, {L"查看", kViewMenu}, {L"选项", kOptionsMenu}};

TEST_F(CommandBarsTest, TheMenuBarHasTheLayoutsItemsWithoutTheHiddenOnes) {
  UniqueMenu bar = BuildMenuBar(form.commands(), kMainMenu);
  ASSERT_EQ(GetMenuItemCount(bar.get()), 3);
  EXPECT_EQ(ItemOf(bar.get(), 1).text, L"查看");

  HMENU view = GetSubMenu(bar.get(), 1);
  ASSERT_EQ(GetMenuItemCount(view), 4);  // flags, test1 and the view entry are hidden
  EXPECT_TRUE(ItemOf(view, 0).separator);
  EXPECT_EQ(ItemOf(view, 1).text, L"显示网格线");
  EXPECT_EQ(ItemOf(view, 2).id, kCmdChooseColumns);
  EXPECT_TRUE(ItemOf(view, 3).separator);

  HMENU options = GetSubMenu(bar.get(), 2);
  ASSERT_EQ(GetMenuItemCount(options), 10);
  const Item close = ItemOf(options, 0);
  EXPECT_EQ(close.text, L"关闭连接\tCtrl+K");
  EXPECT_FALSE(close.enabled);  // nothing selected
  EXPECT_EQ(ItemOf(options, 5).text, L"刷新\tF5");
  const Item autoScroll = ItemOf(options, 6);
  EXPECT_EQ(autoScroll.text, L"自动滚屏");
  EXPECT_TRUE(autoScroll.checked);
  EXPECT_TRUE(ItemOf(options, 7).separator);  // the hidden state colours are left out
  EXPECT_EQ(ItemOf(options, 8).id, kCmdBalloonTip);

  // The states follow the table when the menu opens.
  SendMessageW(form.hwnd(), WM_COMMAND, kCmdAutoScroll, 0);
  form.command(kCmdCloseConnection).enabled = true;
  UpdateMenuStates(bar.get(), form.commands());
  EXPECT_FALSE(ItemOf(options, 6).checked);
  EXPECT_TRUE(ItemOf(options, 0).enabled);
}

TEST_F(CommandBarsTest, APopupOfTheViewCommandsIsOneRadioGroup) {
  std::array<MenuEntry, kViewCount> views;
  for (uint8_t tag = 0; tag < kViewCount; ++tag) views[tag] = {ViewCommandId(tag)};
  UniqueMenu popup = BuildPopupMenu(form.commands(), views);
  ASSERT_EQ(GetMenuItemCount(popup.get()), kViewCount);
  for (uint8_t tag = 0; tag < kViewCount; ++tag) {
    const Item item = ItemOf(popup.get(), tag);
    EXPECT_TRUE(item.radio) << int(tag);
    EXPECT_EQ(item.checked, tag == kViewConnections) << int(tag);
    EXPECT_EQ(item.text,
              form.command(ViewCommandId(tag)).caption + L"\tAlt+" + std::to_wstring(tag));
  }
}

// A layout or a part that names a command nobody added is a fault of the
// program: the lookup says so instead of following a null entry.
TEST(CommandTable, GetRaisesForACommandNotInTheTable) {
  CommandTable table;
  table.Add({.id = kCmdSave, .caption = L"保存"});
  EXPECT_EQ(table.Get(kCmdSave).caption, L"保存");
  EXPECT_THROW(table.Get(kCmdSaveAs), std::logic_error);
  const CommandTable& constant = table;
  EXPECT_THROW(constant.Get(kCmdSaveAs), std::logic_error);
}

TEST_F(CommandBarsTest, TheToolBarHasItsButtonsHintsAndChecksAndRunsItsCommands) {
  const ToolEntry layout[] = {{},
                              {kCmdSave},
                              {},
                              {kCmdRefresh},
                              {},
                              {kCmdStatistics, ToolStyle::kDropDown, true},
                              {kCmdBalloonTip, ToolStyle::kCheck},
                              {kCmdSound, ToolStyle::kCheck},
                              {kCmdAllEndpoints},
                              {kCmdByName},
                              {}};
  HWND bar = CreateToolBar(form.hwnd(), 2, form.commands(), layout, nullptr);
  ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 11);
  auto button = [&](int index) {
    TBBUTTON info{};
    SendMessageW(bar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&info));
    return info;
  };
  EXPECT_TRUE(button(0).fsStyle & BTNS_SEP);
  EXPECT_EQ(button(1).idCommand, static_cast<int>(kCmdSave));
  EXPECT_TRUE(button(5).fsState & TBSTATE_HIDDEN);
  EXPECT_TRUE(button(5).fsStyle & BTNS_WHOLEDROPDOWN);
  EXPECT_TRUE(button(6).fsStyle & BTNS_CHECK);
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONCHECKED, kCmdBalloonTip, 0));

  // The hint is the command's, not its caption.
  NMTTDISPINFOW tip{};
  tip.hdr = {bar, kCmdAllEndpoints, TTN_GETDISPINFOW};
  ASSERT_TRUE(AnswerToolTip(&tip.hdr, form.commands()));
  EXPECT_STREQ(tip.lpszText, L"显示未连接的端点");
  tip.hdr.code = NM_CLICK;
  EXPECT_FALSE(AnswerToolTip(&tip.hdr, form.commands()));

  // A click runs the command through the main window.
  RECT rect{};
  SendMessageW(bar, TB_GETRECT, kCmdBalloonTip, reinterpret_cast<LPARAM>(&rect));
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(bar, WM_LBUTTONUP, 0, at);
  pump.RunPending();
  EXPECT_TRUE(form.command(kCmdBalloonTip).checked);

  // The buttons follow the table.
  form.command(kCmdSound).checked = true;
  form.command(kCmdByName).enabled = false;
  UpdateToolBarStates(bar, form.commands());
  EXPECT_TRUE(SendMessageW(bar, TB_ISBUTTONCHECKED, kCmdSound, 0));
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONENABLED, kCmdByName, 0));
  EXPECT_TRUE(button(5).fsState & TBSTATE_HIDDEN);  // still hidden
  DestroyWindow(bar);
}

}  // namespace
}  // namespace kestro::test
