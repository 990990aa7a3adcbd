// The window's content as an image of its own (cairo's ARGB32): what the
// core composes into where no display's buffers take the frames, and what
// the draw handler paints when the window is exposed. Each display brings it
// to the window its own way (DrawIntoWindow).
#include <gtk/gtk.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/shared/window_content.h"

namespace gd {

Platform::LentBuffer GtkPlatform::Lent(unsigned char* pixels, int width, int height, int stride, uint8_t constantAlpha) {
  LentBuffer lent;
  lent.pixels = pixels;
  lent.width = width;
  lent.height = height;
  lent.stride = stride;
  lent.constantAlpha = constantAlpha;
  const bool sameWay = contentHoldsLast_ && !contentReset_ && contentAlpha_ == constantAlpha && contentComposited_ == Composited();
  lent.age = sameWay ? 1 : 0;
  lentWhole_ = !sameWay;
  return lent;
}

Platform::LentBuffer GtkPlatform::LendContentImage(int width, int height, uint8_t constantAlpha) {
  if (surface_ && (cairo_image_surface_get_width(surface_) != width || cairo_image_surface_get_height(surface_) != height)) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  if (!surface_) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    contentHoldsLast_ = false;
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface_);
      surface_ = nullptr;
      return {};
    }
  }
  cairo_surface_flush(surface_);
  return Lent(cairo_image_surface_get_data(surface_), width, height, cairo_image_surface_get_stride(surface_),
              constantAlpha);
}

Rect GtkPlatform::SettleWritten(const LentBuffer& buffer, const RowStretches& written) {
  const std::vector<std::pair<int, int>>* inside = haveInsideSpans_ ? &insideSpans_ : nullptr;
  const FrameBuffer frame = FrameBuffer::InLentMemory(buffer.pixels, buffer.width, buffer.height, buffer.stride);
  UpdateWindowContent(frame, buffer.constantAlpha, Composited(), buffer.pixels, buffer.stride, false, inside, &written);
  return SettleComposedContent(buffer.pixels, buffer.stride, buffer.width, buffer.height, inside, &written);
}

bool GtkPlatform::TakeFrame(const LentBuffer& buffer, const RowStretches& written, Rect* settled) {
  if (!buffer.pixels || written.size() != static_cast<size_t>(buffer.height)) return false;
  contentReset_ = false;
  contentHoldsLast_ = false;
  contentAlpha_ = buffer.constantAlpha;
  contentComposited_ = Composited();
  *settled = SettleWritten(buffer, written);
  contentHoldsLast_ = true;
  return true;
}

bool GtkPlatform::ShowContentImage(const LentBuffer& buffer, const Rect& settled) {
  if (!surface_ || buffer.pixels != cairo_image_surface_get_data(surface_)) return false;
  cairo_surface_mark_dirty(surface_);
  if (settled.Empty()) return true;
  if (mapped_)
    DrawIntoWindow(lentWhole_ ? Rect{0, 0, buffer.width, buffer.height} : settled);
  else
    gtk_widget_queue_draw(window_);  // painted when it is first exposed
  return true;
}

void GtkPlatform::PaintContent(cairo_t* cr) {
  // GTK draws in its own units; the frame, in device pixels, is told so, so
  // that it lands one to one instead of enlarged.
  const double g = WindowScale();
  if (surface_) {
    cairo_surface_set_device_scale(surface_, g, g);
    cairo_set_source_surface(cr, surface_, 0, 0);
  } else if (Composited()) {
    cairo_set_source_rgba(cr, 0, 0, 0, 0);
  } else {
    cairo_set_source_rgb(cr, kFallbackGrey / 255.0, kFallbackGrey / 255.0, kFallbackGrey / 255.0);
  }
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);  // lets go of the frame before its scale is put back
  if (surface_) cairo_surface_set_device_scale(surface_, 1, 1);
}

}  // namespace gd
