// Queries off the user-interface thread: outcomes arrive through this thread's
// message loop, only for the latest query, and never after the runner is gone.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/MessageLoop.h"
#include "support/WhoisPeer.h"
#include "net/WhoisQueryRunner.h"
#include "win/SystemError.h"

namespace kestro::test {
namespace {

constexpr WhoisTimeouts kShort = {2'000, 1'500};
// Time-outs that never pass in a test run: only cancelling ends such a query.
constexpr WhoisTimeouts kNever = {INFINITE - 1, INFINITE - 1};

// What the owner saw: each outcome and the thread it arrived on.
struct Owner {
  std::vector<WhoisOutcome> outcomes;
  std::vector<DWORD> threads;

  WhoisQueryRunner::Done Receiver() {
    return [this](const WhoisOutcome& outcome) {
      outcomes.push_back(outcome);
      threads.push_back(GetCurrentThreadId());
    };
  }
  bool WaitForOutcomes(size_t count) {
    return PumpUntil([&] { return outcomes.size() >= count; }, 10'000);
  }
};

TEST(WhoisQueryRunner, DeliversOnTheOwnersThreadThroughItsMessageLoop) {
  WhoisPeer peer({{"answer\r\n"}});
  Owner owner;
  WhoisQueryRunner runner(owner.Receiver(), kShort);
  runner.Start(peer.Server(), L" 10.0.0.1 ");
  // The answer is complete, but waits for this thread's messages to run.
  ASSERT_TRUE(peer.WaitForClientCloses(1, 10'000));
  Sleep(100);
  EXPECT_TRUE(owner.outcomes.empty());

  ASSERT_TRUE(owner.WaitForOutcomes(1));
  EXPECT_TRUE(owner.outcomes[0].answered);
  EXPECT_EQ(owner.outcomes[0].text, L"answer\r\n");
  EXPECT_EQ(owner.threads[0], GetCurrentThreadId());
  EXPECT_EQ(peer.Queries(), std::vector<std::string>{"10.0.0.1\r\n"});
}

TEST(WhoisQueryRunner, TellsAnAnswerFromAFailure) {
  WhoisPeer silent({{}, 0, PeerScript::End::Hold});
  WhoisPeer closing({});
  struct Case {
    std::wstring server;
    bool answered;
    std::wstring text;
  };
  const Case cases[] = {
      {silent.Server(), false, kWhoisNoAnswer},
      {L"127.0.0.1:" + std::to_wstring(UnusedPort()), false, SystemMessage(WSAECONNREFUSED)},
      // An empty answer is still an answer.
      {closing.Server(), true, L""},
  };
  for (const Case& c : cases) {
    Owner owner;
    WhoisQueryRunner runner(owner.Receiver(), kShort);
    runner.Start(c.server, L"10.0.0.1");
    ASSERT_TRUE(owner.WaitForOutcomes(1)) << testing::PrintToString(c.server);
    EXPECT_EQ(owner.outcomes[0].answered, c.answered) << testing::PrintToString(c.server);
    EXPECT_EQ(owner.outcomes[0].text, c.text);
  }
}

TEST(WhoisQueryRunner, ALaterQueryWinsOverASlowerEarlierOne) {
  WhoisPeer slow({{"slow\r\n"}, 600'000});
  WhoisPeer fast({{"fast\r\n"}});
  Owner owner;
  WhoisQueryRunner runner(owner.Receiver(), kNever);
  runner.Start(slow.Server(), L"10.0.0.1");
  ASSERT_TRUE(slow.WaitForQueries(1, 10'000));
  runner.Start(fast.Server(), L"10.0.0.1");

  ASSERT_TRUE(owner.WaitForOutcomes(1));
  // The earlier query was cancelled: its connection closes long before its answer.
  EXPECT_TRUE(slow.WaitForClientCloses(1, 10'000));
  Pump(300);
  ASSERT_EQ(owner.outcomes.size(), 1u);
  EXPECT_EQ(owner.outcomes[0].text, L"fast\r\n");
}

TEST(WhoisQueryRunner, AnEarlierAnswerAlreadyOnItsWayIsDropped) {
  WhoisPeer first({{"first\r\n"}});
  WhoisPeer second({{"second\r\n"}, 300});
  Owner owner;
  WhoisQueryRunner runner(owner.Receiver(), kNever);
  runner.Start(first.Server(), L"10.0.0.1");
  // The first outcome is posted before the second query starts.
  ASSERT_TRUE(first.WaitForClientCloses(1, 10'000));
  Sleep(200);
  runner.Start(second.Server(), L"10.0.0.1");

  ASSERT_TRUE(owner.WaitForOutcomes(1));
  Pump(300);
  ASSERT_EQ(owner.outcomes.size(), 1u);
  EXPECT_EQ(owner.outcomes[0].text, L"second\r\n");
}

TEST(WhoisQueryRunner, CancelEndsTheRunningQueryAndDropsAnOutcomeOnItsWay) {
  WhoisPeer silent({{}, 0, PeerScript::End::Hold});
  WhoisPeer quick({{"quick\r\n"}});
  Owner owner;
  WhoisQueryRunner runner(owner.Receiver(), kNever);

  runner.Start(silent.Server(), L"10.0.0.1");
  ASSERT_TRUE(silent.WaitForQueries(1, 10'000));
  runner.Cancel();
  EXPECT_TRUE(silent.WaitForClientCloses(1, 5'000));

  // An answer complete and posted before the cancel is not delivered either.
  runner.Start(quick.Server(), L"10.0.0.1");
  ASSERT_TRUE(quick.WaitForClientCloses(1, 10'000));
  Sleep(200);
  runner.Cancel();
  Pump(300);
  EXPECT_TRUE(owner.outcomes.empty());

  // The runner goes on taking queries.
  runner.Start(quick.Server(), L"10.0.0.2");
  ASSERT_TRUE(owner.WaitForOutcomes(1));
  EXPECT_EQ(owner.outcomes[0].text, L"quick\r\n");
}

TEST(WhoisQueryRunner, DestroyingItWhileAQueryHangsEndsThatQuery) {
  WhoisPeer silent({{}, 0, PeerScript::End::Hold});
  Owner owner;
  {
    std::optional<WhoisQueryRunner> runner(std::in_place, owner.Receiver(), kNever);
    runner->Start(silent.Server(), L"10.0.0.1");
    ASSERT_TRUE(silent.WaitForQueries(1, 10'000));
    runner.reset();  // returns only once the query's thread has ended
  }
  EXPECT_TRUE(silent.WaitForClientCloses(1, 5'000));
  Pump(300);
  EXPECT_TRUE(owner.outcomes.empty());
}

}  // namespace
}  // namespace kestro::test
