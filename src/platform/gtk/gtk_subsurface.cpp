// The globe's frames on Wayland, on a surface of its own.
//
// GTK 3's paint cycle costs on every frame a fresh shared-memory buffer while
// the compositor holds the last one, everything outside the repainted area
// copied back, and the whole frame painted with cairo. So the layer surface
// that GTK made (gtk_layer.cpp) stays transparent, painted only when its size
// changes, and the frames go to a desynchronised subsurface of it that the
// program fills itself:
//
// - Its buffers are a small pool in one memory file (wl_shm), reused, and
//   lent to the core with their age (Platform::LendBuffer): the core
//   composes the frame straight into the buffer, bringing it up to date
//   where the frames presented since it was last drawn in changed it, and
//   what it wrote becomes the surface's picture in place (the constant
//   alpha, nothing outside the outline). Nothing is copied.
// - Only the changed bands are damaged (wl_surface.damage_buffer, version 4).
// - Each frame is shown as it is presented, and a frame callback goes with
//   one of them four times a second, one at a time: a callback that does
//   not come for a second means nobody sees the surface (AwaitPaint, as for
//   GTK's own paints), and the core composes nothing until it comes. A
//   callback with every frame would wake the program once more a frame for
//   it (beside the wake for the buffer the compositor lets go of), where
//   the frames' pace is the core's timer; the X11 window wakes once.
// - The input region is empty, so the pointer reaches the layer surface
//   below it (the drag, the menu) as before.
// - Where the compositor offers wp_fractional_scale_v1 and wp_viewporter,
//   frames are drawn at its preferred scale (to the nearest quarter the
//   pictures serve) and the viewport shows them at the logical size, one to
//   one; elsewhere at the output's integer scale, as the buffer scale.
//
// The globals are bound on a registry of the program's own, on an event
// queue of its own: GDK's queue and its objects are left alone. GDK reads
// the socket; its reads queue this queue's events, which a GLib source on
// the same socket dispatches after them (and whenever the queue holds some).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/scale.h"
#include "platform/gtk/gtk_layer_shell.h"
#include "platform/shared/window_content.h"

#ifdef GLIMMERDOME_HAVE_LAYER_SHELL
#include <gdk/gdkwayland.h>
#include <wayland-client.h>
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#endif
#endif

namespace gd {

#ifdef GLIMMERDOME_HAVE_LAYER_SHELL

namespace {

constexpr int kPoolBuffers = 3;
// How often a frame shown asks the compositor whether it wants more.
constexpr gint64 kAskForFramesEveryUs = G_USEC_PER_SEC / 4;

}  // namespace

struct LayerShellPlatform::WaylandContent {
  LayerShellPlatform* owner = nullptr;
  wl_display* display = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* wrapper = nullptr;  // the display, with this queue for what it makes
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_subcompositor* subcompositor = nullptr;
  wl_shm* shm = nullptr;
  bool argb = false;  // the shm offers ARGB8888 (premultiplied, as the frame's bytes)
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  wp_viewporter* viewporter = nullptr;
  wp_fractional_scale_manager_v1* fractionalManager = nullptr;
  wp_viewport* viewport = nullptr;
  wp_fractional_scale_v1* fractional = nullptr;
#endif
  uint32_t preferred120 = 0;  // the compositor's preferred scale in 120ths; 0: none told
  // The outputs' modes, for the scale until the compositor tells its own.
  struct Output {
    wl_output* output = nullptr;
    std::string make, model;
    int modeWidth = 0;
  };
  std::vector<std::unique_ptr<Output>> outputs;

  // Made on map.
  wl_surface* surface = nullptr;
  wl_subsurface* subsurface = nullptr;
  wl_callback* frameCallback = nullptr;
  gint64 framesAskedAt = 0;         // when frameCallback or the last one was asked for; 0: not on this surface
  int bufferScale = 0;              // as last set on the surface
  Size viewportSize{0, 0};          // the viewport's destination, as last set

