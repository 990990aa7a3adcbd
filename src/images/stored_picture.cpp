#include "images/stored_picture.h"

namespace gd {

StoredPicture ReadStoredPicture(ByteReader& r) {
  StoredPicture result;
  uint8_t name_length = 0;
  if (r.Read(&name_length, 1) == 0) return result;
  const uint8_t* name = r.Take(name_length);
  if (!name) throw EStoredPictureError("The stored picture is cut short inside its class name.");
  result.class_name.assign(reinterpret_cast<const char*>(name), name_length);

  if (result.class_name == "TPngPicture") {
    auto png = std::make_unique<PngImage>();
    png->LoadPng(r);
    result.png = std::move(png);
  } else if (result.class_name == "TBitmap") {
    uint8_t count[4];
    if (r.Read(count, 4) != 4) throw BmpError("The stored bitmap is cut short inside its byte count.");
    const uint32_t size = LoadLE32(count);
    if (size > r.Remaining()) throw BmpError("The stored bitmap is truncated: its BMP file ends early.");
    ByteReader file(r.Current(), size);
    r.Skip(size);
    auto bitmap = std::make_unique<BmpImage>();
    bitmap->LoadBmp(file);
    result.bitmap = std::move(bitmap);
  }
  return result;
}

StoredPicture ReadStoredPicture(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  return ReadStoredPicture(r);
}

}  // namespace gd
