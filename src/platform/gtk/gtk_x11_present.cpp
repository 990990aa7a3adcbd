// Presenting frames on X11.
//
// Going through GTK's paint cycle would cost, on every frame, a frame clock
// tick, an off-screen pixmap cleared and copied to the window, and the window
// manager's frame counters. Nothing else is drawn in the window, so a frame is
// one upload of the pixels that changed instead: the window's content lives in
// a shared-memory image the X server reads by itself (MIT-SHM), which is the
// one buffer the window lends (Platform::LendBuffer): the core composes the
// frame straight into it, where it changed, the written pixels are made the
// window's in place (the constant alpha, the grey without a compositor,
// nothing outside the outline), and a shared-memory PutImage of each of a
// few bands that hold them copies them into the window: the server and a
// compositor work on every pixel uploaded, and on every upload.
// The uploads go through a plain XCB connection of their own, so that they
// add nothing to the loop's X connection and an upload is one write to the
// server, with nothing read back.
//
// The connection's socket carries nothing but these requests, so the program
// writes them to it itself: 40 bytes a band in one system call, where libxcb
// would first poll the socket and take its locks on every frame. Nothing is read
// back but the errors a request might cause, thrown away now and then.
//
// A frame composed in the image passes through unfinished pixels (and pixels
// outside the outline that are cleared afterwards), so each upload asks for
// a completion event, and the image is lent again only once that has come
// (one read a frame; it has always come within the 20 ms between frames
// unless the server is stuck). Only the rectangle that
// changed reaches the window, so a compositor redraws only that. Where the
// server shares no memory (a remote display) the changed rectangle goes
// through cairo-xlib, and where the window is not an X11 window, through
// GTK's paint cycle.
#include <poll.h>
#include <sys/ipc.h>
#include <sys/socket.h>
#include <sys/shm.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/gtk/gtk_x11.h"
#include "platform/shared/window_content.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

// Xlib last: its macros (None, Bool, Status) would break the headers above.
#include <gdk/gdkx.h>
#include <X11/Xlib.h>
#include <cairo-xlib.h>

