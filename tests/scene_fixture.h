// Shared by the scene tests: a stand-in catalogue with every picture the main
// window draws (the right names and sizes, random colours and alpha with runs
// of 0, of 255 and of everything between), a plain per-pixel blend to compare
// with, a painter that records draws, and a headless platform that keeps the
// trace in memory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "images/catalogue.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/png_writer.h"
#include "scene/painter.h"

namespace gd::scene_test {

struct PictureSize {
  std::string name;
  int width;
  int height;
};

inline std::string Numbered(const char* stem, int n) {
  std::string s(stem);
  s += std::to_string(n);
  return s;
}

// Every picture the window resolves, with its size.
inline std::vector<PictureSize> ScenePictureSizes() {
  std::vector<PictureSize> sizes = {{"imgTree", 300, 260},     {"imgDay", 201, 1341}, {"imgStars", 300, 260},
                                    {"imgLandscape", 300, 260}, {"imgHome", 300, 260}, {"img3", 300, 260},
                                    {"imgDDay", 41, 20},        {"imgDays", 53, 20},   {"Snow1", 1, 1},
                                    {"Snow2", 3, 3},            {"Snow3", 1, 1},       {"Snow4", 3, 3},
                                    {"Snow5", 7, 7},            {"Snow6", 7, 7}};
  for (int f = 1; f <= 5; ++f) {
    sizes.push_back({Numbered("sun", f), 60, 59});
    sizes.push_back({Numbered("sundown", f), 60, 59});
  }
  for (int p = 1; p <= 7; ++p)
    for (int f = 1; f <= 5; ++f) sizes.push_back({Numbered("moon", p) + "_" + std::to_string(f), 95, 95});
  const int digitWidths[10] = {17, 11, 19, 18, 18, 17, 17, 16, 18, 18};
  for (int d = 0; d < 10; ++d) sizes.push_back({Numbered("d", d), digitWidths[d], 20});
  return sizes;
}

// Random RGBA in runs: alpha 0, alpha 255, or any alpha per pixel (1 and 254
// included), so that every kind of run and every clip meets a run's edge.
inline RgbaImage RandomPicture(int width, int height, uint32_t seed) {
  std::mt19937 gen(seed);
  RgbaImage img{static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  size_t i = 0;
  const size_t n = static_cast<size_t>(width) * height;
  while (i < n) {
    const int kind = static_cast<int>(gen() % 3);
    const size_t len = 1 + gen() % 40;
    for (size_t k = 0; k < len && i < n; ++k, ++i) {
      uint8_t* px = &img.pixels[i * 4];
      px[0] = static_cast<uint8_t>(gen());
      px[1] = static_cast<uint8_t>(gen());
      px[2] = static_cast<uint8_t>(gen());
      px[3] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(1 + gen() % 254);
    }
  }
  return img;
}

// A 24-bit bottom-up BMP file: pure white (outside the outline) in the top
// six rows and the left six columns, black with grey specks elsewhere.
inline std::vector<uint8_t> MaskBmp(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t dataSize = static_cast<uint32_t>(stride * height);
  std::vector<uint8_t> f(54 + dataSize, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int b = 0; b < 4; ++b) f[at + b] = static_cast<uint8_t>(v >> (8 * b));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  f[26] = 1;
  f[28] = 24;
  put32(34, dataSize);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = &f[54 + static_cast<size_t>(height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) {
      const uint8_t v = (y < 6 || x < 6) ? 255 : ((x * 7 + y) % 13 == 0 ? 128 : 0);
      row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
    }
  }
  return f;
}

// Builds the stand-in catalogue through the stored form, as the program does.
inline SceneCatalogue BuildSceneCatalogue(uint32_t seed = 1) {
  std::vector<std::string> names;
  std::vector<std::vector<uint8_t>> stored;
  uint32_t k = seed * 1000;
  for (const PictureSize& s : ScenePictureSizes()) {
    std::vector<uint8_t> bytes = {11, 'T', 'P', 'n', 'g', 'P', 'i', 'c', 't', 'u', 'r', 'e'};
    const std::vector<uint8_t> png = EncodePng(RandomPicture(s.width, s.height, ++k));
    bytes.insert(bytes.end(), png.begin(), png.end());
    names.push_back(s.name);
    stored.push_back(std::move(bytes));
  }
  std::vector<uint8_t> bmp = MaskBmp(300, 260);
  std::vector<uint8_t> bytes = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p'};
  const uint32_t size = static_cast<uint32_t>(bmp.size());
  for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(size >> (8 * b)));
  bytes.insert(bytes.end(), bmp.begin(), bmp.end());
  names.push_back("imgMask");
  stored.push_back(std::move(bytes));

  std::vector<EmbeddedPicture> pictures;
  for (size_t i = 0; i < names.size(); ++i) pictures.push_back({names[i].c_str(), stored[i].data(), stored[i].size()});
  return SceneCatalogue::FromStored(pictures.data(), pictures.size());
}

inline const SceneCatalogue& SharedSceneCatalogue() {
  static const SceneCatalogue catalogue = BuildSceneCatalogue();
  return catalogue;
}

// The blend as the formula states it, on every pixel of the picture that
// lands in the frame, with nothing skipped.
inline void NaiveBlend(FrameBuffer& frame, const SceneImage& image, int x, int y) {
  for (int j = std::max(0, -y); j < image.height && y + j < frame.height; ++j)
    for (int i = 0; i < image.width; ++i) {
      const int fx = x + i, fy = y + j;
      if (fx < 0 || fx >= frame.width) continue;
      const uint8_t* s = &image.bgra[(static_cast<size_t>(j) * image.width + i) * 4];
      uint8_t* d = frame.Pixel(fx, fy);
      const unsigned a = s[3];
      for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((s[c] * a + d[c] * (255 - a) + 255) >> 8);
    }
}

struct DrawCall {
  std::string name;
  int x;
  int y;
  bool operator==(const DrawCall&) const = default;
};

inline void PrintTo(const DrawCall& d, std::ostream* os) { *os << d.name << "@(" << d.x << ", " << d.y << ")"; }

class RecordingPainter : public ScenePainter {
 public:
  void Draw(const SceneImage& image, int x, int y) override { draws.push_back({image.name, x, y}); }
  std::vector<DrawCall> draws;
};

// Parses the "draws" list of a frame event.
inline std::vector<DrawCall> ParseDraws(const std::string& fields) {
  std::vector<DrawCall> out;
  size_t at = fields.find("\"draws\": [");
  if (at == std::string::npos) return out;
  at += 10;
  while ((at = fields.find("[\"", at)) != std::string::npos) {
    const size_t nameEnd = fields.find('"', at + 2);
    DrawCall d{fields.substr(at + 2, nameEnd - at - 2), 0, 0};
    std::sscanf(fields.c_str() + nameEnd + 1, ", %d, %d]", &d.x, &d.y);
    out.push_back(d);
    at = nameEnd;
  }
  return out;
}

struct TraceEvent {
  uint64_t t;
  std::string ev;
  std::string fields;
};

// The headless backend with its trace kept in memory, a hook after every
// composed frame, and message boxes that can run ticks while they are open.
class TracingPlatform : public HeadlessPlatform {
 public:
  explicit TracingPlatform(HeadlessOptions o) : HeadlessPlatform(std::move(o)) {}
  TraceSink* Tracer() override { return this; }
  void Write(std::string_view event, std::string_view fieldsJson) override {
    events.push_back({Now(), std::string(event), std::string(fieldsJson)});
  }
  void FrameRendered() override {
    HeadlessPlatform::FrameRendered();
    if (onFrame) onFrame();
  }
  void ShowMessage(const std::string& text, MessageKind kind) override {
    HeadlessPlatform::ShowMessage(text, kind);
    if (whileMessageOpen) whileMessageOpen();
  }
  std::vector<const TraceEvent*> Events(const std::string& ev) const {
    std::vector<const TraceEvent*> out;
    for (const TraceEvent& e : events)
      if (e.ev == ev) out.push_back(&e);
    return out;
  }

  std::vector<TraceEvent> events;
  std::function<void()> onFrame;
  std::function<void()> whileMessageOpen;
};

inline HeadlessOptions SceneOptions(int scaleQuarters = 4) {
  HeadlessOptions o;
  o.scaleQuarters = scaleQuarters;
  o.frames = 0;  // no frame limit: the tests drive time themselves
  o.at = LocalDateTime{2026, 12, 20, 10, 0, 0, 0};
  return o;
}

}  // namespace gd::scene_test
