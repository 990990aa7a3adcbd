// The PNG decoder's errors. Each malformed input has a class of its own with a
// fixed message; all of them derive from EPngException so that a caller can
// catch the decoder's failures in one place.
#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

namespace gd {

class EPngException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EPNGInvalidFileHeader : public EPngException {
 public:
  EPNGInvalidFileHeader();
};

class EPngUnexpectedEnd : public EPngException {
 public:
  EPngUnexpectedEnd();
};

class EPNGIHDRNotFirst : public EPngException {
 public:
  EPNGIHDRNotFirst();
};

class EPNGUnknownCriticalChunk : public EPngException {
 public:
  EPNGUnknownCriticalChunk();
};

class EPngInvalidCRC : public EPngException {
 public:
  EPngInvalidCRC();
};

class EPngInvalidIHDR : public EPngException {
 public:
  EPngInvalidIHDR();
};

class EPNGSizeExceeds : public EPngException {
 public:
  EPNGSizeExceeds();
};

class EPNGUnknownCompression : public EPngException {
 public:
  EPNGUnknownCompression();
};

class EPNGUnknownInterlace : public EPngException {
 public:
  EPNGUnknownInterlace();
};

class EPNGMissingMultipleIDAT : public EPngException {
 public:
  EPNGMissingMultipleIDAT();
};

class EPNGNoImageData : public EPngException {
 public:
  EPNGNoImageData();
};

class EPNGHeaderNotPresent : public EPngException {
 public:
  EPNGHeaderNotPresent();
};

class EPNGOutMemory : public EPngException {
 public:
  EPNGOutMemory();
};

class EPNGInvalidPalette : public EPngException {
 public:
  EPNGInvalidPalette();
};

// The most pixels a picture may have. The header may state up to 65535 by
// 65535 pixels, which would need gigabytes of planes; a picture above this cap
// (8192 by 8192, or any other shape of as many pixels) is refused before
// anything is allocated for it.
inline constexpr size_t kMaxPngPixels = size_t{8192} * 8192;

class EPngTooLarge : public EPngException {
 public:
  EPngTooLarge();
};

// inflate returned a negative result (or asked for a preset dictionary, which
// PNG image data never has).
class EPNGZLIBError : public EPngException {
 public:
  explicit EPNGZLIBError(int zlib_result);
  int Result() const { return result_; }
  // "data error (-3)" and so on; "" for a result that is not an error.
  static const char* ResultText(int zlib_result);

 private:
  int result_;
};

// Raised for the two misuses the picture class refuses.
class EPngError : public EPngException {
 public:
  enum class Kind { Resize, IncompatibleChunks };
  explicit EPngError(Kind kind);
};

// The conversion error raised when a picture without a header is turned into
// a bitmap ("Cannot assign a TPngPicture to a TBitmap").
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace gd
