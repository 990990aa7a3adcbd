// Presenting frames on X11.
//
// Going through GTK's paint cycle would cost, on every frame, a frame clock
// tick, an off-screen pixmap cleared and copied to the window, and the window
// manager's frame counters. Nothing else is drawn in the window, so a frame is
// one upload of the pixels that changed instead: the window's content lives in
// a shared-memory image the X server reads by itself (MIT-SHM), the changed
// pixels are written into it (looked for only where the compositor says the
// frame changed), and one XShmPutImage of the rectangle that holds them copies
// them into the window; many small uploads cost the server and a compositor
// more than one. The uploads go through a connection of their own, so that
// they add nothing to the loop's X connection.
//
// Nothing waits for the server to have read the image, and no completion
// event is asked for (reading one would cost a system call a frame): should
// the server fall a whole frame behind, it may copy some pixels of the next
// frame with the last frame's upload, but every pixel the next frame changed
// goes up again with that frame's upload, right behind it, so the window
// always ends up holding exactly the last frame. Only the rectangle that
// changed reaches the window, so a compositor redraws only that. Where the
// server shares no memory (a remote display) the changed rectangle goes
// through cairo-xlib, and where the window is not an X11 window, through
// GTK's paint cycle.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <gtk/gtk.h>

#include <cstring>

#include "platform/gtk/gtk_backend.h"

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <cairo-xlib.h>

namespace gd {

namespace {

bool attachRefused = false;

int OnAttachError(Display*, XErrorEvent*) {
  attachRefused = true;
  return 0;
}

// Copies a picture of 32-bit pixels between two strides.
void CopyRows(unsigned char* to, int toStride, const unsigned char* from, int fromStride, int width, int height) {
  for (int y = 0; y < height; ++y)
    std::memcpy(to + static_cast<size_t>(y) * toStride, from + static_cast<size_t>(y) * fromStride,
                static_cast<size_t>(width) * 4);
}

}  // namespace

struct GtkPlatform::SharedContent {
  Display* display = nullptr;
  Window window = 0;
  XShmSegmentInfo segment{};
  XImage* image = nullptr;
  GC gc = nullptr;
};

void GtkPlatform::SharedContentDeleter::operator()(SharedContent* shared) const { delete shared; }

bool GtkPlatform::PresentFrame(const FrameBuffer& frame, uint8_t constantAlpha, const RowStretches& changed) {
  if (!window_ || closed_) return false;
  if (frame.Empty() || frame.pixels.size() < static_cast<size_t>(frame.width) * frame.height * 4) return false;
  const bool mapped = gtk_widget_get_mapped(window_);
  if (shared_ && (shared_->image->width != frame.width || shared_->image->height != frame.height)) {
    CloseSharedContent();
    sharedTried_ = false;
  }
  if (mapped && !shared_ && !sharedTried_) OpenSharedContent(frame);
  changed_.clear();
  const std::vector<std::pair<int, int>>* inside = haveInsideSpans_ ? &insideSpans_ : nullptr;
  const bool reset = contentReset_;
  contentReset_ = false;
  // Only what changed needs a look, when the content holds the previous
  // frame as this one will be shown.
  const bool composited = Composited();
  const bool sameWay = contentHoldsLast_ && !reset && contentAlpha_ == constantAlpha && contentComposited_ == composited;
  const RowStretches* within = sameWay ? &changed : nullptr;
  contentHoldsLast_ = false;
  contentAlpha_ = constantAlpha;
  contentComposited_ = composited;
  if (shared_) {
    XImage* image = shared_->image;
    cairo_surface_flush(surface_);
    if (reset) std::memset(image->data, 0, static_cast<size_t>(image->bytes_per_line) * image->height);
    gtkui::UpdateWindowContent(frame, constantAlpha, composited, reinterpret_cast<unsigned char*>(image->data),
                               image->bytes_per_line, reset, &changed_, inside, within);
    cairo_surface_mark_dirty(surface_);
    contentHoldsLast_ = true;
    if (changed_.empty()) return true;  // the same picture again
    for (const cairo_rectangle_int_t& r : changed_)
      XShmPutImage(shared_->display, shared_->window, shared_->gc, image, r.x, r.y, r.x, r.y, r.width, r.height,
                   False);
    XFlush(shared_->display);
    return true;
  }
  if (reset && surface_) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  surface_ = gtkui::WindowContentFromFrame(frame, constantAlpha, composited, surface_, &changed_, inside, within);
  if (!surface_) return false;
  contentHoldsLast_ = true;
  if (changed_.empty()) return true;
  if (mapped)
    DrawIntoWindow(changed_);
  else
    gtk_widget_queue_draw(window_);  // painted when it is first exposed
  return true;
}

// Without shared memory: the changed rectangle through cairo-xlib, one to one
// in device pixels whatever GTK's scale factor.
void GtkPlatform::DrawIntoWindow(const std::vector<cairo_rectangle_int_t>& areas) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) {
    gtk_widget_queue_draw(window_);
    AwaitPaint();
    return;
  }
  if (!windowSurface_) {
    windowSurface_ =
        cairo_xlib_surface_create(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow),
                                  GDK_VISUAL_XVISUAL(gdk_window_get_visual(gdkWindow)), size_.width, size_.height);
  }
  cairo_t* cr = cairo_create(windowSurface_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, surface_, 0, 0);
  for (const cairo_rectangle_int_t& r : areas) cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(windowSurface_);
  gdk_display_flush(gdk_window_get_display(gdkWindow));
}

