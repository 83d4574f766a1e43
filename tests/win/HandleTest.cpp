// The handle owner: each handle is closed once, by its owner of the moment,
// whether it goes by move, reset or the end of the owner; and the aliases
// close with the right function.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "win/Handle.h"

namespace kestro {
namespace {

// A handle type whose close function records what it closes; -1 is invalid.
std::vector<int>& Closed() {
  static std::vector<int> closed;
  return closed;
}
void CloseCounted(int value) { Closed().push_back(value); }
int MinusOne() { return -1; }
using Counted = UniqueHandle<int, CloseCounted, MinusOne>;

TEST(UniqueHandle, ClosesEachHandleOnceWhateverPathItTakes) {
  Closed().clear();
  {
    Counted empty;
    EXPECT_FALSE(empty);
    Counted first(1);
    EXPECT_TRUE(first);
    Counted second(std::move(first));  // moved: only the new owner closes
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), 1);
    Counted third(3);
    third = std::move(second);  // the old value of the target goes now
    EXPECT_EQ(Closed(), std::vector<int>{3});
    third = std::move(third);  // itself: nothing happens
    EXPECT_EQ(third.get(), 1);
    third.reset(4);  // reset closes the old one and takes the new
    EXPECT_EQ(Closed(), (std::vector<int>{3, 1}));
    Counted released(5);
    EXPECT_EQ(released.release(), 5);  // given away: never closed here
    EXPECT_FALSE(released);
    Counted invalid(-1);  // the invalid value is never closed
  }
  EXPECT_EQ(Closed(), (std::vector<int>{3, 1, 4}));
}

TEST(UniqueHandle, TheAliasesCloseTheirRealHandles) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    UniqueHandleNull owner(event);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(event, &flags));
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(event, &flags));

  UniqueMenu menu(CreatePopupMenu());
  const HMENU raw = menu.get();
  EXPECT_TRUE(IsMenu(raw));
  menu.reset();
  EXPECT_FALSE(IsMenu(raw));

  // A file handle's invalid value is INVALID_HANDLE_VALUE, not null.
  UniqueFileHandle missing(
      CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key), ERROR_SUCCESS);
  {
    UniqueRegKey owner(key);
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
  }
  EXPECT_NE(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace kestro
