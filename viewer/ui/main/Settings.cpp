#include "ui/main/Settings.h"

#include <algorithm>
#include <bit>

#include "ExternalNames.h"
#include "ui/base/Window.h"
#include "ui/windows/OptionsDialog.h"
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
  ReadRegistryBinary(k, setting::kPosition, &settings.Position, sizeof settings.Position);
  if (auto state = ReadRegistryDword(k, setting::kWindowState))
    settings.WindowState = *state == 2 ? MainWindowState::Maximised : MainWindowState::Normal;
  ReadBoolean(k, setting::kShowToolBar, settings.ShowToolBar);
  ReadBoolean(k, setting::kShowStatusBar, settings.ShowStatusBar);
  ReadBoolean(k, setting::kShowByName, settings.ShowByName);
  ReadBoolean(k, setting::kShowAllEndpoints, settings.ShowAllEndpoints);
  ReadBoolean(k, setting::kAutoRefresh, settings.AutoRefresh);
  ReadBoolean(k, setting::kAppendStatistics, settings.AppendStatistics);
  ReadBoolean(k, setting::kAutoSave, settings.AutoSave);
  if (auto view = ReadRegistryDword(k, setting::kStatType))
    settings.StatType = static_cast<uint8_t>(*view);
  // A stored 0 would otherwise refresh as fast as the timer can fire.
  if (auto interval = ReadRegistryDword(k, setting::kInterval))
    settings.Interval = std::max<UINT>(*interval, kMinimumInterval);
  if (auto file = ReadRegistryString(k, setting::kLastFile)) settings.LastFile = *file;
  return settings;
}

void WriteSettings(const Settings& settings) {
  UniqueRegKey key = CreateRegistryKeyForWriting(HKEY_CURRENT_USER, kSettingsKey);
  if (!key) return;
  HKEY k = key.get();
  if (settings.WindowState == MainWindowState::Normal)
    WriteRegistryBinary(k, setting::kPosition, &settings.Position, sizeof settings.Position);
  WriteRegistryDword(k, setting::kWindowState, static_cast<DWORD>(settings.WindowState));
  WriteRegistryDword(k, setting::kShowToolBar, settings.ShowToolBar);
  WriteRegistryDword(k, setting::kShowStatusBar, settings.ShowStatusBar);
  WriteRegistryDword(k, setting::kShowByName, settings.ShowByName);
  WriteRegistryDword(k, setting::kShowAllEndpoints, settings.ShowAllEndpoints);
  WriteRegistryDword(k, setting::kAutoRefresh, settings.AutoRefresh);
  WriteRegistryDword(k, setting::kAppendStatistics, settings.AppendStatistics);
  WriteRegistryDword(k, setting::kAutoSave, settings.AutoSave);
  WriteRegistryDword(k, setting::kStatType, settings.StatType);
  WriteRegistryDword(k, setting::kInterval, settings.Interval);
  WriteRegistryString(k, setting::kLastFile, settings.LastFile);
}

std::wstring MainWindowCaption(const std::wstring& lastFile) {
  if (lastFile.empty()) return L"Kestro";
  return std::wstring(kApplicationTitle) + L" - " + lastFile;
}

}  // namespace kestro::ui
