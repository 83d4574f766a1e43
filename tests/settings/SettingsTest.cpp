// The settings against the real registry of the test prefix: HKEY_CURRENT_USER
// is redirected to a scratch key of this test, so every case starts as a
// first run and leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ui/main/Settings.h"
#include "ui/windows/OptionsDialog.h"

namespace kestro::test {
namespace {

using ui::MainWindowState;
using ui::Settings;

constexpr wchar_t kScratchUser[] = L"Software\\KestroTests\\SettingsUser";

using Bytes = std::vector<BYTE>;

template <typename T>
Bytes BytesOf(const T& value) {
  Bytes bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}
Bytes Dword(DWORD value) { return BytesOf(value); }
Bytes Text(const std::wstring& text) {  // with its terminator, as REG_SZ is stored
  Bytes bytes((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(bytes.data(), text.c_str(), bytes.size());
  return bytes;
}

// REG_SZ stored without its terminator, as some writers do.
Bytes Unterminated(Bytes text) {
  text.resize(text.size() - sizeof(wchar_t));
  return text;
}

struct StoredValue {
  DWORD type = REG_NONE;
  Bytes data;
  bool operator==(const StoredValue&) const = default;
};
using StoredValues = std::map<std::wstring, StoredValue>;

// Every field, so that a failed comparison shows what differs.
std::string Describe(const Settings& s) {
  std::ostringstream out;
  out << "Position=" << s.Position.left << ',' << s.Position.top << ',' << s.Position.right << ','
      << s.Position.bottom << " WindowState=" << static_cast<DWORD>(s.WindowState)
      << " ShowToolBar=" << s.ShowToolBar << " ShowStatusBar=" << s.ShowStatusBar
      << " ShowByName=" << s.ShowByName << " ShowAllEndpoints=" << s.ShowAllEndpoints
      << " AutoRefresh=" << s.AutoRefresh << " AppendStatistics=" << s.AppendStatistics
      << " AutoSave=" << s.AutoSave << " StatType=" << int{s.StatType} << " Interval=" << s.Interval
      << " LastFile=";
  for (wchar_t c : s.LastFile) out << (c < 128 ? static_cast<char>(c) : '?');
  return out.str();
}

class SettingsTest : public testing::Test {
 protected:
  SettingsTest() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchUser);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratchUser, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &user_, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_), ERROR_SUCCESS);
  }
  ~SettingsTest() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(user_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchUser);
  }

  // The settings key as the scratch user holds it; null when it does not exist.
  HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    RegOpenKeyExW(user_, kSettingsKey, 0, KEY_ALL_ACCESS, &key);
    return key;
  }
  void Store(const StoredValues& values) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(user_, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    for (const auto& [name, value] : values)
      ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                               static_cast<DWORD>(value.data.size())),
                ERROR_SUCCESS);
    RegCloseKey(key);
  }
  StoredValues Stored() {
    StoredValues values;
    HKEY key = OpenSettingsKey();
    if (!key) return values;
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD nameLength = 256;
      DWORD type = 0;
      BYTE data[1024];
      DWORD size = sizeof data;
      if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) !=
          ERROR_SUCCESS)
        break;
      values[name] = {type, Bytes(data, data + size)};
    }
    RegCloseKey(key);
    return values;
  }

  HKEY user_ = nullptr;
};

// One stored value that differs from its default, and how reading it changes
// the defaults.
struct ValueCase {
  const wchar_t* name;
  StoredValue stored;
  std::function<void(Settings&)> restore;
};

const RECT kStoredBounds{-8, 20, 650, 500};

