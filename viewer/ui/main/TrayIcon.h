#pragma once
// TrayIcon1: the program's icon in the notification area for the whole run,
// with its menu PopupMenu1; hiding the main window to it and restoring it; the
// blink that new rows raise and the balloon of new connections. Its own
// hidden window receives the icon's mouse messages, the shell's
// "TaskbarCreated" and the blink's timers.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/controls/Artwork.h"
#include "ui/main/MainContext.h"
#include "ui/base/Window.h"
#include "win/Handle.h"

namespace kestro::ui {

// The seam to the notification area: Shell_NotifyIconW in the program, a
// recording stand-in in tests.
class NotifyArea {
 public:
  virtual ~NotifyArea() = default;
  // NIM_ADD, NIM_MODIFY or NIM_DELETE; false when the shell refused.
  virtual bool Notify(DWORD message, const NOTIFYICONDATAW& data) = 0;
};

class ShellNotifyArea final : public NotifyArea {
 public:
  bool Notify(DWORD message, const NOTIFYICONDATAW& data) override;
};

class TrayIcon final : public Window {
 public:
  // Adds the tray's commands (Show1, Hidewindow1, test1).
  TrayIcon(const MainContext& context, NotifyArea& area, MenuPictures& pictures);
  // Removes the icon.
  ~TrayIcon() override;

  // FormCreate: the hidden window and the icon, showing the program icon,
  // without a tool tip.
  void Start();

  // Hides the main window, and with it its task-bar button.
  void HideToTray();
  // Shows the main window again in the size it had, in front.
  void RestoreFromTray();

  // The activity signal: test1 is checked and the icon cycles through the
  // cubes (blue at once, then every kCycleInterval ms) until Timer3 fires.
  // A blink that runs already goes on; its Timer3 is not restarted.
  void ActivitySignal();
  bool Blinking() const { return cycling_; }
  // Timer3: the blink stops on the cube it shows; test1 is unchecked.
  void OnBlinkTimer();
  // An information balloon for 10 s; the title is cut to 63 characters, the
  // text to 255.
  void ShowBalloon(const std::wstring& title, const std::wstring& text);

  // PopupMenu1 as the commands stand now.
  UniqueMenu BuildMenu();

  static constexpr UINT kIconId = 1;
  static constexpr UINT kCallbackMessage = WM_APP + 1;
  static constexpr UINT_PTR kBlinkTimer = 3;
  static constexpr UINT kBlinkInterval = 1000;
  static constexpr UINT_PTR kCycleTimer = 4;
  static constexpr UINT kCycleInterval = 300;
  static constexpr UINT kBalloonTimeoutMs = 10000;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AddCommands();
  // The right button's press: PopupMenu1 at the cursor.
  void ShowMenu();
  void ShowImage(HICON image);
  NOTIFYICONDATAW Data(UINT flags) const;

  MainContext context_;
  NotifyArea& area_;
  MenuPictures& pictures_;
  UINT taskbarCreated_ = 0;
  UniqueIcon programIcon_;
  UniqueIcon cubes_[kCubeCount];
  HICON shown_ = nullptr;
  bool cycling_ = false;
  int cycleIndex_ = 0;
  bool timer3Enabled_ = false;
};

}  // namespace kestro::ui
