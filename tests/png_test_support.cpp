#include "png_test_support.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace gd::test {

int SourceImage::Channels() const {
  switch (color_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

size_t SourceImage::RowBytes() const { return (size_t{width} * Channels() * bit_depth + 7) / 8; }

size_t SourceImage::FilterDistance() const {
  const size_t bytes = static_cast<size_t>(Channels()) * bit_depth / 8;
  return bytes == 0 ? 1 : bytes;
}

Bytes SourceImage::PackedRow(uint32_t y) const {
  Bytes row(RowBytes(), 0);
  const int channels = Channels();
  size_t bit = 0;
  for (uint32_t x = 0; x < width; ++x) {
    for (int c = 0; c < channels; ++c) {
      const uint16_t v = Sample(x, y, c);
      if (bit_depth == 16) {
        row[bit / 8] = static_cast<uint8_t>(v >> 8);
        row[bit / 8 + 1] = static_cast<uint8_t>(v);
      } else if (bit_depth == 8) {
        row[bit / 8] = static_cast<uint8_t>(v);
      } else {
        row[bit / 8] |= static_cast<uint8_t>(v << (8 - bit_depth - bit % 8));
      }
      bit += bit_depth;
    }
  }
  return row;
}

SourceImage RandomImage(uint32_t width, uint32_t height, uint8_t color_type, uint8_t bit_depth,
                        uint32_t seed, int palette_entries) {
  SourceImage image;
  image.width = width;
  image.height = height;
  image.color_type = color_type;
  image.bit_depth = bit_depth;
  std::mt19937 rng(seed);
  const uint32_t limit = color_type == 3 ? static_cast<uint32_t>(palette_entries)
                                         : (bit_depth == 16 ? 65536u : 1u << bit_depth);
  image.samples.resize(size_t{width} * height * image.Channels());
  for (auto& s : image.samples) s = static_cast<uint16_t>(rng() % limit);
  if (color_type == 3) {
    for (int i = 0; i < palette_entries * 3; ++i) image.plte.push_back(static_cast<uint8_t>(rng()));
  }
  return image;
}

Bytes ExpectedRgba(const SourceImage& image) {
  Bytes out;
  out.reserve(size_t{image.width} * image.height * 4);
  const uint32_t max = (1u << image.bit_depth) - 1;
  auto to8 = [&](uint16_t v) -> uint8_t {
    if (image.bit_depth == 16) return static_cast<uint8_t>(v >> 8);
    return static_cast<uint8_t>(v * 255u / max);
  };
  const uint16_t key_mask = image.bit_depth == 16 ? 0xFFFF : static_cast<uint16_t>(max);
  auto key = [&](int i) -> uint16_t {
    return static_cast<uint16_t>(((image.trns[2 * i] << 8) | image.trns[2 * i + 1]) & key_mask);
  };
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      uint8_t r = 0, g = 0, b = 0, a = 255;
      switch (image.color_type) {
        case 0: {
          const uint16_t v = image.Sample(x, y, 0);
          r = g = b = to8(v);
          if (image.trns.size() == 2 && v == key(0)) a = 0;
          break;
        }
        case 2: {
          const uint16_t vr = image.Sample(x, y, 0), vg = image.Sample(x, y, 1), vb = image.Sample(x, y, 2);
          r = to8(vr);
          g = to8(vg);
          b = to8(vb);
          if (image.trns.size() == 6 && vr == key(0) && vg == key(1) && vb == key(2)) a = 0;
          break;
        }
        case 3: {
          const uint16_t i = image.Sample(x, y, 0);
          if (size_t{i} * 3 + 2 < image.plte.size()) {
            r = image.plte[3 * i];
            g = image.plte[3 * i + 1];
            b = image.plte[3 * i + 2];
          }
          if (i < image.trns.size()) a = image.trns[i];
          break;
        }
        case 4:
          r = g = b = to8(image.Sample(x, y, 0));
          a = to8(image.Sample(x, y, 1));
          break;
        case 6:
          r = to8(image.Sample(x, y, 0));
          g = to8(image.Sample(x, y, 1));
          b = to8(image.Sample(x, y, 2));
          a = to8(image.Sample(x, y, 3));
          break;
      }
      out.insert(out.end(), {r, g, b, a});
    }
  }
  return out;
}