  // The pool: kPoolBuffers buffers of width x height ARGB words in one file.
  struct Buffer {
    WaylandContent* content = nullptr;
    wl_buffer* buffer = nullptr;
    unsigned char* data = nullptr;
    bool busy = false;      // attached, and not released by the compositor yet
    // The present that filled it: its age counts from there (0: it holds
    // nothing known: never drawn in, or a new outline or alpha since).
    uint64_t shownAt = 0;
  };
  std::array<Buffer, kPoolBuffers> buffers;
  int fd = -1;
  unsigned char* memory = nullptr;
  size_t poolBytes = 0;
  wl_shm_pool* pool = nullptr;
  int width = 0, height = 0;          // the frame's
  int bufferWidth = 0, bufferHeight = 0, stride = 0;  // the buffers' (a multiple of the buffer scale)
  uint64_t presents = 0;               // frames presented into the buffers
  int lent = -1;                       // the buffer lent for the next frame
  int last = -1;                       // the buffer that holds the last frame presented
  bool lastShown = false;              // committed since
  bool damageAll = true;               // since the last commit: everything, or
  RowStretches damage;                 // these rows
  std::vector<Rect> bands;             // the damage's rectangles, kept for their memory

  GSource* source = nullptr;
  GPollFD poll{};

  void ClosePool() {
    for (Buffer& b : buffers) {
      if (b.buffer) wl_buffer_destroy(b.buffer);
      b = Buffer{};
    }
    if (pool) wl_shm_pool_destroy(pool);
    pool = nullptr;
    if (memory) munmap(memory, poolBytes);
    memory = nullptr;
    if (fd >= 0) close(fd);
    fd = -1;
    width = height = bufferWidth = bufferHeight = stride = 0;
    lent = last = -1;
    lastShown = false;
  }
};

void LayerShellPlatform::WaylandContentDeleter::operator()(WaylandContent* content) const {
  content->ClosePool();
  if (content->source) {
    g_source_destroy(content->source);
    g_source_unref(content->source);
  }
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  if (content->fractional) wp_fractional_scale_v1_destroy(content->fractional);
  if (content->viewport) wp_viewport_destroy(content->viewport);
  if (content->fractionalManager) wp_fractional_scale_manager_v1_destroy(content->fractionalManager);
  if (content->viewporter) wp_viewporter_destroy(content->viewporter);
#endif
  for (auto& output : content->outputs) wl_output_destroy(output->output);
  if (content->frameCallback) wl_callback_destroy(content->frameCallback);
  if (content->subsurface) wl_subsurface_destroy(content->subsurface);
  if (content->surface) wl_surface_destroy(content->surface);
  if (content->shm) wl_shm_destroy(content->shm);
  if (content->subcompositor) wl_subcompositor_destroy(content->subcompositor);
  if (content->compositor) wl_compositor_destroy(content->compositor);
  if (content->registry) wl_registry_destroy(content->registry);
  if (content->wrapper) wl_proxy_wrapper_destroy(content->wrapper);
  if (content->display) wl_display_flush(content->display);
  if (content->queue) wl_event_queue_destroy(content->queue);
  delete content;
}

namespace {

struct QueueSource {
  GSource base;
  void* content;  // the WaylandContent
};

}  // namespace

void LayerShellPlatform::OpenWaylandContent() {
  const char* asked = g_getenv("GLIMMERDOME_WAYLAND_PRESENT");
  const bool forcedPaint = asked && std::strcmp(asked, "gtk") == 0;
  GdkDisplay* gdkDisplay = gtk_widget_get_display(window_);
  if (!GDK_IS_WAYLAND_DISPLAY(gdkDisplay)) return;
  std::unique_ptr<WaylandContent, WaylandContentDeleter> c(new WaylandContent);
  c->owner = this;
  c->display = gdk_wayland_display_get_wl_display(gdkDisplay);
  c->queue = wl_display_create_queue(c->display);
  c->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(c->display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c->wrapper), c->queue);
  c->registry = wl_display_get_registry(c->wrapper);
  static const wl_shm_listener shmListener{[](void* data, wl_shm*, uint32_t format) {
    if (format == WL_SHM_FORMAT_ARGB8888) static_cast<WaylandContent*>(data)->argb = true;
  }};
  static const wl_registry_listener listener{
      [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
        auto* c = static_cast<WaylandContent*>(data);
        if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4 && !c->compositor) {
          c->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
        } else if (std::strcmp(interface, wl_subcompositor_interface.name) == 0 && !c->subcompositor) {
          c->subcompositor =
              static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
        } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !c->shm) {
          c->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
          wl_shm_add_listener(c->shm, &shmListener, c);
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
          static const wl_output_listener outputListener{
              [](void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char* make,
                 const char* model, int32_t) {
                auto* o = static_cast<WaylandContent::Output*>(data);
                o->make = make ? make : "";
                o->model = model ? model : "";
              },
              [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t, int32_t) {
                if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<WaylandContent::Output*>(data)->modeWidth = width;
              },
              [](void*, wl_output*) {}, [](void*, wl_output*, int32_t) {}, [](void*, wl_output*, const char*) {},
              [](void*, wl_output*, const char*) {}};
          auto o = std::make_unique<WaylandContent::Output>();
          o->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
          wl_output_add_listener(o->output, &outputListener, o.get());
          c->outputs.push_back(std::move(o));
        } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && !c->viewporter) {
          c->viewporter = static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
        } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
                   !c->fractionalManager) {
          c->fractionalManager = static_cast<wp_fractional_scale_manager_v1*>(
              wl_registry_bind(registry, name, &wp_fractional_scale_manager_v1_interface, 1));
#endif
        }
      },
      [](void*, wl_registry*, uint32_t) {}};
  wl_registry_add_listener(c->registry, &listener, c.get());
  // The globals, then what the bound ones tell at once (the shm's formats).
  if (wl_display_roundtrip_queue(c->display, c->queue) < 0 || wl_display_roundtrip_queue(c->display, c->queue) < 0)
    return;
  const char* why = forcedPaint ? "GLIMMERDOME_WAYLAND_PRESENT=gtk"
                    : !c->compositor ? "no wl_compositor of version 4"
                    : !c->subcompositor ? "no wl_subcompositor"
                    : !c->shm || !c->argb ? "no wl_shm ARGB8888"
                                          : nullptr;
  bool fractional = false;
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  fractional = c->viewporter && c->fractionalManager;
#endif
  if (trace_) {
    trace_->Write("present", why ? std::string("\"path\": \"gtk-paint\", \"why\": \"") + why + "\""
                                 : std::string("\"path\": \"subsurface\", \"fractional\": ") +
                                       (fractional ? "true" : "false"));
  }
  if (why) return;
  // Dispatches this queue after GDK has read the socket, and whenever the
  // queue holds events that a read elsewhere (a round trip of GDK's) queued.
  static GSourceFuncs funcs{
      [](GSource* base, gint* timeout) -> gboolean {
        *timeout = -1;
        auto* c = static_cast<WaylandContent*>(reinterpret_cast<QueueSource*>(base)->content);
        if (wl_display_prepare_read_queue(c->display, c->queue) != 0) return TRUE;
        wl_display_cancel_read(c->display);
        return FALSE;
      },
      [](GSource* base) -> gboolean {
        auto* c = static_cast<WaylandContent*>(reinterpret_cast<QueueSource*>(base)->content);
        return (c->poll.revents & G_IO_IN) != 0;
      },
      [](GSource* base, GSourceFunc, gpointer) -> gboolean {
        auto* c = static_cast<WaylandContent*>(reinterpret_cast<QueueSource*>(base)->content);
        if (wl_display_dispatch_queue_pending(c->display, c->queue) < 0 || wl_display_get_error(c->display) != 0) {
          // The connection is gone; GDK, which reads it, ends the program.
          g_source_unref(c->source);
          c->source = nullptr;
          return G_SOURCE_REMOVE;
        }
        return G_SOURCE_CONTINUE;
      },
      nullptr, nullptr, nullptr};
  c->source = g_source_new(&funcs, sizeof(QueueSource));
  reinterpret_cast<QueueSource*>(c->source)->content = c.get();
  c->poll.fd = wl_display_get_fd(c->display);
  c->poll.events = G_IO_IN | G_IO_ERR | G_IO_HUP;
  g_source_add_poll(c->source, &c->poll);
  g_source_set_priority(c->source, GDK_PRIORITY_EVENTS);
  // GLib takes a source that may not recurse out of the poll while it is
  // dispatched and puts it back after, each time waking the loop once more
  // for nothing: every frame callback would cost two turns of the loop.
  g_source_set_can_recurse(c->source, TRUE);
  g_source_attach(c->source, nullptr);
  wayland_ = std::move(c);
  g_signal_connect(window_, "map", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                     static_cast<LayerShellPlatform*>(data)->MakeSubsurface();
                   }),
                   this);
  g_signal_connect(window_, "unmap", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                     static_cast<LayerShellPlatform*>(data)->UndoSubsurface();
                   }),
                   this);
}

