// Entry point of marvolet.scr: parse the switch, load the settings, run one mode, exit 0.
#include <cstdlib>
#include <memory>

#include "assets/user_content.h"
#include "host/command_line.h"
#include "host/config_dialog.h"
#include "host/saver_session.h"
#include "host/saver_settings.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_registry_store.h"

namespace marvolet {

HINSTANCE instanceHandle = nullptr;

namespace {

// The manifest declares the saver DPI aware, but where that is not honoured the saver runs as a
// program blind to the display's scale: at 144 DPI it is told of a screen two thirds the size,
// and the system stretches its picture or, as Wine 8 does, shows other programs a window two
// thirds the screen's size. Wine 8 is such a case: it rejects "PerMonitorV2" and then ignores the
// rest of the manifest's list. Looked up by name, as Windows 9x and XP have none of these calls;
// once the manifest has worked they are not made.
void becomeDpiAware() {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto lookUp = [user32](const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(user32, name));
  };
  using IsAware = BOOL(WINAPI*)();
  const auto isAware = reinterpret_cast<IsAware>(lookUp("IsProcessDPIAware"));
  if (isAware == nullptr || isAware()) return;
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (-4) from Windows 10 1703, then _PER_MONITOR_AWARE.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(lookUp("SetProcessDpiAwarenessContext"));
  if (setContext != nullptr && (setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4))) ||
                                setContext(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3))))) {
    return;
  }
  const auto setAware = reinterpret_cast<IsAware>(lookUp("SetProcessDPIAware"));
  if (setAware != nullptr) setAware();
}

}  // namespace
}  // namespace marvolet

// The exit code is 0 in every mode and on every failure: the platform does not read it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace marvolet;
  instanceHandle = instance;
  becomeDpiAware();
  // The start-up code's copy has the program name cut off; the parser wants the whole line.
  const CommandLine parsed = parseCommandLine(GetCommandLineA());
  const SaverMode mode = parsed.mode;
  const HWND window =
      parsed.useForegroundWindow ? GetForegroundWindow() : windowFromCommandLine(parsed.window);

  SaverSettings settings;
  Win32RegistryStore registry;
  settings.loadSharedValues(registry);
  settings.loadOptions(registry);

  if (mode == ChangePassword) {
    changePassword(window);
  } else if (mode == Config) {
    // A handle that names no window would make the dialog fail to open at all.
    const HWND parent = IsWindow(window) ? window : nullptr;
    // The wide call makes the dialog and its controls Unicode windows.
    DialogBoxParamW(instance, MAKEINTRESOURCEW(kConfigDialogId), parent, configDialogProc,
                    reinterpret_cast<LPARAM>(&settings));
  } else if (mode == Saver || mode == Preview) {
    SessionOptions sessionOptions = sessionOptionsFromEnvironment(
        std::getenv("MARVOLET_DRAW_PATH"), std::getenv("MARVOLET_FRAME_DELAY_MS"));
    // Read once: a file changed while the saver runs shows at its next start. An item that
    // cannot be used stays built-in; a saver has nobody to tell, so the dialog's line under the
    // item is where the user reads why.
    sessionOptions.content =
        std::make_shared<const SceneContent>(readSceneContent(contentSourcesOf(settings), nullptr));
    runSaverWindow(mode, settings, sessionOptions, mode == Saver ? nullptr : window, showCommand);
  }
  return 0;
}
