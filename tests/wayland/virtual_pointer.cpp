// Test helper: a virtual pointer on the compositor WAYLAND_DISPLAY names, driven by its
// arguments in order: "move DX DY" (compositor pixels), "click" (the left button), "wait MS".
// Exit 0 when every step was sent, 2 when the compositor has no virtual pointers, 1 otherwise.
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

constexpr uint32_t kLeftButton = 0x110;  // BTN_LEFT
constexpr int kSettleMs = 700;

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  Globals& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.seat == nullptr) {
    globals.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    globals.manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {global, globalRemoved};

uint32_t now() {
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace

int main(int argc, char** argv) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
    return 1;
  }
  Globals globals;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &globals);
  wl_display_roundtrip(display);
  if (globals.manager == nullptr) {
    std::fprintf(stderr, "virtual_pointer: the compositor has no virtual pointers\n");
    return 2;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
  wl_display_roundtrip(display);
  // The new device gives the seat a pointer; clients need a moment to take theirs, or they miss
  // the first steps.
  std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
  int status = 0;
  for (int i = 1; i < argc && status == 0; ++i) {
    const std::string step = argv[i];
    if (step == "move" && i + 2 < argc) {
      const double dx = std::atof(argv[i + 1]), dy = std::atof(argv[i + 2]);
      i += 2;
      zwlr_virtual_pointer_v1_motion(pointer, now(), wl_fixed_from_double(dx),
                                     wl_fixed_from_double(dy));
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (step == "click") {
      zwlr_virtual_pointer_v1_button(pointer, now(), kLeftButton, WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, now(), kLeftButton, WL_POINTER_BUTTON_STATE_RELEASED);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (step == "wait" && i + 1 < argc) {
      wl_display_roundtrip(display);
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[++i])));
    } else {
      std::fprintf(stderr, "virtual_pointer: cannot do \"%s\"\n", step.c_str());
      status = 1;
    }
    if (wl_display_roundtrip(display) < 0) status = 1;
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
  if (globals.seat != nullptr) wl_seat_destroy(globals.seat);
  wl_registry_destroy(registry);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return status;
}