namespace gd {

namespace {

// Writes `size` bytes of requests to the X server's socket, waiting while it
// is full; false once the connection is broken.
bool WriteRequests(int socket, const void* bytes, size_t size) {
  const char* at = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = send(socket, at, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      at += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{socket, POLLOUT, 0};
      if (poll(&p, 1, 1000) <= 0) return false;  // a server that reads nothing for a second is gone
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

// What reading from the server waits for.
enum class Await { Nothing, Completion, Reply };

// Reads what the server has sent: errors, thrown away, as nothing else is
// asked for; completion events (of type `completionEvent`), which clear
// `*completionPending`; with Await::Reply everything up to the reply to the
// one request sent that has one; with Await::Completion, up to the
// completion pending. Waits up to a second at a time; false on a broken
// connection or a server that does not answer.
bool ReadFromServer(int socket, Await await, uint8_t completionEvent, bool* completionPending) {
  unsigned char packet[32];  // errors, events and the reply waited for are 32 bytes long
  size_t have = 0;
  for (;;) {
    if (await == Await::Completion && !*completionPending && have == 0) return true;
    const ssize_t n = recv(socket, packet + have, sizeof packet - have, MSG_DONTWAIT);
    if (n > 0) {
      have += static_cast<size_t>(n);
      if (have < sizeof packet) continue;
      have = 0;
      if ((packet[0] & 0x7F) == completionEvent) *completionPending = false;
      if (await == Await::Reply && packet[0] == 1) return true;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (await == Await::Nothing && have == 0) return true;
      pollfd p{socket, POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) return false;
    } else {
      return false;
    }
  }
}

// Copies a picture of 32-bit pixels between two strides.
void CopyRows(unsigned char* to, int toStride, const unsigned char* from, int fromStride, int width, int height) {
  for (int y = 0; y < height; ++y)
    std::memcpy(to + static_cast<size_t>(y) * toStride, from + static_cast<size_t>(y) * fromStride,
                static_cast<size_t>(width) * 4);
}

}  // namespace

struct X11Platform::SharedContent {
  xcb_connection_t* connection = nullptr;
  int socket = -1;          // the connection's, written to directly once set up
  uint8_t shmOpcode = 0;    // the MIT-SHM extension's major opcode
  uint8_t completionEvent = 0;     // its completion event's type
  bool completionPending = false;  // asked for with the last upload, not read yet
  uint32_t uploads = 0;     // requests since errors were last read
  std::vector<Rect> bands;  // the last frame's uploads, kept for their memory
  xcb_window_t window = 0;
  xcb_shm_seg_t segment = 0;
  xcb_gcontext_t gc = 0;
  unsigned char* data = nullptr;  // the shared memory: width x height ARGB32 words
  int width = 0, height = 0, stride = 0;
};

void X11Platform::SharedContentDeleter::operator()(SharedContent* shared) const {
  if (shared->data) shmdt(shared->data);
  if (shared->connection) xcb_disconnect(shared->connection);
  delete shared;
}

// The buffer on X11 is the window's content itself: the shared image, else
// the image surface the draw handler paints. It holds the last frame as long
// as the frames come at the same alpha and compositing and the outline stays.
Platform::LentBuffer X11Platform::LendBuffer(int width, int height, uint8_t constantAlpha) {
  if (!window_ || closed_ || width <= 0 || height <= 0) return {};
  if (shared_ && (shared_->width != width || shared_->height != height)) {
    CloseSharedContent();
    sharedTried_ = false;
  }
  if (mapped_ && !shared_ && !sharedTried_) OpenSharedContent(width, height);
  if (shared_) {
    // The server reads the image while it handles an upload: the last one's
    // completion is waited for, so that the next frame is not drawn under it.
    SharedContent& sh = *shared_;
    if (!ReadFromServer(sh.socket, Await::Completion, sh.completionEvent, &sh.completionPending)) {
      // The server is gone or stuck: the window's content is no longer known.
      contentHoldsLast_ = false;
      CloseSharedContent();
    }
  }
  if (!shared_) return LendContentImage(width, height, constantAlpha);
  return Lent(shared_->data, width, height, shared_->stride, constantAlpha);
}

bool X11Platform::PresentFrame(const LentBuffer& buffer, const RowStretches& written, const RowStretches&) {
  if (!window_ || closed_) return false;
  const std::vector<std::pair<int, int>>* inside = haveInsideSpans_ ? &insideSpans_ : nullptr;
  // What the core wrote becomes the window's: the frame at the constant
  // alpha, transparent outside the outline (over grey without a compositor).
  Rect r;
  if (!TakeFrame(buffer, written, &r)) return false;
  if (shared_ && buffer.pixels == shared_->data) {
    SharedContent& sh = *shared_;
    if (r.Empty()) return true;  // the same picture again
    // What was written, as a few bands that follow the glass where the rows
    // say (the server and a compositor work on every pixel uploaded).
    std::vector<Rect>& uploads = sh.bands;
    uploads.clear();
    // A buffer that held nothing known goes up whole (pixels a new outline
    // cut away are cleared too).
    if (!lentWhole_) UploadRectangles(written, sh.width, inside, &uploads);
    if (uploads.empty()) uploads.push_back(lentWhole_ ? Rect{0, 0, sh.width, sh.height} : r);
    // ShmPutImage, in the byte order the connection was opened with (the
    // machine's own, as libxcb does), all in one write.
    std::array<xcb_shm_put_image_request_t, 32> puts;
    const size_t count = std::min(uploads.size(), puts.size());
    for (size_t i = 0; i < count; ++i) {
      const Rect& u = uploads[i];
      puts[i] = xcb_shm_put_image_request_t{
          sh.shmOpcode, XCB_SHM_PUT_IMAGE, sizeof(xcb_shm_put_image_request_t) / 4, sh.window, sh.gc,
          static_cast<uint16_t>(sh.width), static_cast<uint16_t>(sh.height), static_cast<uint16_t>(u.left),
          static_cast<uint16_t>(u.top), static_cast<uint16_t>(u.right - u.left), static_cast<uint16_t>(u.bottom - u.top),
          static_cast<int16_t>(u.left), static_cast<int16_t>(u.top), 32, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, 0, sh.segment, 0};
    }
    static_assert(sizeof(xcb_shm_put_image_request_t) == 40);
    // The image is drawn in again only once the server is done with it.
    if (count > 0) {
      puts[count - 1].send_event = 1;
      sh.completionPending = true;
    }
    bool sent = WriteRequests(sh.socket, puts.data(), count * sizeof puts[0]);
    // An error the server reports (none is expected) would otherwise stay
    // in the socket for good.
    sh.uploads += static_cast<uint32_t>(count);
    if (sent && sh.uploads >= 256) {
      sh.uploads = 0;
      sent = ReadFromServer(sh.socket, Await::Nothing, sh.completionEvent, &sh.completionPending);
    }
    if (!sent) {
      // The server is gone or stuck: the window's content is no longer known.
      contentHoldsLast_ = false;
      CloseSharedContent();
      return false;
    }
    return true;
  }
  return ShowContentImage(buffer, r);
}

// Without shared memory: the changed rectangle through cairo-xlib, one to one
// in device pixels whatever GTK's scale factor.
void X11Platform::DrawIntoWindow(const Rect& area) {
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) {
    gtk_widget_queue_draw(window_);
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
  cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(windowSurface_);
  gdk_display_flush(gdk_window_get_display(gdkWindow));
}

// Tried once a window (a new size or scale tries again). The image takes
// over what the window shows so far.
void X11Platform::OpenSharedContent(int width, int height) {
  sharedTried_ = true;
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow)) return;
  // The image must hold cairo's ARGB32 words as they are.
  GdkVisual* visual = gdk_window_get_visual(gdkWindow);
  guint32 red = 0, green = 0, blue = 0;
  gdk_visual_get_red_pixel_details(visual, &red, nullptr, nullptr);
  gdk_visual_get_green_pixel_details(visual, &green, nullptr, nullptr);
  gdk_visual_get_blue_pixel_details(visual, &blue, nullptr, nullptr);
  if (gdk_visual_get_depth(visual) != 32 || red != 0xFF0000 || green != 0xFF00 || blue != 0xFF) return;
  // A plain XCB connection: an upload is one write, with nothing read back.
  xcb_connection_t* connection = xcb_connect(DisplayString(GDK_WINDOW_XDISPLAY(gdkWindow)), nullptr);
  std::unique_ptr<SharedContent, SharedContentDeleter> shared(new SharedContent);
  shared->connection = connection;
  if (xcb_connection_has_error(connection)) return;
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
  const xcb_setup_t* setup = xcb_get_setup(connection);
  if (!extension || !extension->present || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return;
  bool format = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    format = format || (f.data->depth == 32 && f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32);
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  if (!format || stride != width * 4) return;
  const size_t bytes = static_cast<size_t>(stride) * height;
  const int shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shmid < 0) return;
  void* memory = shmat(shmid, nullptr, 0);
  if (memory == reinterpret_cast<void*>(-1)) {
    shmctl(shmid, IPC_RMID, nullptr);
    return;
  }
  // A server on another machine refuses the memory.
  shared->segment = xcb_generate_id(connection);
  xcb_generic_error_t* error = xcb_request_check(connection, xcb_shm_attach_checked(connection, shared->segment, shmid, 0));
  // Freed once both sides have let go of it, even if the program is killed.
  shmctl(shmid, IPC_RMID, nullptr);
  if (error) {
    free(error);
    shmdt(memory);
    return;
  }
  shared->data = static_cast<unsigned char*>(memory);
  shared->width = width;
  shared->height = height;
  shared->stride = stride;
  shared->window = static_cast<xcb_window_t>(GDK_WINDOW_XID(gdkWindow));
  shared->gc = xcb_generate_id(connection);
  const uint32_t noExposures = 0;  // no NoExpose event after every upload
  xcb_create_gc(connection, shared->gc, shared->window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  // From here on the program writes the connection's requests itself.
  if (xcb_flush(connection) <= 0) return;
  shared->socket = xcb_get_file_descriptor(connection);
  shared->shmOpcode = extension->major_opcode;
  shared->completionEvent = static_cast<uint8_t>(extension->first_event + XCB_SHM_COMPLETION);

  // What the window shows so far moves into the image; the window's own
  // content is left as it is (the first upload changes only what differs).
  unsigned char* data = shared->data;
  if (surface_ && cairo_image_surface_get_width(surface_) == width && cairo_image_surface_get_height(surface_) == height) {
    cairo_surface_flush(surface_);
    const unsigned char* from = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    CopyRows(data, shared->stride, from, stride, width, height);
  } else {
    // Transparent, as the draw handler leaves a window without a frame: the
    // first upload brings every other pixel.
    std::memset(data, 0, bytes);
    contentHoldsLast_ = false;
  }
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, shared->stride);
  shared_ = std::move(shared);
}

// The window's content goes back into memory of its own (the frame stays
// for the draw handler), and the server lets go of the shared memory.
void X11Platform::CloseSharedContent() {
  if (!shared_) return;
  SharedContent& sh = *shared_;
  cairo_surface_t* own = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sh.width, sh.height);
  if (cairo_surface_status(own) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(own);
    CopyRows(cairo_image_surface_get_data(own), cairo_image_surface_get_stride(own), sh.data, sh.stride, sh.width,
             sh.height);
    cairo_surface_mark_dirty(own);
  } else {
    cairo_surface_destroy(own);
    own = nullptr;
  }
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = own;
  // Everything sent is done before GDK, on its own connection, may go on to
  // destroy the window, and before the memory goes: the server's reply to
  // GetInputFocus comes after it has handled every request before it.
  const xcb_shm_detach_request_t detach{sh.shmOpcode, XCB_SHM_DETACH, 2, sh.segment};
  const xcb_free_gc_request_t freeGc{XCB_FREE_GC, 0, 2, sh.gc};
  const xcb_get_input_focus_request_t sync{XCB_GET_INPUT_FOCUS, 0, 1};
  if (WriteRequests(sh.socket, &detach, sizeof detach) && WriteRequests(sh.socket, &freeGc, sizeof freeGc) &&
      WriteRequests(sh.socket, &sync, sizeof sync))
    ReadFromServer(sh.socket, Await::Reply, sh.completionEvent, &sh.completionPending);
  shared_.reset();
}

// Frames are written into the shared image without cairo knowing.
void X11Platform::DrawWindow(cairo_t* cr) {
  if (shared_ && surface_) cairo_surface_mark_dirty(surface_);
  PaintContent(cr);
}

void X11Platform::ReleaseWindowSurface() {
  CloseSharedContent();
  sharedTried_ = false;
  if (!windowSurface_) return;
  cairo_surface_finish(windowSurface_);
  cairo_surface_destroy(windowSurface_);
  windowSurface_ = nullptr;
}

}  // namespace gd