void LayerShellPlatform::MakeSubsurface() {
  if (!wayland_ || wayland_->subsurface || !window_) return;
  WaylandContent& c = *wayland_;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  wl_surface* parent = gdkWindow ? gdk_wayland_window_get_wl_surface(gdkWindow) : nullptr;
  if (!parent) return;
  c.surface = wl_compositor_create_surface(c.compositor);
  c.subsurface = wl_subcompositor_get_subsurface(c.subcompositor, c.surface, parent);
  wl_subsurface_set_desync(c.subsurface);
  wl_subsurface_set_position(c.subsurface, 0, 0);
  wl_region* nothing = wl_compositor_create_region(c.compositor);
  wl_surface_set_input_region(c.surface, nothing);
  wl_region_destroy(nothing);
  c.bufferScale = 0;
  c.viewportSize = {0, 0};
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  if (c.viewporter && c.fractionalManager) {
    c.viewport = wp_viewporter_get_viewport(c.viewporter, c.surface);
    c.fractional = wp_fractional_scale_manager_v1_get_fractional_scale(c.fractionalManager, c.surface);
    static const wp_fractional_scale_v1_listener listener{[](void* data, wp_fractional_scale_v1*, uint32_t scale) {
      auto* self = static_cast<LayerShellPlatform*>(data);
      WaylandContent& c = *self->wayland_;
      if (scale == c.preferred120) return;
      const int before = self->PreferredScaleQuarters();
      c.preferred120 = scale;
      if (self->PreferredScaleQuarters() == before) return;
      // As a new output scale: the same place and shape in other units, and
      // the core composes at the new scale.
      self->knownPosition_.reset();
      self->probeAnswers_.clear();
      if (self->size_.width > 0) self->ApplyWindowSize();
      self->ApplyShape();
      self->TellPlace();
      if (self->lifecycle_ && !self->closed_) self->lifecycle_->ScaleChanged(self->Capabilities().displayScale);
    }};
    wp_fractional_scale_v1_add_listener(c.fractional, &listener, this);
  }
#endif
  // The last frame, whole, on the new surface. The subsurface appears with
  // the layer surface's next commit: its transparent paint.
  if (c.last >= 0) {
    c.lastShown = false;
    c.damageAll = true;
    CommitSubsurface();
  }
  gtk_widget_queue_draw(window_);
  wl_display_flush(c.display);
}