// ---- libpng encoder -------------------------------------------------------

namespace {

void PngWriteToVector(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
void PngFlushNothing(png_structp) {}
void PngIgnoreWarning(png_structp, png_const_charp) {}

void PngStoreError(png_structp png, png_const_charp message) {
  auto* text = static_cast<std::string*>(png_get_error_ptr(png));
  if (text) *text = message;
  png_longjmp(png, 1);
}

// Everything that libpng may jump out of lives in the caller's frame.
bool WriteImpl(const SourceImage& image, bool interlaced, int filters, size_t idat_bytes,
               png_bytepp rows, Bytes* out, std::string* error) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, error, PngStoreError, PngIgnoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, PngWriteToVector, PngFlushNothing);
  png_set_IHDR(png, info, image.width, image.height, image.bit_depth, image.color_type,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  const int entries = static_cast<int>(image.plte.size() / 3);
  for (int i = 0; i < entries; ++i) {
    palette[i] = png_color{image.plte[3 * i], image.plte[3 * i + 1], image.plte[3 * i + 2]};
  }
  if (entries > 0) png_set_PLTE(png, info, palette, entries);
  png_color_16 key{};
  if (!image.trns.empty()) {
    if (image.color_type == 3) {
      png_set_tRNS(png, info, image.trns.data(), static_cast<int>(image.trns.size()), nullptr);
    } else {
      const uint8_t* t = image.trns.data();
      key.gray = static_cast<png_uint_16>(t[0] << 8 | t[1]);
      if (image.trns.size() == 6) {
        key.red = static_cast<png_uint_16>(t[0] << 8 | t[1]);
        key.green = static_cast<png_uint_16>(t[2] << 8 | t[3]);
        key.blue = static_cast<png_uint_16>(t[4] << 8 | t[5]);
      }
      png_set_tRNS(png, info, nullptr, 0, &key);
    }
  }
  png_set_filter(png, 0, filters);
  png_set_compression_buffer_size(png, idat_bytes);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Bytes EncodeWithLibpng(const SourceImage& image, bool interlaced, int filters, size_t idat_bytes) {
  std::vector<Bytes> packed;
  std::vector<png_bytep> rows;
  for (uint32_t y = 0; y < image.height; ++y) packed.push_back(image.PackedRow(y));
  for (auto& row : packed) rows.push_back(row.data());
  Bytes out;
  std::string error;
  if (!WriteImpl(image, interlaced, filters, idat_bytes, rows.data(), &out, &error)) {
    throw std::runtime_error("libpng could not write the test image: " + error);
  }
  return out;
}

// ---- own writer -----------------------------------------------------------

namespace {

uint8_t Predictor(uint8_t type, uint8_t a, uint8_t b, uint8_t c) {
  switch (type) {
    case 1: return a;
    case 2: return b;
    case 3: return static_cast<uint8_t>((a + b) / 2);
    case 4: {
      const int p = a + b - c;
      const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      if (pa <= pb && pa <= pc) return a;
      return pb <= pc ? b : c;
    }
    default: return 0;
  }
}

}  // namespace

Bytes FilterScanlines(const SourceImage& image, const std::function<uint8_t(uint32_t)>& filter_for_row) {
  Bytes out;
  const size_t n = image.RowBytes(), bpp = image.FilterDistance();
  Bytes previous(n, 0);
  for (uint32_t y = 0; y < image.height; ++y) {
    const Bytes row = image.PackedRow(y);
    const uint8_t type = filter_for_row(y);
    out.push_back(type);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t a = i >= bpp ? row[i - bpp] : 0;
      const uint8_t c = i >= bpp ? previous[i - bpp] : 0;
      out.push_back(static_cast<uint8_t>(row[i] - Predictor(type, a, previous[i], c)));
    }
    previous = row;
  }
  return out;
}

Bytes Deflate(const Bytes& data, int level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

PngBuilder::PngBuilder(bool signature) {
  if (signature) bytes_.assign(std::begin(kPngSignature), std::end(kPngSignature));
}

PngBuilder& PngBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

PngBuilder& PngBuilder::Chunk(std::string_view name, const Bytes& data, bool good_crc) {
  const auto length = static_cast<uint32_t>(data.size());
  Bytes chunk = {static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
                 static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  chunk.insert(chunk.end(), name.begin(), name.end());
  chunk.insert(chunk.end(), data.begin(), data.end());
  uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
  if (!good_crc) crc ^= 1;
  for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(crc >> shift));
  return Raw(chunk);
}

PngBuilder& PngBuilder::Ihdr(uint32_t width, uint32_t height, uint8_t bit_depth, uint8_t color_type,
                             uint8_t interlace, uint8_t compression, uint8_t filter) {
  Bytes d;
  for (uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) d.push_back(static_cast<uint8_t>(v >> shift));
  }
  d.insert(d.end(), {bit_depth, color_type, compression, filter, interlace});
  return Chunk("IHDR", d);
}

PngBuilder& PngBuilder::IhdrOf(const SourceImage& image) {
  return Ihdr(image.width, image.height, image.bit_depth, image.color_type);
}

PngBuilder& PngBuilder::PaletteOf(const SourceImage& image) {
  if (!image.plte.empty()) Chunk("PLTE", image.plte);
  if (!image.trns.empty()) Chunk("tRNS", image.trns);
  return *this;
}

PngBuilder& PngBuilder::ImageData(const Bytes& zlib_stream, const std::vector<size_t>& split) {
  size_t pos = 0;
  for (size_t size : split) {
    size = std::min(size, zlib_stream.size() - pos);
    Chunk("IDAT", Bytes(zlib_stream.begin() + static_cast<std::ptrdiff_t>(pos),
                        zlib_stream.begin() + static_cast<std::ptrdiff_t>(pos + size)));
    pos += size;
  }
  return Chunk("IDAT", Bytes(zlib_stream.begin() + static_cast<std::ptrdiff_t>(pos), zlib_stream.end()));
}

PngBuilder& PngBuilder::Iend() { return Chunk("IEND", {}); }

Bytes SimplePng(const SourceImage& image, uint8_t filter_type) {
  const Bytes scanlines = FilterScanlines(image, [filter_type](uint32_t) { return filter_type; });
  return PngBuilder().IhdrOf(image).PaletteOf(image).ImageData(Deflate(scanlines)).Iend().bytes();
}

PngImage Decode(const Bytes& file) {
  ByteReader r(file.data(), file.size());
  PngImage picture;
  picture.LoadPng(r);
  return picture;
}

// ---- libpng decoder -------------------------------------------------------

namespace {

struct MemorySource {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void PngReadFromMemory(png_structp png, png_bytep out, png_size_t size) {
  auto* src = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (size > src->size - src->pos) png_error(png, "read past the end of the data");
  std::memcpy(out, src->data + src->pos, size);
  src->pos += size;
}

bool ReadImpl(MemorySource* src, LibpngImage* out, std::vector<png_bytep>* rows) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &out->error, PngStoreError, PngIgnoreWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, src, PngReadFromMemory);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  png_set_strip_16(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out->width = png_get_image_width(png, info);
  out->height = png_get_image_height(png, info);
  if (png_get_rowbytes(png, info) != size_t{out->width} * 4) png_error(png, "unexpected row size");
  out->rgba.assign(size_t{out->width} * out->height * 4, 0);
  rows->resize(out->height);
  for (uint32_t y = 0; y < out->height; ++y) (*rows)[y] = out->rgba.data() + size_t{y} * out->width * 4;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

LibpngImage DecodeWithLibpng(const Bytes& file) {
  LibpngImage out;
  MemorySource src{file.data(), file.size(), 0};
  std::vector<png_bytep> rows;
  out.ok = ReadImpl(&src, &out, &rows);
  return out;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace gd::test
