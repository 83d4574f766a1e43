// Entry point of kestro.exe: the process, its windows in their order, the
// message loop, and the settings kept from one run to the next.
#include <windows.h>
#include <commctrl.h>

#include "net/IpHelper.h"
#include "net/NameService.h"
#include "process/ProcessInfo.h"
#include "ui/NsMain.h"
#include "ui/Settings.h"
#include "ui/Splash.h"
#include "ui/Startup.h"
#include "ui/U_CloseDlg.h"
#include "ui/Unit2.h"
#include "ui/Unit4.h"

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
    ui::TMainForm mainForm({ipHelper, processes, std::make_shared<WinsockNameService>()}, pump);
    mainForm.Create(ui::ReadSettings());
    mainForm.SetDestroyHandler(ui::WriteSettings);
    mainForm.SetQuitOnDestroy(true);
    mainForm.lookups().CreateWhoisWindow();
    mainForm.lookups().CreateGeoLocationWindow();
    ui::TForm2 properties(mainForm.commands());
    properties.Create(mainForm.hwnd());
    mainForm.rowCommands().SetPropertiesWindow(&properties);
    ui::TfrmSplash splash;
    splash.Create();
    ui::TCloseDlg closeQuestion;
    closeQuestion.Create(mainForm.hwnd());
    mainForm.SetCloseQuestion(&closeQuestion);
    ui::TForm4 columnChooser(mainForm.list());
    columnChooser.Create(mainForm.hwnd());
    mainForm.listCommands().SetColumnChooser(&columnChooser);

    mainForm.StartUp(splash);
    pump.SetAccelerators(mainForm.hwnd(), mainForm.accelerators());
    pump.onIdle = [&] { mainForm.ActionListUpdate(); };
    pump.Run();
  });
  return 0;
}
