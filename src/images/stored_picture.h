// The stored form of a picture, as the images of the main window keep it: the
// picture's class name as a length-prefixed string (one length byte, then the
// characters), followed by that class's own data:
//   "TPngPicture"  a complete PNG file; reading stops after its IEND chunk.
//   "TBitmap"      a 32-bit little-endian byte count, then a BMP file of that
//                  many bytes.
// Any other class name is not registered: the entry is left without a picture
// and nothing is raised.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "images/bmp.h"
#include "images/byte_reader.h"
#include "images/png.h"

namespace gd {

class EStoredPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoredPicture {
  std::string class_name;
  std::unique_ptr<PngImage> png;  // for "TPngPicture"
  std::unique_ptr<BmpImage> bitmap;   // for "TBitmap"
  bool HasPicture() const { return png || bitmap; }
};

// Reads one stored picture from r's position. A picture whose data fails to
// load is freed and the error passes on: PngException for a PNG, BmpError for
// a BMP, EStoredPictureError when the class name itself is cut short. Empty
// data holds no picture.
StoredPicture ReadStoredPicture(ByteReader& r);
StoredPicture ReadStoredPicture(const uint8_t* data, size_t size);

}  // namespace gd
