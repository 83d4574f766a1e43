#pragma once
// Names that something outside this program's code matches: change one and
// that party no longer finds us. Each says who relies on it. Captions and
// other fixed texts stay where they are shown.

namespace kestro {

// Registered window classes: found by FindWindow in our end-to-end driver,
// and by any user tool written against earlier releases.
inline constexpr wchar_t kMainWindowClass[] = L"TMainForm";
inline constexpr wchar_t kSplashWindowClass[] = L"TfrmSplash";
inline constexpr wchar_t kTrayWindowClass[] = L"TTrayIcon";

// The single-instance mutex: a second copy of any release finds the first by it.
inline constexpr wchar_t kInstanceMutexName[] = L"Kestro V 1.0";

// The application title: the caption of every message box, which users and
// our end-to-end tests find them by.
inline constexpr wchar_t kApplicationTitle[] = L"Kestro V 1.0";

// The program icon's resource name: the shell and the window classes load it.
inline constexpr wchar_t kProgramIconName[] = L"MAINICON";

// Broadcast by the shell when the notification area is made anew.
inline constexpr wchar_t kTaskbarCreatedMessage[] = L"TaskbarCreated";

// The settings under HKEY_CURRENT_USER, with the names of their values in the
// key's order: earlier releases wrote them, and the next start reads them.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Corvanet\\Kestro";
namespace setting {
inline constexpr wchar_t kPosition[] = L"Position";
inline constexpr wchar_t kWindowState[] = L"WindowState";
inline constexpr wchar_t kShowToolBar[] = L"ShowToolBar";
inline constexpr wchar_t kShowStatusBar[] = L"ShowStatusBar";
inline constexpr wchar_t kShowByName[] = L"ShowByName";
inline constexpr wchar_t kShowAllEndpoints[] = L"ShowAllEndpoints";
inline constexpr wchar_t kAutoRefresh[] = L"AutoRefresh";
inline constexpr wchar_t kAppendStatistics[] = L"AppendStatistics";
inline constexpr wchar_t kAutoSave[] = L"AutoSave";
inline constexpr wchar_t kStatType[] = L"StatType";
inline constexpr wchar_t kInterval[] = L"Interval";
inline constexpr wchar_t kLastFile[] = L"LastFile";
}  // namespace setting

// Files beside the program in Program Files\Kestro, where the installer puts them.
inline constexpr wchar_t kInstallFolder[] = L"Kestro";
inline constexpr wchar_t kCountryDatabaseFile[] = L"lib_info.dll";
inline constexpr wchar_t kUploadToolFile[] = L"MirovanUpload.exe";
// Played on a new connection, from the current directory, where users put it.
inline constexpr wchar_t kNewConnectionSoundFile[] = L"sound.wav";

}  // namespace kestro
