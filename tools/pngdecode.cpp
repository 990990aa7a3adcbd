// pngdecode: shows a picture as Glimmerdome sees it. Decodes a PNG file with
// Glimmerdome's own codec and writes it as 8-bit RGBA in a PAM file (P7,
// TUPLTYPE RGB_ALPHA): palette, grey and tRNS transparency expanded, 16-bit
// samples reduced to their high byte, no gamma applied.
//
//   pngdecode IN.png OUT.pam
//
// Exit status: 0 when decoded and written; 2 when the decoder rejects the
// file (its message goes to standard error); 1 for a usage error or a file
// that cannot be read or written.
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "images/byte_reader.h"
#include "images/png.h"
#include "images/png_rgba.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitDecodeError = 2;

bool ReadFile(const char* path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WritePam(const char* path, const gd::RgbaImage& image) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << "P7\nWIDTH " << image.width << "\nHEIGHT " << image.height
      << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  out.write(reinterpret_cast<const char*>(image.pixels.data()),
            static_cast<std::streamsize>(image.pixels.size()));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pngdecode IN.png OUT.pam\n"
                 "Decodes IN.png with Glimmerdome's PNG codec and writes it as 8-bit RGBA (PAM).\n";
    return kExitFailure;
  }
  std::vector<uint8_t> bytes;
  if (!ReadFile(argv[1], bytes)) {
    std::cerr << "pngdecode: cannot read " << argv[1] << "\n";
    return kExitFailure;
  }
  gd::RgbaImage image;
  try {
    gd::ByteReader reader(bytes.data(), bytes.size());
    gd::PngImage picture;
    picture.LoadPng(reader);
    image = gd::ExpandToRgba(picture);
  } catch (const gd::PngException& e) {
    std::cerr << e.what() << "\n";
    return kExitDecodeError;
  } catch (const std::exception& e) {  // out of memory, for one
    std::cerr << "pngdecode: " << e.what() << "\n";
    return kExitFailure;
  }
  if (!WritePam(argv[2], image)) {
    std::cerr << "pngdecode: cannot write " << argv[2] << "\n";
    return kExitFailure;
  }
  return 0;
}
