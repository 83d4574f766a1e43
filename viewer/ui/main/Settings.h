#pragma once

// The viewer's settings: the twelve values of its per-user registry key, read
// once at start and written once at exit. Registry only: the main window
// applies them to itself and hands them back.

#include <windows.h>

#include <cstdint>
#include <string>

#include "ExternalNames.h"

namespace kestro::ui {

enum class MainWindowState : DWORD { Normal = 0, Minimised = 1, Maximised = 2 };

// Members in the key's value order, named as the values; the initial values
// are the defaults of a first run.
struct Settings {
  RECT Position{190, 117, 190 + 703, 117 + 549};  // normal-state bounds, screen pixels
  MainWindowState WindowState = MainWindowState::Normal;
  bool ShowToolBar = true;
  bool ShowStatusBar = true;
  bool ShowByName = false;
  bool ShowAllEndpoints = false;
  bool AutoRefresh = true;
  bool AppendStatistics = false;
  bool AutoSave = false;
  uint8_t StatType = 0;  // the view kind shown last
  UINT Interval = 1000;  // milliseconds
  std::wstring LastFile;
};

// The stored values over the defaults. The key is not created; a missing
// key, a missing value and a value of an unexpected type or size leave the
// default. Only a stored WindowState of 2 restores maximised; an Interval
// below kMinimumInterval is raised to it.
Settings ReadSettings();
// Writes every value, creating the key; Position only in the normal state, so
// that the bounds of the last normal exit survive a maximised one. Nothing is
// written when the key cannot be opened.
void WriteSettings(const Settings& settings);

// "Kestro", or the application title and the report file once there is one.
std::wstring MainWindowCaption(const std::wstring& lastFile);

}  // namespace kestro::ui