std::vector<ValueCase> EveryValueChanged() {
  return {
      {L"Position",
       {REG_BINARY, BytesOf(kStoredBounds)},
       [](Settings& s) { s.Position = kStoredBounds; }},
      {L"WindowState",
       {REG_DWORD, Dword(2)},
       [](Settings& s) { s.WindowState = MainWindowState::Maximised; }},
      {L"ShowToolBar", {REG_DWORD, Dword(0)}, [](Settings& s) { s.ShowToolBar = false; }},
      {L"ShowStatusBar", {REG_DWORD, Dword(0)}, [](Settings& s) { s.ShowStatusBar = false; }},
      {L"ShowByName", {REG_DWORD, Dword(1)}, [](Settings& s) { s.ShowByName = true; }},
      // Any value other than 0 is true.
      {L"ShowAllEndpoints", {REG_DWORD, Dword(7)}, [](Settings& s) { s.ShowAllEndpoints = true; }},
      {L"AutoRefresh", {REG_DWORD, Dword(0)}, [](Settings& s) { s.AutoRefresh = false; }},
      {L"AppendStatistics", {REG_DWORD, Dword(1)}, [](Settings& s) { s.AppendStatistics = true; }},
      {L"AutoSave", {REG_DWORD, Dword(1)}, [](Settings& s) { s.AutoSave = true; }},
      // Only the low 8 bits are the view kind.
      {L"StatType", {REG_DWORD, Dword(0x1205)}, [](Settings& s) { s.StatType = 5; }},
      {L"Interval", {REG_DWORD, Dword(2500)}, [](Settings& s) { s.Interval = 2500; }},
      {L"LastFile", {REG_SZ, Text(L"C:\\r.txt")}, [](Settings& s) { s.LastFile = L"C:\\r.txt"; }},
  };
}

TEST_F(SettingsTest, WithoutTheKeyEveryValueIsItsDefaultAndTheKeyIsNotCreated) {
  const Settings settings = ui::ReadSettings();
  EXPECT_EQ(Describe(settings),
            "Position=190,117,893,666 WindowState=0 ShowToolBar=1 ShowStatusBar=1 ShowByName=0 "
            "ShowAllEndpoints=0 AutoRefresh=1 AppendStatistics=0 AutoSave=0 StatType=0 "
            "Interval=1000 LastFile=");
  EXPECT_EQ(OpenSettingsKey(), nullptr);
  EXPECT_EQ(ui::MainWindowCaption(settings.LastFile), L"Kestro");

  Store({});  // the key without values reads the same
  EXPECT_EQ(Describe(ui::ReadSettings()), Describe(settings));
}

TEST_F(SettingsTest, EachValueIsRestoredByItselfAndAllTogether) {
  Settings everything;
  StoredValues all;
  for (const ValueCase& value : EveryValueChanged()) {
    SCOPED_TRACE(value.name);
    RegDeleteTreeW(user_, kSettingsKey);
    Store({{value.name, value.stored}});
    Settings expected;
    value.restore(expected);
    EXPECT_EQ(Describe(ui::ReadSettings()), Describe(expected));
    value.restore(everything);
    all[value.name] = value.stored;
  }
  RegDeleteTreeW(user_, kSettingsKey);
  Store(all);
  EXPECT_EQ(Describe(ui::ReadSettings()), Describe(everything));
}

// A value of another type or size keeps its default; every other value,
// before and after it in the key's order, is still read.
TEST_F(SettingsTest, AValueOfAnUnexpectedTypeOrSizeKeepsItsDefault) {
  const std::vector<ValueCase> values = EveryValueChanged();
  Settings everything;
  for (const ValueCase& value : values) value.restore(everything);

  auto damaged = [](const StoredValue& good) {
    std::vector<StoredValue> variants;
    const Bytes& data = good.data;
    if (good.type == REG_SZ) {
      variants.push_back({REG_EXPAND_SZ, data});
      variants.push_back({REG_BINARY, data});
      variants.push_back({REG_MULTI_SZ, data});
      return variants;
    }
    variants.push_back({good.type == REG_DWORD ? DWORD{REG_BINARY} : DWORD{REG_DWORD}, data});
    variants.push_back({REG_SZ, Text(L"1")});
    variants.push_back({good.type, Bytes(data.begin(), data.end() - 1)});  // one byte short
    Bytes longer = data;
    longer.insert(longer.end(), 4, 0);
    variants.push_back({good.type, longer});
    variants.push_back({good.type, {}});  // empty
    return variants;
  };

  for (size_t damagedIndex = 0; damagedIndex < values.size(); ++damagedIndex) {
    for (const StoredValue& bad : damaged(values[damagedIndex].stored)) {
      SCOPED_TRACE(testing::Message() << values[damagedIndex].name << ", type " << bad.type << ", "
                                      << bad.data.size() << " bytes");
      StoredValues stored;
      Settings expected;
      for (size_t i = 0; i < values.size(); ++i) {
        stored[values[i].name] = i == damagedIndex ? bad : values[i].stored;
        if (i != damagedIndex) values[i].restore(expected);
      }
      RegDeleteTreeW(user_, kSettingsKey);
      Store(stored);
      EXPECT_EQ(Describe(ui::ReadSettings()), Describe(expected));
    }
  }
}

