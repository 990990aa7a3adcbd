#include "images/png_errors.h"

namespace gd {

EPNGInvalidFileHeader::EPNGInvalidFileHeader()
    : EPngException(
        "The file being readed is not a valid \"Portable Network Graphics\" image because it "
        "contains an invalid header. This file may be corruped, try obtaining it again.") {}

EPngUnexpectedEnd::EPngUnexpectedEnd()
    : EPngException(
        "This \"Portable Network Graphics\" image is invalid because the decoder found an "
        "unexpected end of the file.") {}

EPNGIHDRNotFirst::EPNGIHDRNotFirst()
    : EPngException(
        "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
        "(IHDR chunk is not the first)") {}

EPNGUnknownCriticalChunk::EPNGUnknownCriticalChunk()
    : EPngException(
        "This \"Portable Network Graphics\" image contains an unknown critical part which "
        "could not be decoded.") {}

EPngInvalidCRC::EPngInvalidCRC()
    : EPngException(
        "This \"Portable Network Graphics\" image is not valid because it contains invalid "
        "pieces of data (crc error)") {}

EPngInvalidIHDR::EPngInvalidIHDR()
    : EPngException(
        "The \"Portable Network Graphics\" image could not be loaded because one of its main "
        "piece of data (ihdr) might be corrupted") {}

EPNGSizeExceeds::EPNGSizeExceeds()
    : EPngException(
        "This \"Portable Network Graphics\" image is not supported because either it's width "
        "or height exceeds the maximum size, which is 65535 pixels length.") {}

EPNGUnknownCompression::EPNGUnknownCompression()
    : EPngException(
        "This \"Portable Network Graphics\" image is encoded with an unknown compression "
        "scheme which could not be decoded.") {}

EPNGUnknownInterlace::EPNGUnknownInterlace()
    : EPngException(
        "This \"Portable Network Graphics\" image uses an unknown interlace scheme which "
        "could not be decoded.") {}

EPNGMissingMultipleIDAT::EPNGMissingMultipleIDAT()
    : EPngException(
        "This \"Portable Network Graphics\" image is invalid because it has missing image "
        "parts.") {}

EPNGNoImageData::EPNGNoImageData()
    : EPngException(
        "This \"Portable Network Graphics\" image contains no data.") {}

EPNGHeaderNotPresent::EPNGHeaderNotPresent()
    : EPngException(
        "This operation is not valid because the current image contains no valid header.") {}

EPNGOutMemory::EPNGOutMemory()
    : EPngException(
        "Some operation could not be performed because the system is out of resources. "
        "Close some windows and try again.") {}

EPNGInvalidPalette::EPNGInvalidPalette()
    : EPngException(
        "The \"Portable Network Graphics\" image contains an invalid palette.") {}

EPngTooLarge::EPngTooLarge()
    : EPngException(
        "This \"Portable Network Graphics\" image is not supported because it has more than "
        "67108864 pixels (8192 by 8192), the most this program decodes.") {}

namespace {

const char* ErrorText(EPngError::Kind kind) {
  switch (kind) {
    case EPngError::Kind::Resize:
      return "The \"Portable Network Graphics\" image can not be resize by changing width and "
             "height properties. Try assigning the image from a bitmap.";
    case EPngError::Kind::IncompatibleChunks:
      return "The chunks must be compatible to be assigned.";
  }
  return "";
}

}  // namespace

EPngError::EPngError(Kind kind) : EPngException(ErrorText(kind)) {}

const char* EPNGZLIBError::ResultText(int zlib_result) {
  switch (zlib_result) {
    case -6: return "incompatible version (-6)";
    case -5: return "buffer error (-5)";
    case -4: return "insufficient memory (-4)";
    case -3: return "data error (-3)";
    case -2: return "stream error (-2)";
    case -1: return "file error (-1)";
    default: return "";
  }
}

EPNGZLIBError::EPNGZLIBError(int zlib_result)
    : EPngException(std::string(
          "Could not decompress the image because it contains invalid compressed data.\r\n"
          " Description: ") + ResultText(zlib_result)),
      result_(zlib_result) {}

}  // namespace gd
