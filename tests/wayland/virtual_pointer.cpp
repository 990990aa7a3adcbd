// glimmer_virtual_pointer: plugs a pointer into a wlroots compositor that has
// none (a headless sway session), so that its seat has a pointer and the
// compositor's own cursor commands reach the clients under the cursor. It
// asks for one virtual pointer (the wlroots virtual-pointer protocol), prints
// "ready" once the compositor has it, then moves it and presses its buttons
// as told on standard input, one command a line:
//   move DX DY        relative motion, in the output's pixels
//   press N|release N button 1 (left), 2 (middle) or 3 (right)
// and keeps it until standard input ends or it is terminated. Each command
// has reached the compositor before the next is read. (sway's own cursor
// commands move no pointer that a client holds pressed: hence this.)
//
// The protocol's two interfaces are written out here rather than generated:
// only a few of their requests are ever sent.
#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

const wl_interface* kNoTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};

extern const wl_interface kVirtualPointer;
const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kVirtualPointer};

const wl_message kPointerRequests[] = {
    {"motion", "uff", kNoTypes},        {"motion_absolute", "uuuuu", kNoTypes}, {"button", "uuu", kNoTypes},
    {"axis", "uuf", kNoTypes},          {"frame", "", kNoTypes},                {"axis_source", "u", kNoTypes},
    {"axis_stop", "uu", kNoTypes},      {"axis_discrete", "uufi", kNoTypes},    {"destroy", "", kNoTypes},
};
const wl_interface kVirtualPointer = {"zwlr_virtual_pointer_v1", 1, 9, kPointerRequests, 0, nullptr};

const wl_message kManagerRequests[] = {
    {"create_virtual_pointer", "?on", kCreateTypes},
    {"destroy", "", kNoTypes},
};
const wl_interface kManager = {"zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};

wl_proxy* manager = nullptr;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, kManager.name) == 0)
    manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManager, 1));
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

volatile std::sig_atomic_t stopping = 0;


}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "glimmer_virtual_pointer: cannot connect to the Wayland display\n");
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, nullptr);
  wl_display_roundtrip(display);
  if (!manager) {
    std::fprintf(stderr, "glimmer_virtual_pointer: the compositor offers no virtual pointers\n");
    return 1;
  }
  wl_proxy* pointer = wl_proxy_marshal_constructor(manager, 0, &kVirtualPointer, nullptr, nullptr);
  if (!pointer || wl_display_roundtrip(display) < 0) {
    std::fprintf(stderr, "glimmer_virtual_pointer: the compositor refused the pointer\n");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  std::signal(SIGTERM, [](int) { stopping = 1; });
  const auto now = [] {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
  };
  char line[128];
  while (!stopping && std::fgets(line, sizeof line, stdin)) {
    double dx = 0, dy = 0;
    int button = 0;
    if (std::sscanf(line, "move %lf %lf", &dx, &dy) == 2) {
      wl_proxy_marshal(pointer, 0, now(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    } else if (std::sscanf(line, "press %d", &button) == 1 || std::sscanf(line, "release %d", &button) == 1) {
      // Linux's button codes: BTN_LEFT, BTN_MIDDLE, BTN_RIGHT.
      const uint32_t code = button == 2 ? 0x112 : button == 3 ? 0x111 : 0x110;
      wl_proxy_marshal(pointer, 2, now(), code, line[0] == 'p' ? 1u : 0u);
    } else {
      std::fprintf(stderr, "glimmer_virtual_pointer: not a command: %s", line);
      continue;
    }
    wl_proxy_marshal(pointer, 4);  // frame
    if (wl_display_roundtrip(display) < 0) break;
  }
  wl_display_disconnect(display);
  return 0;
}
