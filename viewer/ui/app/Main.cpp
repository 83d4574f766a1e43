// Entry point of kestro.exe: the process, its windows in their order, the
// message loop, and the settings kept from one run to the next.
#include <windows.h>
#include <commctrl.h>

#include "net/IpHelper.h"
#include "net/NameService.h"
#include "process/ProcessInfo.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Settings.h"
#include "ui/windows/SplashWindow.h"
#include "ui/app/Startup.h"
#include "ui/windows/CloseQuestion.h"
#include "ui/windows/RowPropertiesWindow.h"
#include "ui/windows/ColumnChooser.h"

using namespace kestro;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  ui::EnableDebugPrivilege();
  const UniqueHandleNull instance = ui::ClaimSingleInstance();
  if (!instance) return 0;
  const ui::WindowsSockets sockets;
  if (!sockets.started()) return 0;
  ui::RunGuarded(nullptr, [&] {
    SystemIpHelper ipHelper;
    SystemProcessDetails processes;
    ui::MessagePump pump;
    // The windows, in the order the program has always made them.
    ui::MainWindow mainWindow({ipHelper, processes, std::make_shared<WinsockNameService>()}, pump);
    mainWindow.Create(ui::ReadSettings());
    mainWindow.SetDestroyHandler(ui::WriteSettings);
    mainWindow.SetQuitOnDestroy(true);
    mainWindow.lookups().CreateWhoisWindow();
    mainWindow.lookups().CreateGeoLocationWindow();
    ui::RowPropertiesWindow properties(mainWindow.commands(), ui::kCmdUpload, ui::kCmdEndProcess);
    properties.Create(mainWindow.hwnd());
    mainWindow.rowCommands().SetPropertiesWindow(&properties);
    ui::SplashWindow splash;
    splash.Create();
    ui::CloseQuestion closeQuestion;
    closeQuestion.Create(mainWindow.hwnd());
    mainWindow.SetCloseQuestion(&closeQuestion);
    ui::ColumnChooser columnChooser(mainWindow.list());
    columnChooser.Create(mainWindow.hwnd());
    mainWindow.listCommands().SetColumnChooser(&columnChooser);

    mainWindow.StartUp(splash);
    pump.SetAccelerators(mainWindow.hwnd(), mainWindow.accelerators());
    pump.onIdle = [&] { mainWindow.UpdateCommandStates(); };
    pump.Run();
  });
  return 0;
}
