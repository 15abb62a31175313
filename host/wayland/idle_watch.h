// The resident idle watcher: starts the saver after a stretch of idle and ends it on activity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvolet {

// Watches the compositor WAYLAND_DISPLAY names through ext_idle_notifier_v1. After `seconds`
// of idle (the compositor's measure, which honours idle inhibitors such as a playing video) it
// starts `program` with `arguments` (argv[1] on) as a child process; on activity it ends that
// child with SIGTERM (SIGKILL if it is still there 5 s later). A saver that ends by itself is
// not restarted until the next idle. An empty `program` means this very program
// (/proc/self/exe).
//
// Runs until SIGTERM or SIGINT, then ends the child the same way and returns 0. Returns 1, with
// a sentence on stderr, when there is no compositor, it offers no idle notifications or no seat,
// or the connection is lost (the child is ended first).
int runIdleWatch(uint32_t seconds, const std::string& program,
                 const std::vector<std::string>& arguments);

// The saver's arguments for a watcher started with this run's `runFlags`: full screen on
// Wayland, with the same options.
std::vector<std::string> idleSaverArguments(const std::vector<std::string>& runFlags);

}  // namespace marvolet
