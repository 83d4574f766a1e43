#include "ui/main/Settings.h"

#include <algorithm>
#include <bit>

#include "ui/base/Window.h"
#include "win/Registry.h"

namespace kestro::ui {

namespace {

// Position is a RECT as it lies in memory: four signed 32-bit little-endian
// integers, left, top, right, bottom.
static_assert(sizeof(RECT) == 16 && std::endian::native == std::endian::little);

void ReadBoolean(HKEY key, const wchar_t* name, bool& value) {
  if (auto stored = ReadRegistryDword(key, name)) value = *stored != 0;
}

}  // namespace

Settings ReadSettings() {
  Settings settings;
  UniqueRegKey key = OpenRegistryKeyForReading(HKEY_CURRENT_USER, kSettingsKey);
  if (!key) return settings;
  HKEY k = key.get();
  ReadRegistryBinary(k, L"Position", &settings.Position, sizeof settings.Position);
  if (auto state = ReadRegistryDword(k, L"WindowState"))
    settings.WindowState = *state == 2 ? MainWindowState::Maximised : MainWindowState::Normal;
  ReadBoolean(k, L"ShowToolBar", settings.ShowToolBar);
  ReadBoolean(k, L"ShowStatusBar", settings.ShowStatusBar);
  ReadBoolean(k, L"ShowByName", settings.ShowByName);
  ReadBoolean(k, L"ShowAllEndpoints", settings.ShowAllEndpoints);
  ReadBoolean(k, L"AutoRefresh", settings.AutoRefresh);
  ReadBoolean(k, L"AppendStatistics", settings.AppendStatistics);
  ReadBoolean(k, L"AutoSave", settings.AutoSave);
  if (auto view = ReadRegistryDword(k, L"StatType"))
    settings.StatType = static_cast<uint8_t>(*view);
  // A stored 0 would otherwise refresh as fast as the timer can fire.
  if (auto interval = ReadRegistryDword(k, L"Interval"))
    settings.Interval = std::max<UINT>(*interval, kMinimumInterval);
  if (auto file = ReadRegistryString(k, L"LastFile")) settings.LastFile = *file;
  return settings;
}

void WriteSettings(const Settings& settings) {
  UniqueRegKey key = CreateRegistryKeyForWriting(HKEY_CURRENT_USER, kSettingsKey);
  if (!key) return;
  HKEY k = key.get();
  if (settings.WindowState == MainWindowState::Normal)
    WriteRegistryBinary(k, L"Position", &settings.Position, sizeof settings.Position);
  WriteRegistryDword(k, L"WindowState", static_cast<DWORD>(settings.WindowState));
  WriteRegistryDword(k, L"ShowToolBar", settings.ShowToolBar);
  WriteRegistryDword(k, L"ShowStatusBar", settings.ShowStatusBar);
  WriteRegistryDword(k, L"ShowByName", settings.ShowByName);
  WriteRegistryDword(k, L"ShowAllEndpoints", settings.ShowAllEndpoints);
  WriteRegistryDword(k, L"AutoRefresh", settings.AutoRefresh);
  WriteRegistryDword(k, L"AppendStatistics", settings.AppendStatistics);
  WriteRegistryDword(k, L"AutoSave", settings.AutoSave);
  WriteRegistryDword(k, L"StatType", settings.StatType);
  WriteRegistryDword(k, L"Interval", settings.Interval);
  WriteRegistryString(k, L"LastFile", settings.LastFile);
}

std::wstring MainWindowCaption(const std::wstring& lastFile) {
  if (lastFile.empty()) return L"Kestro";
  return std::wstring(kApplicationTitle) + L" - " + lastFile;
}

int IntervalToSeconds(UINT interval) { return static_cast<int>(interval / 1000); }

UINT SecondsToInterval(int seconds) { return static_cast<UINT>(seconds) * 1000; }

}  // namespace kestro::ui
