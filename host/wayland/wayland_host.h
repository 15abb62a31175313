// The Wayland program's entry: the saver full screen on every output, or in a window.
#pragma once

#include <string>

#include "host/linux/linux_command_line.h"
#include "host/saver_settings.h"

namespace marvolet {

struct SessionOptions;

// A screen locker that hosts savers hands its own connection over in WAYLAND_SOCKET and shows
// the saver's surfaces behind its own: then each is a background layer surface that takes no
// keys, and input ends nothing (the locker ends the saver). A locker that runs one saver per
// output names it in SWAYLOCK_PLUGIN_OUTPUT_NAME: then only that output is covered.
struct WaylandHosting {
  bool underLocker = false;
  std::string outputName;  // empty: every output
};

// From the two variables' values (either may be null); the name counts only under a locker.
WaylandHosting waylandHostingFrom(const char* waylandSocket, const char* outputName);

// Runs the saver in FullScreen or Window mode on the compositor WAYLAND_DISPLAY (or
// WAYLAND_SOCKET) names until it closes, SIGTERM or SIGINT arrives, or the compositor goes.
// `sessionOptions` carries what main read from the environment; the frame-rate text and the
// battery pace come from `options` and `settings`, with the overrides already applied. Returns
// the exit code: 0 when it closed or was told to end, 1 when it could not start or lost the
// compositor (stderr says which). With `readbackPath` (MARVOLET_WAYLAND_READBACK, for tests on
// compositors that take no screenshots) every 15th frame of the primary output is also written
// there as a binary PPM, replacing the file whole.
int runWaylandSaver(const HackOptions& options, const SaverSettings& settings,
                    const SessionOptions& sessionOptions, const WaylandHosting& hosting = {},
                    const char* readbackPath = nullptr);

}  // namespace marvolet