namespace {

// The frame a buffer holds (premultiplied blue, green, red, alpha bytes), as
// a PAM picture (red, green, blue, alpha), for the tests to look at.
void WritePresented(const char* path, const unsigned char* data, int width, int height, int stride) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return;
  std::fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width, height);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    const unsigned char* p = data + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) {
      const unsigned a = p[x * 4 + 3];
      const auto un = [a](unsigned v) { return static_cast<unsigned char>(a ? std::min(255u, (v * 255 + a / 2) / a) : 0); };
      row[x * 4] = un(p[x * 4 + 2]);
      row[x * 4 + 1] = un(p[x * 4 + 1]);
      row[x * 4 + 2] = un(p[x * 4]);
      row[x * 4 + 3] = static_cast<unsigned char>(a);
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  std::fclose(f);
}

}  // namespace

void LayerShellPlatform::UndoSubsurface() {
  if (!wayland_ || !wayland_->subsurface) return;
  WaylandContent& c = *wayland_;
  // GLIMMERDOME_PRESENTED names a file for the last frame shown.
  if (const char* path = g_getenv("GLIMMERDOME_PRESENTED"); path && *path && c.last >= 0 && c.lastShown)
    WritePresented(path, c.buffers[c.last].data, c.width, c.height, c.stride);
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  if (c.fractional) wp_fractional_scale_v1_destroy(c.fractional);
  if (c.viewport) wp_viewport_destroy(c.viewport);
  c.fractional = nullptr;
  c.viewport = nullptr;
#endif
  if (c.frameCallback) wl_callback_destroy(c.frameCallback);
  c.frameCallback = nullptr;
  c.framesAskedAt = 0;
  paintAwaited_ = false;  // that callback never comes; the new surface's first counts
  wl_subsurface_destroy(c.subsurface);
  wl_surface_destroy(c.surface);
  c.subsurface = nullptr;
  c.surface = nullptr;
  // No surface shows the buffers any more.
  for (auto& b : c.buffers) b.busy = false;
  c.lastShown = false;
  wl_display_flush(c.display);
}

