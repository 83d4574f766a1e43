#include "ui/main/MainMenu.h"

#include "ui/main/CommandIds.h"

namespace kestro::ui {

namespace {

constexpr MenuEntry Hidden(UINT command) { return {command, true}; }

constexpr MenuEntry kFileMenu[] = {{kCmdCopyRow}, {kCmdCopyRemoteIp}, kMenuSeparator, {kCmdSave},
                                   {kCmdSaveAs},  kMenuSeparator,     {kCmdExit}};

constexpr MenuEntry kViewMenu[] = {kMenuSeparator,           {kCmdToolBar},
                                   {kCmdStatusBar},          kMenuSeparator,
                                   {kCmdAlwaysOnTop},        {kCmdTransparency},
                                   kMenuSeparator,           {kCmdShowGridLines},
                                   {kCmdChooseColumns},      Hidden(kCmdFlag),
                                   kMenuSeparator,           Hidden(kCmdTest),
                                   Hidden(kCmdStartupView),  Hidden(ViewCommandId(0)),
                                   Hidden(ViewCommandId(1)), Hidden(ViewCommandId(2)),
                                   Hidden(ViewCommandId(3)), Hidden(ViewCommandId(4)),
                                   Hidden(ViewCommandId(5)), Hidden(ViewCommandId(6)),
                                   Hidden(ViewCommandId(7)), Hidden(ViewCommandId(8)),
                                   Hidden(ViewCommandId(9))};

constexpr MenuEntry kOptionsMenu[] = {
    {kCmdCloseConnection}, {kCmdAllEndpoints}, {kCmdByName},           kMenuSeparator,
    {kCmdWhois},           {kCmdGeoLocation},  kMenuSeparator,         {kCmdAutoRefresh},
    {kCmdRefresh},         {kCmdAutoScroll},   Hidden(kCmdStateColor), kMenuSeparator,
    {kCmdBalloonTip},      {kCmdSound},        kMenuSeparator,         {kCmdOptions}};

constexpr MenuEntry kProcessMenu[] = {
    {kCmdProcessProperties}, {kCmdEndProcess}, {kCmdShellProperties}, {kCmdUpload}};

constexpr MenuEntry kHelpMenu[] = {{kCmdAbout}};

constexpr MenuLayout kMenuBar[] = {{L"文件", kFileMenu},
                                   {L"查看", kViewMenu},
                                   {L"选项", kOptionsMenu},
                                   {L"进程", kProcessMenu},
                                   {L"帮助", kHelpMenu}};

constexpr ToolEntry kToolBar[] = {{},
                                  {kCmdSave},
                                  {},
                                  {kCmdRefresh},
                                  {},
                                  {kCmdStatistics, ToolStyle::kDropDown, true},
                                  {kCmdBalloonTip, ToolStyle::kCheck},
                                  {kCmdSound, ToolStyle::kCheck},
                                  {kCmdAllEndpoints, ToolStyle::kCheck},
                                  {kCmdByName, ToolStyle::kCheck},
                                  {}};

constexpr MenuEntry kViews[] = {{ViewCommandId(0)}, {ViewCommandId(1)}, {ViewCommandId(2)},
                                {ViewCommandId(3)}, {ViewCommandId(4)}, {ViewCommandId(5)},
                                {ViewCommandId(6)}, {ViewCommandId(7)}, {ViewCommandId(8)},
                                {ViewCommandId(9)}};

// PopupMenu1. The switches' mirrors show their state by their pictures.
constexpr MenuEntry kTrayMenu[] = {kMenuSeparator,
                                   {kCmdShowWindow},
                                   {kCmdHideWindow},
                                   kMenuSeparator,
                                   {.command = kCmdBalloonTip, .mirrorCaption = L"气球提示通知"},
                                   {.command = kCmdSound, .mirrorCaption = L"声音通知"},
                                   kMenuSeparator,
                                   {kCmdExit}};

// The list's context menu in the connection view.
constexpr MenuEntry kConnectionPopup[] = {
    {kCmdByName},     {kCmdAllEndpoints}, kMenuSeparator,     {kCmdCloseConnection},
    {kCmdEndProcess}, kMenuSeparator,     {kCmdUpload},       {kCmdShellProperties},
    kMenuSeparator,   {kCmdCopyRow},      {kCmdCopyRemoteIp}, kMenuSeparator,
    {kCmdWhois},      {kCmdGeoLocation}};

}  // namespace

std::span<const MenuLayout> MainMenuLayout() { return kMenuBar; }
std::span<const ToolEntry> MainToolBarLayout() { return kToolBar; }
std::span<const MenuEntry> ViewMenuLayout() { return kViews; }
std::span<const MenuEntry> TrayMenuLayout() { return kTrayMenu; }
std::span<const MenuEntry> ConnectionPopupLayout() { return kConnectionPopup; }

}  // namespace kestro::ui
