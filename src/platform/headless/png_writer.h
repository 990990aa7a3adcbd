// Writes pictures as PNG files, and sequences of them as animated PNG (APNG),
// for the headless backend's snapshots and recordings. Pixels are 8-bit RGBA,
// rows from the top, not premultiplied.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "images/png_rgba.h"

namespace gd {

// The picture as a PNG file's bytes.
std::vector<uint8_t> EncodePng(const RgbaImage& image);

// Returns false and fills `error` when the file cannot be written.
bool WritePng(const std::string& path, const RgbaImage& image, std::string* error);

// An APNG written frame by frame: each frame is compressed as it arrives, and
// the frame count is patched into the header when the file is finished.
class ApngWriter {
 public:
  ApngWriter() = default;
  ApngWriter(const ApngWriter&) = delete;
  ApngWriter& operator=(const ApngWriter&) = delete;
  ~ApngWriter();

  bool Open(const std::string& path, uint32_t width, uint32_t height, std::string* error);
  // `delayMs` is how long this frame stays on screen.
  bool AddFrame(const RgbaImage& image, uint32_t delayMs);
  bool Finish(std::string* error);
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  uint32_t width_ = 0, height_ = 0;
  uint32_t frames_ = 0;
  uint32_t sequence_ = 0;
  long actlOffset_ = 0;
  bool ok_ = true;
};

}  // namespace gd
