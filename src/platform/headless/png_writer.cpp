#include "platform/headless/png_writer.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

namespace gd {
namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

std::vector<uint8_t> Chunk(const char* name, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  PutU32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), name, name + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(name), 4);
  if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
  PutU32(out, static_cast<uint32_t>(crc));
  return out;
}

std::vector<uint8_t> Header(uint32_t width, uint32_t height) {
  std::vector<uint8_t> d;
  PutU32(d, width);
  PutU32(d, height);
  d.push_back(8);  // bit depth
  d.push_back(6);  // colour with alpha
  d.push_back(0);
  d.push_back(0);
  d.push_back(0);
  return d;
}

// Filters every row with Sub, which suits smooth pictures, and deflates.
std::vector<uint8_t> Compress(const RgbaImage& image) {
  const size_t stride = static_cast<size_t>(image.width) * 4;
  std::vector<uint8_t> raw;
  raw.reserve((stride + 1) * image.height);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels.data() + stride * y;
    raw.push_back(1);
    for (size_t i = 0; i < stride; ++i)
      raw.push_back(static_cast<uint8_t>(row[i] - (i >= 4 ? row[i - 4] : 0)));
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return {};
  out.resize(size);
  return out;
}

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool WriteBytes(std::FILE* f, const std::vector<uint8_t>& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

}  // namespace

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  for (const std::vector<uint8_t>& chunk :
       {Chunk("IHDR", Header(image.width, image.height)), Chunk("IDAT", Compress(image)), Chunk("IEND", {})})
    out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

bool WritePng(const std::string& path, const RgbaImage& image, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WriteBytes(f, EncodePng(image));
  ok = (std::fclose(f) == 0) && ok;
  if (!ok && error) *error = "cannot write " + path;
  return ok;
}

ApngWriter::~ApngWriter() {
  if (file_) std::fclose(file_);
}

bool ApngWriter::Open(const std::string& path, uint32_t width, uint32_t height, std::string* error) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    if (error) *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  width_ = width;
  height_ = height;
  ok_ = std::fwrite(kSignature, 1, 8, file_) == 8 && WriteBytes(file_, Chunk("IHDR", Header(width, height)));
  actlOffset_ = std::ftell(file_);
  std::vector<uint8_t> actl;
  PutU32(actl, 0);  // frame count, patched by Finish
  PutU32(actl, 0);  // loop for ever
  ok_ = ok_ && WriteBytes(file_, Chunk("acTL", actl));
  return ok_;
}

bool ApngWriter::AddFrame(const RgbaImage& image, uint32_t delayMs) {
  if (!file_ || image.width != width_ || image.height != height_) return false;
  std::vector<uint8_t> fctl;
  PutU32(fctl, sequence_++);
  PutU32(fctl, width_);
  PutU32(fctl, height_);
  PutU32(fctl, 0);
  PutU32(fctl, 0);
  PutU16(fctl, static_cast<uint16_t>(delayMs > 65535 ? 65535 : delayMs));
  PutU16(fctl, 1000);
  fctl.push_back(0);  // dispose: none
  fctl.push_back(0);  // blend: source
  ok_ = ok_ && WriteBytes(file_, Chunk("fcTL", fctl));
  std::vector<uint8_t> data = Compress(image);
  if (frames_ == 0) {
    ok_ = ok_ && WriteBytes(file_, Chunk("IDAT", data));
  } else {
    std::vector<uint8_t> fdat;
    PutU32(fdat, sequence_++);
    fdat.insert(fdat.end(), data.begin(), data.end());
    ok_ = ok_ && WriteBytes(file_, Chunk("fdAT", fdat));
  }
  ++frames_;
  return ok_;
}

bool ApngWriter::Finish(std::string* error) {
  if (!file_) return false;
  ok_ = ok_ && frames_ > 0 && WriteBytes(file_, Chunk("IEND", {}));
  if (ok_) {
    std::vector<uint8_t> actl;
    PutU32(actl, frames_);
    PutU32(actl, 0);
    ok_ = std::fseek(file_, actlOffset_, SEEK_SET) == 0 && WriteBytes(file_, Chunk("acTL", actl));
  }
  ok_ = (std::fclose(file_) == 0) && ok_;
  file_ = nullptr;
  if (!ok_ && error) *error = frames_ == 0 ? "no frame was recorded" : "cannot write " + path_;
  return ok_;
}

}  // namespace gd
