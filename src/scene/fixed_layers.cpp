#include "scene/fixed_layers.h"

#include <algorithm>
#include <cstdint>

namespace gd {

void FixedLayers::Build(const FrameBuffer& base, std::vector<const SceneImage*> layers) {
  start_ = base;
  const int w = base.width, h = base.height;
  const size_t n = layers.size();
  // For each frame pixel, the index + 1 of the last fixed picture opaque there (0: none).
  std::vector<uint8_t> top(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0), 0);
  for (size_t i = 0; i < n; ++i) {
    const SceneImage& img = *layers[i];
    if (!img.Drawable()) continue;
    for (int y = 0; y < std::min(h, img.height); ++y)
      for (int x = 0; x < std::min(w, img.width); ++x) {
        const uint8_t* s = &img.bgra[(static_cast<size_t>(y) * img.width + x) * 4];
        if (s[3] != 255) continue;
        top[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(i + 1);
        uint8_t* d = start_.Pixel(x, y);
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      }
  }
  // What is left of each fixed picture: partly covering pixels not hidden
  // later, packed so that a frame reads only them.
  left_.assign(n, Leftover{});
  for (size_t i = 0; i < n; ++i) {
    const SceneImage& img = *layers[i];
    if (!img.Drawable()) continue;
    Leftover& left = left_[i];
    for (int y = 0; y < std::min(h, img.height); ++y)
      for (int x = 0; x < std::min(w, img.width); ++x) {
        const uint8_t* s = &img.bgra[(static_cast<size_t>(y) * img.width + x) * 4];
        const uint32_t at = static_cast<uint32_t>(y * w + x);
        if (s[3] == 0 || s[3] == 255 || top[at] > i) continue;
        if (left.stretches.empty() || x == 0 || left.stretches.back().at + left.stretches.back().length != at)
          left.stretches.push_back({at, 0, static_cast<uint32_t>(left.bgra.size() / 4)});
        ++left.stretches.back().length;
        left.bgra.insert(left.bgra.end(), s, s + 4);
      }
  }
  // Gap g lies before fixed picture g: visible where no picture g or later is opaque.
  visible_.assign(n + 1, VisibleSpans{});
  visibleBounds_.clear();
  for (size_t g = 0; g <= n; ++g) {
    std::vector<uint8_t> open(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0) * 4, 0);
    for (size_t p = 0; p < top.size(); ++p)
      if (top[p] <= g) open[p * 4 + 3] = 255;
    visible_[g].Build(open.data(), w, h);
    const AlphaRuns& spans = visible_[g].spans;
    Rect bounds;
    for (int y = spans.firstRow; y < spans.endRow; ++y)
      for (uint32_t r = spans.rowStart[y]; r < spans.rowStart[y + 1]; ++r)
        bounds = bounds.United(Rect{spans.runs[r].begin, y, spans.runs[r].end, y + 1});
    visibleBounds_.push_back(bounds);
  }
}

void FixedLayers::Draw(FrameBuffer& frame, size_t layer, const RowStretches& rows) const {
  if (rows.size() != static_cast<size_t>(frame.height)) return;
  // From the first row with a stretch to the last.
  int top = 0, bottom = frame.height;
  while (top < bottom && rows[top].first >= rows[top].second) ++top;
  while (bottom > top && rows[bottom - 1].first >= rows[bottom - 1].second) --bottom;
  DrawWithin(frame, layer, top, bottom, [&rows](int y) { return rows[y]; });
}

template <class Columns>
void FixedLayers::DrawWithin(FrameBuffer& frame, size_t layer, int top, int bottom, Columns columns) const {
  if (frame.width != start_.width || frame.height != start_.height) return;  // not a frame from Start
  const Leftover& left = left_[layer];
  const int w = frame.width;
  top = std::clamp(top, 0, frame.height);
  bottom = std::clamp(bottom, top, frame.height);
  const uint32_t end = static_cast<uint32_t>(bottom) * w;
  auto s = std::lower_bound(left.stretches.begin(), left.stretches.end(), static_cast<uint32_t>(top) * w,
                            [](const Leftover::Stretch& st, uint32_t at) { return st.at < at; });
  // Stretches lie within one row, in frame order: the row is followed, not divided out.
  int y = top;
  uint32_t rowStart = static_cast<uint32_t>(top) * w;
  for (; s != left.stretches.end() && s->at < end; ++s) {
    while (s->at >= rowStart + w) {
      ++y;
      rowStart += w;
    }
    const int x = static_cast<int>(s->at - rowStart);
    const auto [from, to] = columns(y);
    const int b = std::max(x, from), e = std::min(x + s->length, to);
    if (b < e)
      BlendPixels(frame.Row(y) + static_cast<size_t>(b) * 4,
                  left.bgra.data() + (static_cast<size_t>(s->from) + (b - x)) * 4, e - b);
  }
}

}  // namespace gd
