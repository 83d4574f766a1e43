#include "ui/main/WindowOptions.h"

#include <commctrl.h>

#include "ui/controls/CommandPictures.h"
#include "ui/windows/AboutDialog.h"
#include "ui/windows/OptionsDialog.h"
#include "ui/main/ReportCommands.h"
#include "ui/main/ViewActions.h"

namespace kestro::ui {

namespace {
constexpr wchar_t kPlainCaption[] = L"Kestro";

// The bar's own visibility, also while the main window is hidden.
bool IsShown(HWND bar) { return (GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE) != 0; }
}  // namespace

WindowOptions::WindowOptions(const MainContext& context, ViewActions& views,
                             ReportCommands& reports)
    : context_(context), views_(views), reports_(reports) {
  AddCommands();
}

void WindowOptions::AddCommands() {
  CommandTable& commands = context_.commands;
  commands.Add({.id = kCmdExit,
                .name = L"actExit",
                .caption = L"退出",
                .picture = kPictureExit,
                .execute = [this] { Exit(); }});
  commands.Add({.id = kCmdToolBar,
                .name = L"actToolBar",
                .caption = L"工具栏",
                .picture = kPictureToolBar,
                .execute = [this] { ToggleToolBar(); },
                .checked = true});
  commands.Add({.id = kCmdStatusBar,
                .name = L"actStatusBar",
                .caption = L"状态栏",
                .picture = kPictureStatusBar,
                .execute = [this] { ToggleStatusBar(); },
                .checked = true});
  commands.Add({.id = kCmdAlwaysOnTop,
                .name = L"op1",
                .caption = L"总在最前面",
                .picture = kPictureAlwaysOnTop,
                .execute = [this] { ToggleAlwaysOnTop(); }});
  commands.Add({.id = kCmdTransparency,
                .name = L"rasaporent1",
                .caption = L"透明度",
                .picture = kPictureTransparency,
                .execute = [this] { ToggleTransparencySlider(); }});
  commands.Add({.id = kCmdOptions,
                .name = L"actOptions",
                .caption = L"选项",
                .picture = kPictureOptions,
                .execute = [this] { ShowOptions(); }});
  commands.Add({.id = kCmdAbout,
                .name = L"actAbout",
                .caption = L"关于",
                .picture = kPictureAbout,
                .execute = [this] { ShowAbout(); }});
}

void WindowOptions::Start(WindowBars bars) {
  bars_ = std::move(bars);
  SendMessageW(bars_.trackBar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
  SendMessageW(bars_.trackBar, TBM_SETPOS, TRUE, 255);
  OnTransparencyChanged();
}

void WindowOptions::Exit() { DestroyWindow(context_.owner()); }

void WindowOptions::ToggleBar(HWND bar) {
  ShowWindow(bar, IsShown(bar) ? SW_HIDE : SW_SHOW);
  bars_.relayout();
}

void WindowOptions::ToggleToolBar() { ToggleBar(bars_.toolBar); }

void WindowOptions::ToggleStatusBar() { ToggleBar(context_.statusBar.hwnd()); }

void WindowOptions::ToggleAlwaysOnTop() {
  const bool onTop = context_.commands.Toggle(kCmdAlwaysOnTop);
  SetWindowPos(context_.owner(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void WindowOptions::ToggleTransparencySlider() {
  const bool shown = context_.commands.Toggle(kCmdTransparency);
  HWND owner = context_.owner();
  if (shown) {
    // Alpha blending stays on from here: hiding the slider keeps the alpha.
    SetWindowLongPtrW(owner, GWL_EXSTYLE, GetWindowLongPtrW(owner, GWL_EXSTYLE) | WS_EX_LAYERED);
    OnTransparencyChanged();
  }
  ShowWindow(bars_.trackBar, shown ? SW_SHOW : SW_HIDE);
  bars_.relayout();
  SetWindowTextW(owner, kPlainCaption);
}

void WindowOptions::OnTransparencyChanged() {
  const auto alpha = static_cast<BYTE>(SendMessageW(bars_.trackBar, TBM_GETPOS, 0, 0));
  HWND owner = context_.owner();
  if (context_.command(kCmdTransparency).checked)
    SetWindowTextW(owner, (L"Kestro   - Trasparency " + std::to_wstring(alpha) + L"%").c_str());
  if (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_LAYERED)
    SetLayeredWindowAttributes(owner, 0, alpha, LWA_ALPHA);
}

void WindowOptions::ShowOptions() {
  ReportSettings& report = reports_.settings();
  OptionsDialog dialog({views_.Interval(), report.AppendStatistics, report.AutoSave});
  if (!dialog.Run(context_.owner())) return;
  views_.SetInterval(dialog.values().interval);
  report.AppendStatistics = dialog.values().appendStatistics;
  report.AutoSave = dialog.values().autoSave;
}

void WindowOptions::ShowAbout() {
  AboutDialog about;
  about.Run(context_.owner());
}

void WindowOptions::UpdateCommands() {
  context_.command(kCmdToolBar).checked = IsShown(bars_.toolBar);
  context_.command(kCmdStatusBar).checked = IsShown(context_.statusBar.hwnd());
}

}  // namespace kestro::ui
