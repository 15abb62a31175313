// A Wayland server that offers only wl_seat and ext_idle_notifier_v1, for testing the idle
// watcher where the real compositor lacks idle notifications. Usage:
//   fake_idle_compositor SOCKET [--no-notifier]
// listens on $XDG_RUNTIME_DIR/SOCKET, prints "ready", then "notification MILLISECONDS" for each
// notification a client asks for; the lines "idle" and "resume" on standard input send idled
// and resumed to every notification. It ends when standard input closes.
#include <unistd.h>
#include <wayland-server.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ext-idle-notify-v1-server-protocol.h"

namespace {

struct Server {
  wl_display* display = nullptr;
  std::vector<wl_resource*> notifications;
  std::string pending;  // standard input not yet ended by a line break
};

Server server;

void destroyResource(wl_client*, wl_resource* resource) {
  wl_resource_destroy(resource);
}

const struct wl_seat_interface kSeat = {
    [](wl_client*, wl_resource*, uint32_t) {},  // get_pointer: never called by the watcher
    [](wl_client*, wl_resource*, uint32_t) {},
    [](wl_client*, wl_resource*, uint32_t) {},
    destroyResource,
};

const struct ext_idle_notification_v1_interface kNotification = {destroyResource};

void notificationGone(wl_resource* resource) {
  auto& list = server.notifications;
  list.erase(std::remove(list.begin(), list.end(), resource), list.end());
}

const struct ext_idle_notifier_v1_interface kNotifier = {
    destroyResource,
    [](wl_client* client, wl_resource* notifier, uint32_t id, uint32_t timeout, wl_resource*) {
      wl_resource* resource = wl_resource_create(client, &ext_idle_notification_v1_interface,
                                                 wl_resource_get_version(notifier), id);
      wl_resource_set_implementation(resource, &kNotification, nullptr, notificationGone);
      server.notifications.push_back(resource);
      std::printf("notification %u\n", timeout);
      std::fflush(stdout);
    },
    // Offered at version 1 only; newer headers list version 2's request all the same.
#ifdef EXT_IDLE_NOTIFIER_V1_GET_INPUT_IDLE_NOTIFICATION_SINCE_VERSION
    [](wl_client*, wl_resource*, uint32_t, uint32_t, wl_resource*) {},
#endif
};

void bindSeat(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource = wl_resource_create(client, &wl_seat_interface, version, id);
  wl_resource_set_implementation(resource, &kSeat, nullptr, nullptr);
  wl_seat_send_capabilities(resource, 0);
  if (version >= WL_SEAT_NAME_SINCE_VERSION) wl_seat_send_name(resource, "seat0");
}

void bindNotifier(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource = wl_resource_create(client, &ext_idle_notifier_v1_interface, version, id);
  wl_resource_set_implementation(resource, &kNotifier, nullptr, nullptr);
}

int onInput(int fd, uint32_t, void*) {
  char buffer[256];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n <= 0) {
    wl_display_terminate(server.display);
    return 0;
  }
  server.pending.append(buffer, static_cast<size_t>(n));
  for (size_t end; (end = server.pending.find('\n')) != std::string::npos;) {
    const std::string line = server.pending.substr(0, end);
    server.pending.erase(0, end + 1);
    for (wl_resource* notification : server.notifications) {
      if (line == "idle") ext_idle_notification_v1_send_idled(notification);
      if (line == "resume") ext_idle_notification_v1_send_resumed(notification);
    }
  }
  wl_display_flush_clients(server.display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: fake_idle_compositor SOCKET [--no-notifier]\n", stderr);
    return 2;
  }
  const bool notifier = !(argc > 2 && std::strcmp(argv[2], "--no-notifier") == 0);
  server.display = wl_display_create();
  if (server.display == nullptr || wl_display_add_socket(server.display, argv[1]) != 0) {
    std::fprintf(stderr, "cannot listen on %s\n", argv[1]);
    return 1;
  }
  wl_global_create(server.display, &wl_seat_interface, 7, nullptr, bindSeat);
  if (notifier) {
    wl_global_create(server.display, &ext_idle_notifier_v1_interface, 1, nullptr, bindNotifier);
  }
  wl_event_loop_add_fd(wl_display_get_event_loop(server.display), STDIN_FILENO,
                       WL_EVENT_READABLE | WL_EVENT_HANGUP, onInput, nullptr);
  std::puts("ready");
  std::fflush(stdout);
  wl_display_run(server.display);
  wl_display_destroy_clients(server.display);
  wl_display_destroy(server.display);
  return 0;
}