TEST_F(SettingsTest, OnlyAStoredWindowStateOfTwoStartsMaximised) {
  const std::pair<DWORD, MainWindowState> cases[] = {
      {0, MainWindowState::Normal},     {1, MainWindowState::Normal},  // never starts minimised
      {2, MainWindowState::Maximised},  {3, MainWindowState::Normal},
      {0x102, MainWindowState::Normal},
  };
  for (const auto& [stored, state] : cases) {
    SCOPED_TRACE(stored);
    Store({{L"WindowState", {REG_DWORD, Dword(stored)}}});
    EXPECT_EQ(ui::ReadSettings().WindowState, state);
  }
}

// Below one second the interval is raised to it; from there it is applied as
// stored. The options window shows whole seconds and gives back milliseconds.
TEST_F(SettingsTest, AStoredIntervalBelowOneSecondBecomesOneSecond) {
  const struct {
    DWORD stored;
    UINT interval;
    int seconds;
  } cases[] = {
      {0, 1000, 1},    {1, 1000, 1},    {999, 1000, 1},        {1000, 1000, 1},
      {1001, 1001, 1}, {2500, 2500, 2}, {100000, 100000, 100}, {0xFFFFFFFF, 0xFFFFFFFF, 4294967},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Store({{L"Interval", {REG_DWORD, Dword(c.stored)}}});
    const UINT interval = ui::ReadSettings().Interval;
    EXPECT_EQ(interval, c.interval);
    EXPECT_EQ(ui::IntervalToSeconds(interval), c.seconds);
  }
  // 2500 ms shows 2 s; OK stores 2000 ms.
  EXPECT_EQ(ui::SecondsToInterval(ui::IntervalToSeconds(2500)), 2000u);
  EXPECT_EQ(ui::SecondsToInterval(100), 100000u);
}

TEST_F(SettingsTest, AStoredReportFileNamesItselfInTheCaption) {
  const struct {
    Bytes stored;
    const wchar_t* caption;
  } cases[] = {
      {Text(L"C:\\r.txt"), L"Kestro V 1.0 - C:\\r.txt"},
      {Text(L"D:\\统计\\网络.txt"), L"Kestro V 1.0 - D:\\统计\\网络.txt"},
      {Unterminated(Text(L"C:\\r.txt")), L"Kestro V 1.0 - C:\\r.txt"},
      {Text(L""), L"Kestro"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored.size() << " bytes");
    Store({{L"LastFile", {REG_SZ, c.stored}}});
    EXPECT_EQ(ui::MainWindowCaption(ui::ReadSettings().LastFile), c.caption);
  }
}

