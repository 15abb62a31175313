// What the X11 program's entry point, saver window and configuration dialog share.
#pragma once

#include <X11/Xlib.h>

#include <csignal>

#include "host/linux/linux_command_line.h"
#include "host/saver_settings.h"
#include "host/settings_store.h"

namespace marvolet {

struct SessionOptions;

// Set by SIGTERM and SIGINT; the saver loop and the dialog end cleanly (exit code 0) when
// they see it.
extern volatile sig_atomic_t terminationRequested;
// Becomes readable when a termination signal arrives, so a wait polling it ends at once; -1 if
// the pipe could not be made.
extern int terminationFd;

// Set by the X error handler, which otherwise ignores the error: a window we draw into may be
// destroyed by its owner at any moment, and the requests already on their way then fail.
extern bool xErrorSeen;

// Runs the saver in FullScreen, Window, Root or WindowId mode until it closes, the target
// window goes away or a termination signal arrives. `sessionOptions` carries what main read
// from the environment; the frame-rate text and the battery pace come from `options` and
// `settings`. Returns the process exit code: 0 then, 1 when it could not start (no such
// window, no suitable GL visual or context).
int runX11Saver(Display* display, const HackOptions& options, const SaverSettings& settings,
                const SessionOptions& sessionOptions);

// The configuration dialog: a control per option, OK and Cancel. Saves on OK only.
void runX11ConfigDialog(Display* display, SaverSettings& settings, SettingsStore& store);

}  // namespace marvolet
