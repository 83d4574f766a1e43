// Entry point of kestro.exe: the platform, the windows, the message loop.
#include <windows.h>
#include <commctrl.h>

#include "net/IpHelper.h"
#include "net/NameService.h"
#include "process/ProcessInfo.h"
#include "ui/NsMain.h"
#include "ui/Unit4.h"

using namespace kestro;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  int exitCode = 0;
  ui::RunGuarded(nullptr, [&] {
    SystemIpHelper ipHelper;
    SystemProcessDetails processes;
    ui::MessagePump pump;
    ui::TMainForm mainForm({ipHelper, processes, std::make_shared<WinsockNameService>()}, pump);
    mainForm.Create();
    mainForm.SetQuitOnDestroy(true);
    ui::TForm4 columnChooser(mainForm.list());
    columnChooser.Create(mainForm.hwnd());
    mainForm.listCommands().SetColumnChooser(&columnChooser);
    pump.SetAccelerators(mainForm.hwnd(), mainForm.accelerators());
    pump.onIdle = [&] { mainForm.ActionListUpdate(); };
    ShowWindow(mainForm.hwnd(), showCommand);
    exitCode = pump.Run();
  });
  return exitCode;
}