TEST_F(SettingsTest, WritingCreatesTheKeyWithEveryValueAndItsType) {
  ui::WriteSettings(Settings{});
  EXPECT_EQ(Stored(), (StoredValues{
                          {L"Position", {REG_BINARY, BytesOf(RECT{190, 117, 893, 666})}},
                          {L"WindowState", {REG_DWORD, Dword(0)}},
                          {L"ShowToolBar", {REG_DWORD, Dword(1)}},
                          {L"ShowStatusBar", {REG_DWORD, Dword(1)}},
                          {L"ShowByName", {REG_DWORD, Dword(0)}},
                          {L"ShowAllEndpoints", {REG_DWORD, Dword(0)}},
                          {L"AutoRefresh", {REG_DWORD, Dword(1)}},
                          {L"AppendStatistics", {REG_DWORD, Dword(0)}},
                          {L"AutoSave", {REG_DWORD, Dword(0)}},
                          {L"StatType", {REG_DWORD, Dword(0)}},
                          {L"Interval", {REG_DWORD, Dword(1000)}},
                          {L"LastFile", {REG_SZ, Text(L"")}},
                      }));

  Settings changed;
  changed.Position = kStoredBounds;
  changed.ShowToolBar = false;
  changed.ShowStatusBar = false;
  changed.ShowByName = true;
  changed.ShowAllEndpoints = true;
  changed.AutoRefresh = false;
  changed.AppendStatistics = true;
  changed.AutoSave = true;
  changed.StatType = 9;
  changed.Interval = 2000;
  changed.LastFile = L"C:\\报告.txt";
  ui::WriteSettings(changed);
  EXPECT_EQ(Stored(), (StoredValues{
                          {L"Position", {REG_BINARY, BytesOf(kStoredBounds)}},
                          {L"WindowState", {REG_DWORD, Dword(0)}},
                          {L"ShowToolBar", {REG_DWORD, Dword(0)}},
                          {L"ShowStatusBar", {REG_DWORD, Dword(0)}},
                          {L"ShowByName", {REG_DWORD, Dword(1)}},
                          {L"ShowAllEndpoints", {REG_DWORD, Dword(1)}},
                          {L"AutoRefresh", {REG_DWORD, Dword(0)}},
                          {L"AppendStatistics", {REG_DWORD, Dword(1)}},
                          {L"AutoSave", {REG_DWORD, Dword(1)}},
                          {L"StatType", {REG_DWORD, Dword(9)}},
                          {L"Interval", {REG_DWORD, Dword(2000)}},
                          {L"LastFile", {REG_SZ, Text(L"C:\\报告.txt")}},
                      }));
  EXPECT_EQ(Describe(ui::ReadSettings()), Describe(changed));
}

// Exit while maximised (or minimised): Position keeps the bounds of the last
// normal exit, and the next start restores them and then maximises.
TEST_F(SettingsTest, PositionIsWrittenOnlyInTheNormalState) {
  Settings normal;
  normal.Position = kStoredBounds;
  ui::WriteSettings(normal);

  for (MainWindowState state : {MainWindowState::Maximised, MainWindowState::Minimised}) {
    SCOPED_TRACE(static_cast<DWORD>(state));
    Settings other;
    other.Position = {0, 0, 1920, 1080};
    other.WindowState = state;
    ui::WriteSettings(other);
    const StoredValues stored = Stored();
    EXPECT_EQ(stored.at(L"Position"), (StoredValue{REG_BINARY, BytesOf(kStoredBounds)}));
    EXPECT_EQ(stored.at(L"WindowState"),
              (StoredValue{REG_DWORD, Dword(static_cast<DWORD>(state))}));
  }
  const Settings next = ui::ReadSettings();
  EXPECT_EQ(Describe(next), Describe([] {
              Settings s;
              s.Position = kStoredBounds;
              return s;  // the last exit was minimised: the next start is normal
            }()));

  // Maximised on the first run: no Position at all, the default comes back.
  RegDeleteTreeW(user_, kSettingsKey);
  Settings maximised;
  maximised.Position = {0, 0, 1920, 1080};
  maximised.WindowState = MainWindowState::Maximised;
  ui::WriteSettings(maximised);
  EXPECT_EQ(Stored().count(L"Position"), 0u);
  EXPECT_EQ(Stored().size(), 11u);
  EXPECT_EQ(Describe(ui::ReadSettings()), Describe([] {
              Settings s;
              s.WindowState = MainWindowState::Maximised;
              return s;
            }()));
}

TEST_F(SettingsTest, NothingIsWrittenWhenTheKeyCannotBeOpened) {
  // A user key that is volatile: the registry refuses a lasting key below it.
  HKEY volatileUser = nullptr;
  ASSERT_EQ(RegCreateKeyExW(user_, L"Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &volatileUser, nullptr),
            ERROR_SUCCESS);
  RegOverridePredefKey(HKEY_CURRENT_USER, volatileUser);
  ui::WriteSettings(Settings{});
  RegOverridePredefKey(HKEY_CURRENT_USER, user_);

  HKEY software = nullptr;
  EXPECT_EQ(RegOpenKeyExW(volatileUser, L"Software", 0, KEY_READ, &software), ERROR_FILE_NOT_FOUND);
  RegCloseKey(volatileUser);
}

}  // namespace
}  // namespace kestro::test
