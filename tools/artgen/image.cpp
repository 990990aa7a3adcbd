#include "image.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace artgen {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// libpng reports errors by longjmp; this function holds no objects with
// destructors between setjmp and the calls that may jump.
bool WritePngRows(FILE* f, int width, int height, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void PutLe16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void PutLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  PutLe16(b, at, v & 0xFFFF);
  PutLe16(b, at + 2, v >> 16);
}
uint32_t GetLe32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

void WritePng(const Image& image, const std::string& path) {
  FilePtr f(std::fopen(path.c_str(), "wb"));
  if (!f) throw std::runtime_error("cannot open " + path + " for writing");
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(image.At(0, y));
  if (!WritePngRows(f.get(), image.width, image.height, rows.data()))
    throw std::runtime_error("libpng failed to write " + path);
  if (std::fflush(f.get()) != 0) throw std::runtime_error("cannot write " + path);
}

void WriteBmp24(const Image& image, const std::string& path) {
  const uint32_t row_bytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t data_bytes = row_bytes * static_cast<uint32_t>(image.height);
  std::vector<uint8_t> file(54 + data_bytes, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutLe32(file, 2, 54 + data_bytes);  // file size
  PutLe32(file, 10, 54);               // offset of the pixels
  PutLe32(file, 14, 40);               // BITMAPINFOHEADER
  PutLe32(file, 18, static_cast<uint32_t>(image.width));
  PutLe32(file, 22, static_cast<uint32_t>(image.height));  // positive: bottom row first
  PutLe16(file, 26, 1);                // planes
  PutLe16(file, 28, 24);               // bits per pixel
  PutLe32(file, 30, 0);                // BI_RGB, uncompressed
  PutLe32(file, 34, data_bytes);
  PutLe32(file, 38, 2835);             // 72 dpi
  PutLe32(file, 42, 2835);
  for (int y = 0; y < image.height; ++y) {
    size_t at = 54 + static_cast<size_t>(image.height - 1 - y) * row_bytes;
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.At(x, y);
      file[at++] = p[2];
      file[at++] = p[1];
      file[at++] = p[0];
    }
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool ReadPng(const std::string& path, Image& out, std::string& error) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) {
    error = img.message;
    return false;
  }
  img.format = PNG_FORMAT_RGBA;
  Image result(static_cast<int>(img.width), static_cast<int>(img.height));
  if (!png_image_finish_read(&img, nullptr, result.rgba.data(), 0, nullptr)) {
    error = img.message;
    png_image_free(&img);
    return false;
  }
  out = std::move(result);
  return true;
}

bool ReadBmp24(const std::string& path, Image& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const uint32_t offset = GetLe32(file, 10);
  const int width = static_cast<int>(GetLe32(file, 18));
  const int height = static_cast<int>(GetLe32(file, 22));
  const int bpp = file[28] | (file[29] << 8);
  if (bpp != 24 || GetLe32(file, 30) != 0 || width <= 0 || height <= 0) {
    error = "not an uncompressed bottom-up 24-bit BMP";
    return false;
  }
  const size_t row_bytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset + row_bytes * static_cast<size_t>(height) > file.size()) {
    error = "BMP pixel data is cut short";
    return false;
  }
  Image result(width, height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = &file[offset + static_cast<size_t>(height - 1 - y) * row_bytes];
    for (int x = 0; x < width; ++x)
      result.Set(x, y, row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255);
  }
  out = std::move(result);
  return true;
}

}  // namespace artgen
