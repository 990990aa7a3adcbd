// The PNG decoder's errors. Each malformed input has a class of its own with a
// fixed message; all of them derive from PngException so that a caller can
// catch the decoder's failures in one place.
#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

namespace gd {

class PngException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PngInvalidFileHeader : public PngException {
 public:
  PngInvalidFileHeader();
};

class PngUnexpectedEnd : public PngException {
 public:
  PngUnexpectedEnd();
};

class PngIHDRNotFirst : public PngException {
 public:
  PngIHDRNotFirst();
};

class PngUnknownCriticalChunk : public PngException {
 public:
  PngUnknownCriticalChunk();
};

class PngInvalidCRC : public PngException {
 public:
  PngInvalidCRC();
};

class PngInvalidIHDR : public PngException {
 public:
  PngInvalidIHDR();
};

class PngSizeExceeds : public PngException {
 public:
  PngSizeExceeds();
};

class PngUnknownCompression : public PngException {
 public:
  PngUnknownCompression();
};

class PngUnknownInterlace : public PngException {
 public:
  PngUnknownInterlace();
};

class PngMissingMultipleIDAT : public PngException {
 public:
  PngMissingMultipleIDAT();
};

class PngNoImageData : public PngException {
 public:
  PngNoImageData();
};

class PngHeaderNotPresent : public PngException {
 public:
  PngHeaderNotPresent();
};

class PngOutMemory : public PngException {
 public:
  PngOutMemory();
};

class PngInvalidPalette : public PngException {
 public:
  PngInvalidPalette();
};

// The most pixels a picture may have. The header may state up to 65535 by
// 65535 pixels, which would need gigabytes of planes; a picture above this cap
// (8192 by 8192, or any other shape of as many pixels) is refused before
// anything is allocated for it.
inline constexpr size_t kMaxPngPixels = size_t{8192} * 8192;

class PngTooLarge : public PngException {
 public:
  PngTooLarge();
};

// inflate returned a negative result (or asked for a preset dictionary, which
// PNG image data never has).
class PngZLIBError : public PngException {
 public:
  explicit PngZLIBError(int zlib_result);
  int Result() const { return result_; }
  // "data error (-3)" and so on; "" for a result that is not an error.
  static const char* ResultText(int zlib_result);

 private:
  int result_;
};

// Raised for the two misuses the picture class refuses.
class PngError : public PngException {
 public:
  enum class Kind { Resize, IncompatibleChunks };
  explicit PngError(Kind kind);
};

// The conversion error raised when a picture without a header is turned into
// a bitmap ("Cannot assign a TPngPicture to a TBitmap").
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace gd
