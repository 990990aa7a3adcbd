#include "scene/fixed_layers.h"

#include <algorithm>
#include <cstdint>

namespace gd {

void FixedLayers::Build(const FrameBuffer& base, std::vector<const SceneImage*> layers) {
  layers_ = std::move(layers);
  start_ = base;
  const int w = base.width, h = base.height;
  const size_t n = layers_.size();
  // For each frame pixel, the index + 1 of the last fixed picture opaque there (0: none).
  std::vector<uint8_t> top(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0), 0);
  for (size_t i = 0; i < n; ++i) {
    const SceneImage& img = *layers_[i];
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
    const SceneImage& img = *layers_[i];
    if (!img.Drawable()) continue;
    Leftover& left = left_[i];
    for (int y = 0; y < std::min(h, img.height); ++y)
      for (int x = 0; x < std::min(w, img.width); ++x) {
        const uint8_t* s = &img.bgra[(static_cast<size_t>(y) * img.width + x) * 4];
        const uint32_t at = static_cast<uint32_t>(y * w + x);
        if (s[3] == 0 || s[3] == 255 || top[at] > i) continue;
        if (left.stretches.empty() || x == 0 || left.stretches.back().at + left.stretches.back().length != at)
          left.stretches.push_back({at, 0});
        ++left.stretches.back().length;
        left.bgra.insert(left.bgra.end(), s, s + 4);
      }
    left.rows.assign(static_cast<size_t>(std::max(h, 0)), {0, 0});
    for (const Leftover::Stretch& st : left.stretches) {
      auto& row = left.rows[st.at / w];
      const int x0 = static_cast<int>(st.at % w), x1 = x0 + st.length;
      row = row.first < row.second ? std::pair<int, int>{std::min(row.first, x0), std::max(row.second, x1)}
                                   : std::pair<int, int>{x0, x1};
    }
  }
  // Gap g lies before fixed picture g: visible where no picture g or later is opaque.
  visible_.assign(n + 1, VisibleSpans{});
  for (size_t g = 0; g <= n; ++g) {
    std::vector<uint8_t> open(static_cast<size_t>(std::max(w, 0)) * std::max(h, 0) * 4, 0);
    for (size_t p = 0; p < top.size(); ++p)
      if (top[p] <= g) open[p * 4 + 3] = 255;
    visible_[g].Build(open.data(), w, h);
  }
}

void FixedLayers::Draw(FrameBuffer& frame, size_t layer) const {
  if (frame.width != start_.width || frame.height != start_.height) return;  // not a frame from Start
  const Leftover& left = left_[layer];
  const uint8_t* src = left.bgra.data();
  for (const Leftover::Stretch& s : left.stretches) {
    BlendPixels(frame.pixels.data() + static_cast<size_t>(s.at) * 4, src, s.length);
    src += static_cast<size_t>(s.length) * 4;
  }
}

}  // namespace gd
