// Entry point of marvolet.scr: parse the switch, load the settings, run one mode, exit 0.
#include <new>

#include "host/command_line.h"
#include "host/config_dialog.h"
#include "host/saver_settings.h"
#include "host/win32_host.h"
#include "host/win32_registry_store.h"

namespace marvolet {

HINSTANCE instanceHandle = nullptr;
SaverMode saverMode = NoMode;
SaverSettings* saverSettings = nullptr;

}  // namespace marvolet

// The exit code is 0 in every mode and on every failure: the platform does not read it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace marvolet;
  instanceHandle = instance;
  // The start-up code's copy has the program name cut off; the parser wants the whole line.
  const CommandLine parsed = parseCommandLine(GetCommandLineA());
  saverMode = parsed.mode;
  const HWND window =
      parsed.useForegroundWindow ? GetForegroundWindow() : windowFromCommandLine(parsed.window);

  saverSettings = new (std::nothrow) SaverSettings;
  if (saverSettings == nullptr) return 0;
  Win32RegistryStore registry;
  saverSettings->loadSharedValues(registry);
  saverSettings->loadOptions(registry);

  if (saverMode == ChangePassword) {
    changePassword(window);
  } else if (saverMode == Config) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(kConfigDialogId), window, configDialogProc, 0);
  } else if (saverMode == Saver || saverMode == Preview) {
    runSaverWindow(saverMode == Saver ? nullptr : window, showCommand);
  }

  delete saverSettings;
  saverSettings = nullptr;
  return 0;
}