int LayerShellPlatform::PreferredScaleQuarters() const {
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  if (!wayland_ || !wayland_->viewporter || !wayland_->fractionalManager) return 0;
  const WaylandContent& c = *wayland_;
  if (c.preferred120) return ScaleQuartersOf(c.preferred120 / 120.0);
  // Until the surface is on an output and the compositor tells the scale it
  // prefers: the output's pixels per unit of GDK's size for it (the one
  // output there is, or the one of the same make and model).
  GdkMonitor* monitor = LayerMonitor();
  if (!monitor) return 0;
  const WaylandContent::Output* found = c.outputs.size() == 1 ? c.outputs.front().get() : nullptr;
  const char* make = gdk_monitor_get_manufacturer(monitor);
  const char* model = gdk_monitor_get_model(monitor);
  for (const auto& o : c.outputs)
    if (!found && make && model && o->make == make && o->model == model) found = o.get();
  GdkRectangle r;
  gdk_monitor_get_geometry(monitor, &r);
  if (!found || found->modeWidth <= 0 || r.width <= 0) return 0;
  return ScaleQuartersOf(static_cast<double>(found->modeWidth) / r.width);
#else
  return 0;
#endif
}

double LayerShellPlatform::PixelsPerUnit() const {
  const int quarters = PreferredScaleQuarters();
  return quarters ? quarters / 4.0 : WindowScale();
}

