// The Wayland program's entry: the saver full screen on every output, or in a window.
#pragma once

#include "host/linux/linux_command_line.h"
#include "host/saver_settings.h"

namespace marvolet {

struct SessionOptions;

// Runs the saver in FullScreen or Window mode on the compositor WAYLAND_DISPLAY (or
// WAYLAND_SOCKET) names until it closes, SIGTERM or SIGINT arrives, or the compositor goes.
// `sessionOptions` carries what main read from the environment; the frame-rate text and the
// battery pace come from `options` and `settings`, with the overrides already applied. Returns
// the exit code: 0 when it closed or was told to end, 1 when it could not start or lost the
// compositor (stderr says which). With `readbackPath` (MARVOLET_WAYLAND_READBACK, for tests on
// compositors that take no screenshots) every 15th frame of the primary output is also written
// there as a binary PPM, replacing the file whole.
int runWaylandSaver(const HackOptions& options, const SaverSettings& settings,
                    const SessionOptions& sessionOptions, const char* readbackPath = nullptr);

}  // namespace marvolet
