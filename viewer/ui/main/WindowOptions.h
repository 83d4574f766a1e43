#pragma once
// The main window's own commands: Exit, the two bars, always on top, the
// transparency slider, the options window and About.

#include <windows.h>

#include <functional>

#include "ui/main/MainContext.h"

namespace kestro::ui {

class ReportCommands;
class ViewActions;

// The controls these commands show and hide, made by the main window.
struct WindowBars {
  HWND toolBar = nullptr;
  HWND trackBar = nullptr;  // TrackBar1
  std::function<void()> relayout;
};

class WindowOptions {
 public:
  // Adds the commands.
  WindowOptions(const MainContext& context, ViewActions& views, ReportCommands& reports);
  WindowOptions(const WindowOptions&) = delete;
  WindowOptions& operator=(const WindowOptions&) = delete;

  // Once the bars exist; the slider starts fully opaque.
  void Start(WindowBars bars);

  // Ends the program at once, without the close question.
  void Exit();
  void ToggleToolBar();
  void ToggleStatusBar();
  void ToggleAlwaysOnTop();
  // Shows or hides the slider; the window stays as translucent as it was.
  void ToggleTransparencySlider();
  // Every change of the slider, also one made by the program.
  void OnTransparencyChanged();
  void ShowOptions();
  void ShowAbout();

  // The idle-time update: the bars' commands are checked as the bars show.
  void UpdateCommands();

 private:
  void AddCommands();
  void ToggleBar(HWND bar);

  MainContext context_;
  ViewActions& views_;
  ReportCommands& reports_;
  WindowBars bars_;
};

}  // namespace kestro::ui