Platform::LentBuffer LayerShellPlatform::LendSubsurfaceBuffer(int width, int height, uint8_t constantAlpha) {
  WaylandContent& c = *wayland_;
  const int scale = PreferredScaleQuarters() ? 1 : WindowScale();
  const auto up = [scale](int v) { return (v + scale - 1) / scale * scale; };
  if (c.width != width || c.height != height || c.bufferWidth != up(width) || c.bufferHeight != up(height)) {
    // A new pool for the new size; the buffers the compositor still holds
    // stay its own until it lets go of them.
    c.ClosePool();
    const int bw = up(width), bh = up(height), stride = bw * 4;
    const size_t one = static_cast<size_t>(stride) * bh, bytes = one * kPoolBuffers;
    c.fd = memfd_create("glimmerdome-frames", MFD_CLOEXEC);
    if (c.fd < 0 || ftruncate(c.fd, static_cast<off_t>(bytes)) != 0) {
      c.ClosePool();
      return {};
    }
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, c.fd, 0);
    if (memory == MAP_FAILED) {
      c.ClosePool();
      return {};
    }
    c.memory = static_cast<unsigned char*>(memory);
    c.poolBytes = bytes;
    c.pool = wl_shm_create_pool(c.shm, c.fd, static_cast<int32_t>(bytes));
    static const wl_buffer_listener release{[](void* data, wl_buffer*) {
      static_cast<WaylandContent::Buffer*>(data)->busy = false;
    }};
    for (int i = 0; i < kPoolBuffers; ++i) {
      WaylandContent::Buffer& b = c.buffers[i];
      b.content = &c;
      b.data = c.memory + one * i;
      b.buffer = wl_shm_pool_create_buffer(c.pool, static_cast<int32_t>(one * i), bw, bh, stride, WL_SHM_FORMAT_ARGB8888);
      wl_buffer_add_listener(b.buffer, &release, &b);
    }
    c.width = width;
    c.height = height;
    c.bufferWidth = bw;
    c.bufferHeight = bh;
    c.stride = stride;
    c.damageAll = true;
  }
  // Frames at another alpha or compositing, or in a new outline: what the
  // buffers hold is no longer what they would show.
  const bool sameWay =
      contentHoldsLast_ && !contentReset_ && contentAlpha_ == constantAlpha && contentComposited_ == Composited();
  if (!sameWay) {
    for (auto& b : c.buffers) b.shownAt = 0;
    c.damageAll = true;
  }
  // The buffer to draw in: the one that waits to be shown, else the last
  // one shown if the compositor has let go of it (it lacks nothing), else
  // the youngest other the compositor does not hold.
  int chosen = -1;
  if (c.last >= 0 && (!c.lastShown || !c.buffers[c.last].busy)) chosen = c.last;
  for (int i = 0; chosen < 0 && i < kPoolBuffers; ++i)
    if (!c.buffers[i].busy) chosen = i;
  for (int i = 0; i < kPoolBuffers; ++i)
    if (chosen >= 0 && chosen != c.last && !c.buffers[i].busy && c.buffers[i].shownAt > c.buffers[chosen].shownAt)
      chosen = i;
  c.lent = chosen;
  // The compositor holds them all: no frame now, and the next one brings
  // this one's damage.
  if (chosen < 0) return {};
  const WaylandContent::Buffer& b = c.buffers[chosen];
  LentBuffer lent;
  lent.pixels = b.data;
  lent.width = width;
  lent.height = height;
  lent.stride = c.stride;
  lent.age = b.shownAt ? static_cast<int>(c.presents - b.shownAt + 1) : 0;
  lent.constantAlpha = constantAlpha;
  return lent;
}

bool LayerShellPlatform::PresentOnSubsurface(const LentBuffer& buffer, const RowStretches& written, const RowStretches& changed) {
  WaylandContent& c = *wayland_;
  if (!buffer.pixels) return true;  // no buffer was free (see LendSubsurfaceBuffer)
  if (c.lent < 0 || buffer.pixels != c.buffers[c.lent].data || buffer.width != c.width || buffer.height != c.height ||
      written.size() != static_cast<size_t>(c.height) || changed.size() != static_cast<size_t>(c.height))
    return false;
  WaylandContent::Buffer& b = c.buffers[c.lent];
  contentReset_ = false;
  contentAlpha_ = buffer.constantAlpha;
  contentComposited_ = Composited();
  // What the core wrote becomes what the surface shows, in place.
  SettleWritten(buffer, written);
  contentHoldsLast_ = true;
  b.shownAt = ++c.presents;
  if (!c.damageAll) {
    if (c.damage.size() != static_cast<size_t>(c.height)) c.damage.assign(static_cast<size_t>(c.height), {0, 0});
    AddStretches(c.damage, changed);
  }
  c.last = c.lent;
  c.lent = -1;
  c.lastShown = false;
  if (c.subsurface) CommitSubsurface();
  return true;
}

