// The flat hash map under the connection index, driven directly: probe runs
// that wrap around the end of the slots, erasing from every place in a run,
// growth, and long random runs against std::map; and the keys of rows.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "support/ScriptedIpHelper.h"
#include "views/ConnectionIndex.h"

namespace kestro::test {
namespace {

// Keys that choose their own hash, so that a test can put them in the slots
// it wants: 16 slots until the eighth entry.
struct Placed {
  int id;
  uint32_t hash;
  bool operator==(const Placed& other) const { return id == other.id; }
};
struct PlacedHash {
  size_t operator()(const Placed& key) const { return key.hash; }
};
using Map = FlatHashMap<Placed, int, PlacedHash>;

// Every key of `present` is found with its value, every key of `absent` is not.
void ExpectContents(Map& map, const std::vector<Placed>& present,
                    const std::vector<Placed>& absent) {
  EXPECT_EQ(map.Size(), present.size());
  for (const Placed& key : present) {
    const int* value = map.Find(key);
    ASSERT_NE(value, nullptr) << "key " << key.id;
    EXPECT_EQ(*value, key.id * 10) << "key " << key.id;
  }
  for (const Placed& key : absent) EXPECT_EQ(map.Find(key), nullptr) << "key " << key.id;
}

TEST(FlatHashMap, EraseKeepsEveryOtherKeyOfAProbeRunReachable) {
  // Each case fills the map in order, erases one key and checks the rest.
  struct Case {
    const char* what;
    std::vector<Placed> keys;
    size_t erased;  // position in keys
  };
  const Placed a{1, 15}, b{2, 15}, c{3, 15}, d{4, 15};  // a run 15, 0, 1, 2
  const Placed e{5, 1}, f{6, 1};                        // home 1, behind the wrapped run
  const Placed g{7, 0};                                 // home 0
  const std::vector<Case> cases = {
      {"the first of a wrapped run", {a, b, c, d}, 0},
      {"the middle, past the wrap", {a, b, c, d}, 1},
      {"the last of a run", {a, b, c, d}, 3},
      {"keys at home after the hole stay put", {a, b, e, f}, 0},
      {"a key home at 0 moves back across the wrap", {a, b, g}, 0},
      {"a key at home just past the wrap stays put", {a, g}, 0},
      {"a run of several homes, erased at the wrap", {a, g, b, e, f}, 1},
      {"the only key", {e}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Map map;
    map.Clear();
    for (const Placed& key : c.keys) map.FindOrAdd(key) = key.id * 10;
    map.Erase(c.keys[c.erased]);
    std::vector<Placed> rest = c.keys;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(c.erased));
    ExpectContents(map, rest, {c.keys[c.erased]});
    // Erasing it again or a key never added changes nothing.
    map.Erase(c.keys[c.erased]);
    map.Erase(Placed{99, 15});
    ExpectContents(map, rest, {c.keys[c.erased]});
    // A new key of the same home takes the freed place.
    map.FindOrAdd(Placed{100, c.keys[c.erased].hash}) = 1000;
    rest.push_back({100, c.keys[c.erased].hash});
    ExpectContents(map, rest, {c.keys[c.erased]});
  }
}

TEST(FlatHashMap, FindsNothingBeforeTheFirstAddAndAddsOnlyOnce) {
  Map map;
  EXPECT_EQ(map.Find({1, 0}), nullptr);
  map.Erase({1, 0});
  map.FindOrAdd({1, 0}) = 10;
  map.FindOrAdd({1, 0}) += 1;
  EXPECT_EQ(map.Size(), 1u);
  EXPECT_EQ(*map.Find({1, 0}), 11);
  map.Clear();
  EXPECT_EQ(map.Size(), 0u);
  EXPECT_EQ(map.Find({1, 0}), nullptr);
}

TEST(FlatHashMap, MatchesAnOrderedMapOverLongRandomRuns) {
  // Few distinct hashes, so that runs are long and cross the wrap, and the
  // map grows and shrinks through several sizes.
  for (uint32_t hashes : {3u, 64u, 100000u}) {
    SCOPED_TRACE(testing::Message() << hashes << " hashes");
    std::mt19937 random(hashes);
    Map map;
    std::map<int, int> reference;
    for (int step = 0; step < 20000; ++step) {
      const int id = static_cast<int>(random() % 300);
      const Placed key{id, (static_cast<uint32_t>(id) * 2654435761u) % hashes};
      if (random() % 3 == 0) {
        map.Erase(key);
        reference.erase(id);
      } else {
        map.FindOrAdd(key) = id * 10;
        reference[id] = id * 10;
      }
      if (step % 500 != 0) continue;
      ASSERT_EQ(map.Size(), reference.size()) << "step " << step;
      for (int other = 0; other < 300; ++other) {
        const int* value = map.Find({other, (static_cast<uint32_t>(other) * 2654435761u) % hashes});
        auto expected = reference.find(other);
        ASSERT_EQ(value != nullptr, expected != reference.end()) << "step " << step;
        if (value) {
          ASSERT_EQ(*value, expected->second);
        }
      }
    }
  }
}

TEST(ConnectionKey, IsTheEndpointWithoutOwnerOrState) {
  MIB_TCPROW_OWNER_PID row = Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 80, kTcpEstablished, 7);
  MIB_TCPROW_OWNER_PID other = Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 80, kTcpTimeWait, 8);
  EXPECT_EQ(KeyOf(row), KeyOf(other));
  EXPECT_EQ(ConnectionKeyHash()(KeyOf(row)), ConnectionKeyHash()(KeyOf(other)));
  other = Tcp4Row("10.0.0.1", 1025, "10.0.0.9", 81, kTcpEstablished, 7);
  EXPECT_FALSE(KeyOf(row) == KeyOf(other));
  // The same address and port in another kind is another row.
  MIB_UDPROW_OWNER_PID udp = Udp4Row("10.0.0.1", 1025, 7);
  MIB_TCPROW_OWNER_PID listening = Tcp4Row("10.0.0.1", 1025, "0.0.0.0", 0, kTcpListen, 7);
  EXPECT_FALSE(KeyOf(udp) == KeyOf(listening));
  // A record gives the key of the row it was made from.
  ConnectionRecord data(ConnectionKind::kTcp4);
  data.endpoint.tcp4 = row;
  EXPECT_EQ(KeyOf(data), KeyOf(row));
}

}  // namespace
}  // namespace kestro::test
