// glimmer_virtual_pointer: plugs a pointer into a compositor that has none
// (a headless sway session, KWin's virtual session), so that its seat has a
// pointer the tests can move and press. It asks for one virtual pointer (the
// wlroots virtual-pointer protocol) or, where the compositor has no such
// thing, KWin's fake input (which KWin offers only to clients it trusts: a
// desktop file must name this program); prints "ready" once the compositor
// has it, then moves it and presses its buttons as told on standard input,
// one command a line:
//   move DX DY        relative motion, in the output's pixels
//   at X Y            to X,Y in the desktop's logical pixels (KWin only:
//                     on sway, its own cursor command does that)
//   press N|release N button 1 (left), 2 (middle) or 3 (right)
//   key N             a key pressed and released, by its Linux code (KWin
//                     only: its fake input has a keyboard too)
// and keeps it until standard input ends or it is terminated. Each command
// has reached the compositor before the next is read. (sway's own cursor
// commands move no pointer that a client holds pressed: hence this.)
//
// The protocols' interfaces are written out here rather than generated:
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

// KWin's fake input: its requests in the protocol's order, up to version 4
// (pointer_motion_absolute since 3, keyboard_key since 4).
const wl_message kFakeInputRequests[] = {
    {"authenticate", "ss", kNoTypes}, {"pointer_motion", "ff", kNoTypes},   {"button", "uu", kNoTypes},
    {"axis", "uf", kNoTypes},         {"touch_down", "2uff", kNoTypes},     {"touch_motion", "2uff", kNoTypes},
    {"touch_up", "2u", kNoTypes},     {"touch_cancel", "2", kNoTypes},      {"touch_frame", "2", kNoTypes},
    {"pointer_motion_absolute", "3ff", kNoTypes}, {"keyboard_key", "4uu", kNoTypes},
};
const wl_interface kFakeInput = {"org_kde_kwin_fake_input", 4, 11, kFakeInputRequests, 0, nullptr};
uint32_t fake_input_version = 0;

wl_proxy* manager = nullptr;
wl_proxy* fake_input = nullptr;

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (std::strcmp(interface, kManager.name) == 0)
    manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManager, 1));
  else if (std::strcmp(interface, kFakeInput.name) == 0 && version >= 3) {
    fake_input_version = version < 4 ? version : 4;
    fake_input = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kFakeInput, fake_input_version));
  }
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
  wl_proxy* pointer = nullptr;
  if (manager) {
    pointer = wl_proxy_marshal_constructor(manager, 0, &kVirtualPointer, nullptr, nullptr);
  } else if (fake_input) {
    wl_proxy_marshal(fake_input, 0, "glimmer_virtual_pointer", "drives the globe in the tests");
    pointer = fake_input;
  } else {
    std::fprintf(stderr,
                 "glimmer_virtual_pointer: the compositor offers no virtual pointers, nor fake input to this "
                 "program\n");
    return 1;
  }
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
      if (fake_input)
        wl_proxy_marshal(pointer, 1, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
      else
        wl_proxy_marshal(pointer, 0, now(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    } else if (fake_input && std::sscanf(line, "at %lf %lf", &dx, &dy) == 2) {
      wl_proxy_marshal(pointer, 9, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    } else if (fake_input_version >= 4 && std::sscanf(line, "key %d", &button) == 1) {
      wl_proxy_marshal(pointer, 10, static_cast<uint32_t>(button), 1u);
      wl_proxy_marshal(pointer, 10, static_cast<uint32_t>(button), 0u);
    } else if (std::sscanf(line, "press %d", &button) == 1 || std::sscanf(line, "release %d", &button) == 1) {
      // Linux's button codes: BTN_LEFT, BTN_MIDDLE, BTN_RIGHT.
      const uint32_t code = button == 2 ? 0x112 : button == 3 ? 0x111 : 0x110;
      const uint32_t state = line[0] == 'p' ? 1u : 0u;
      if (fake_input)
        wl_proxy_marshal(pointer, 2, code, state);
      else
        wl_proxy_marshal(pointer, 2, now(), code, state);
    } else {
      std::fprintf(stderr, "glimmer_virtual_pointer: not a command: %s", line);
      continue;
    }
    if (!fake_input) wl_proxy_marshal(pointer, 4);  // frame
    if (wl_display_roundtrip(display) < 0) break;
  }
  wl_display_disconnect(display);
  return 0;
}