void LayerShellPlatform::CommitSubsurface() {
  WaylandContent& c = *wayland_;
  if (!c.subsurface || c.last < 0 || c.lastShown) return;
  WaylandContent::Buffer& b = c.buffers[c.last];
  // The size in the layer surface's units: the frame at the preferred scale
  // through the viewport, or at the output's integer scale.
  const int quarters = PreferredScaleQuarters();
#ifdef GLIMMERDOME_HAVE_FRACTIONAL_SCALE
  if (c.viewport) {
    Size logical{-1, -1};  // the buffer's own size
    if (quarters) logical = {std::max(1, static_cast<int>(std::lround(c.width * 4.0 / quarters))),
                             std::max(1, static_cast<int>(std::lround(c.height * 4.0 / quarters)))};
    if (logical.width != c.viewportSize.width || logical.height != c.viewportSize.height) {
      wp_viewport_set_destination(c.viewport, logical.width, logical.height);
      c.viewportSize = logical;
    }
  }
#endif
  const int scale = quarters ? 1 : WindowScale();
  if (scale != c.bufferScale) {
    wl_surface_set_buffer_scale(c.surface, scale);
    c.bufferScale = scale;
  }
  wl_surface_attach(c.surface, b.buffer, 0, 0);
  if (c.damageAll) {
    wl_surface_damage_buffer(c.surface, 0, 0, c.bufferWidth, c.bufferHeight);
  } else {
    UploadRectangles(c.damage, c.width, haveInsideSpans_ ? &insideSpans_ : nullptr, &c.bands);
    for (const Rect& r : c.bands) wl_surface_damage_buffer(c.surface, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  c.damageAll = false;
  c.damage.assign(static_cast<size_t>(c.height), {0, 0});
  static const wl_callback_listener frameDone{[](void* data, wl_callback* callback, uint32_t) {
    auto* self = static_cast<LayerShellPlatform*>(data);
    WaylandContent& c = *self->wayland_;
    if (callback != c.frameCallback) return;
    wl_callback_destroy(callback);
    c.frameCallback = nullptr;
    self->PaintDone();
  }};
  const gint64 now = g_get_monotonic_time();
  const bool ask = !c.frameCallback && (!c.framesAskedAt || now - c.framesAskedAt >= kAskForFramesEveryUs);
  if (ask) {
    c.frameCallback = wl_surface_frame(c.surface);
    wl_callback_add_listener(c.frameCallback, &frameDone, this);
    c.framesAskedAt = now;
  }
  wl_surface_commit(c.surface);
  b.busy = true;
  c.lastShown = true;
  wl_display_flush(c.display);
  if (ask) AwaitPaint();
}

#else  // no Wayland backend

struct LayerShellPlatform::WaylandContent {};
void LayerShellPlatform::WaylandContentDeleter::operator()(WaylandContent* content) const { delete content; }
void LayerShellPlatform::OpenWaylandContent() {}
void LayerShellPlatform::MakeSubsurface() {}
void LayerShellPlatform::UndoSubsurface() {}
Platform::LentBuffer LayerShellPlatform::LendSubsurfaceBuffer(int, int, uint8_t) { return {}; }
bool LayerShellPlatform::PresentOnSubsurface(const LentBuffer&, const RowStretches&, const RowStretches&) { return false; }
void LayerShellPlatform::CommitSubsurface() {}
int LayerShellPlatform::PreferredScaleQuarters() const { return 0; }
double LayerShellPlatform::PixelsPerUnit() const { return WindowScale(); }

#endif

}  // namespace gd