// Tried once a window (a new size or scale tries again). The image takes
// over what the window shows so far.
void GtkPlatform::OpenSharedContent(const FrameBuffer& frame) {
  sharedTried_ = true;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  Display* display = XOpenDisplay(DisplayString(GDK_WINDOW_XDISPLAY(gdkWindow)));
  if (!display) return;
  if (!XShmQueryExtension(display)) {
    XCloseDisplay(display);
    return;
  }
  GdkVisual* visual = gdk_window_get_visual(gdkWindow);
  const int width = frame.width, height = frame.height;
  std::unique_ptr<SharedContent, SharedContentDeleter> shared(new SharedContent);
  shared->display = display;
  shared->window = GDK_WINDOW_XID(gdkWindow);
  XImage* image = XShmCreateImage(display, GDK_VISUAL_XVISUAL(visual), static_cast<unsigned>(gdk_visual_get_depth(visual)),
                                  ZPixmap, nullptr, &shared->segment, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height));
  if (!image) {
    XCloseDisplay(display);
    return;
  }
  // The image must hold cairo's ARGB32 words as they are.
  if (image->bits_per_pixel != 32 || image->byte_order != LSBFirst || image->red_mask != 0xFF0000 ||
      image->green_mask != 0xFF00 || image->blue_mask != 0xFF ||
      image->bytes_per_line != cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width)) {
    XDestroyImage(image);
    XCloseDisplay(display);
    return;
  }
  const size_t bytes = static_cast<size_t>(image->bytes_per_line) * height;
  shared->segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shared->segment.shmid < 0) {
    XDestroyImage(image);
    XCloseDisplay(display);
    return;
  }
  void* memory = shmat(shared->segment.shmid, nullptr, 0);
  if (memory == reinterpret_cast<void*>(-1)) {
    shmctl(shared->segment.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    XCloseDisplay(display);
    return;
  }
  shared->segment.shmaddr = image->data = static_cast<char*>(memory);
  shared->segment.readOnly = False;
  // A server on another machine refuses the memory. The error handler is
  // the process's, so GDK's is put back at once.
  attachRefused = false;
  XErrorHandler gdkHandler = XSetErrorHandler(OnAttachError);
  XShmAttach(display, &shared->segment);
  XSync(display, False);
  XSetErrorHandler(gdkHandler);
  const bool attached = !attachRefused;
  // Freed once both sides have let go of it, even if the program is killed.
  shmctl(shared->segment.shmid, IPC_RMID, nullptr);
  if (!attached) {
    shmdt(memory);
    image->data = nullptr;
    XDestroyImage(image);
    XCloseDisplay(display);
    return;
  }
  shared->image = image;
  XGCValues values;
  values.graphics_exposures = False;  // no NoExpose event after every upload
  shared->gc = XCreateGC(display, shared->window, GCGraphicsExposures, &values);

  // What the window shows so far moves into the image; the window's own
  // content is left as it is (the first upload changes only what differs).
  auto* data = reinterpret_cast<unsigned char*>(image->data);
  if (surface_ && cairo_image_surface_get_width(surface_) == width && cairo_image_surface_get_height(surface_) == height) {
    cairo_surface_flush(surface_);
    const unsigned char* from = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    CopyRows(data, image->bytes_per_line, from, stride, width, height);
  } else {
    // Transparent, as the draw handler leaves a window without a frame: the
    // first upload brings every other pixel.
    std::memset(data, 0, bytes);
    contentHoldsLast_ = false;
  }
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, image->bytes_per_line);
  shared_ = std::move(shared);
}

// The window's content goes back into memory of its own (the frame stays
// for the draw handler), and the server lets go of the shared memory.
void GtkPlatform::CloseSharedContent() {
  if (!shared_) return;
  XImage* image = shared_->image;
  cairo_surface_t* own = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image->width, image->height);
  if (cairo_surface_status(own) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(own);
    unsigned char* to = cairo_image_surface_get_data(own);
    const int stride = cairo_image_surface_get_stride(own);
    CopyRows(to, stride, reinterpret_cast<const unsigned char*>(image->data), image->bytes_per_line, image->width,
             image->height);
    cairo_surface_mark_dirty(own);
  } else {
    cairo_surface_destroy(own);
    own = nullptr;
  }
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = own;
  // Everything sent is done before GDK, on its own connection, may go on to
  // destroy the window.
  XShmDetach(shared_->display, &shared_->segment);
  XFreeGC(shared_->display, shared_->gc);
  XSync(shared_->display, False);
  XCloseDisplay(shared_->display);
  shmdt(shared_->segment.shmaddr);
  image->data = nullptr;
  XDestroyImage(image);
  shared_.reset();
}

void GtkPlatform::ReleaseWindowSurface() {
  CloseSharedContent();
  sharedTried_ = false;
  if (!windowSurface_) return;
  cairo_surface_finish(windowSurface_);
  cairo_surface_destroy(windowSurface_);
  windowSurface_ = nullptr;
}

}  // namespace gd
