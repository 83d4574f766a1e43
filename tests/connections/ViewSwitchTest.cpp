// The view switch: rebuild rule, busy guard, emptying the list, state on errors.
#include <gtest/gtest.h>

#include "support/ScriptedIpHelper.h"
#include "net/TableReader.h"
#include "views/ListModel.h"
#include "views/ViewSwitch.h"
#include "win/SystemError.h"

namespace kestro {
namespace {

struct Events : ViewEvents {
  void ProcessPendingMessages() override { log.push_back(L"pump"); }
  void SetStatusText(const std::wstring& text) override { log.push_back(text); }
  std::vector<std::wstring> log;
};

struct Live : RowRecord {
  explicit Live(int& count) : count(count) { ++count; }
  ~Live() override { --count; }
  int& count;
};

class ViewSwitchTest : public testing::Test {
 protected:
  ViewSwitchTest() {
    state.Ready = true;
    state.CurrentView = kViewNic;
    for (uint8_t tag = 0; tag < kViewCount; ++tag)
      viewSwitch.Register(tag, [this, tag](ViewContext& c, bool rebuild) {
        calls.push_back({tag, rebuild});
        if (rebuild) c.list.AddColumn({L"c", 10});
        c.list.AppendRow().record = std::make_unique<Live>(live);
        if (onUpdate) onUpdate();
      });
  }

  test::ScriptedIpHelper ip;
  TableReader tables{ip};
  ListModel list;
  ViewState state;
  Events events;
  ViewContext context{list, tables, state, events};
  ViewSwitch viewSwitch{context};
  std::vector<std::pair<int, bool>> calls;
  std::function<void()> onUpdate;
  int live = 0;
};

TEST_F(ViewSwitchTest, RebuildsOnAViewChangeOrWithoutColumnsAndUpdatesInPlaceOtherwise) {
  viewSwitch.ShowView(kViewNic);  // same view, but no columns yet
  viewSwitch.ShowView(kViewNic);
  state.SelectedInterface = 7;
  viewSwitch.ShowView(kViewArp);
  EXPECT_EQ(calls, (std::vector<std::pair<int, bool>>{{0, true}, {0, false}, {1, true}}));
  EXPECT_EQ(state.SelectedInterface, -1);
  EXPECT_EQ(list.ColumnCount(), 1u);
  EXPECT_EQ(list.RowCount(), 1u);  // the NIC rows went with their records
  EXPECT_EQ(live, 1);
  EXPECT_EQ(state.CurrentView, kViewArp);
  EXPECT_EQ(events.log.back(), L"准备好了");
  EXPECT_EQ(std::vector<std::wstring>(events.log.begin(), events.log.begin() + 3),
            (std::vector<std::wstring>{L"更新中...", L"pump", L"准备好了"}));
}

TEST_F(ViewSwitchTest, ARequestDuringAnUpdateIsDropped) {
  onUpdate = [this] {
    onUpdate = nullptr;
    viewSwitch.ShowView(kViewTcp);
    EXPECT_FALSE(state.Ready);
  };
  viewSwitch.ShowView(kViewNic);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_TRUE(state.Ready);
}

TEST_F(ViewSwitchTest, AnErrorRestoresTheStateAndReachesTheCaller) {
  state.ReResolve = true;
  onUpdate = [] { throw SystemError(ERROR_ACCESS_DENIED); };
  EXPECT_THROW(viewSwitch.ShowView(kViewIp), SystemError);
  EXPECT_TRUE(state.Ready);
  EXPECT_FALSE(state.ReResolve);
  EXPECT_EQ(state.CurrentView, kViewIp);
  EXPECT_EQ(events.log.back(), L"准备好了");
  EXPECT_EQ(list.RowCount(), 1u);  // what the update did before the error stays
}

}  // namespace
}  // namespace kestro
