#include "images/png_errors.h"

namespace gd {

PngInvalidFileHeader::PngInvalidFileHeader()
    : PngException(
        "The file being readed is not a valid \"Portable Network Graphics\" image because it "
        "contains an invalid header. This file may be corruped, try obtaining it again.") {}

PngUnexpectedEnd::PngUnexpectedEnd()
    : PngException(
        "This \"Portable Network Graphics\" image is invalid because the decoder found an "
        "unexpected end of the file.") {}

PngIHDRNotFirst::PngIHDRNotFirst()
    : PngException(
        "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
        "(IHDR chunk is not the first)") {}

PngUnknownCriticalChunk::PngUnknownCriticalChunk()
    : PngException(
        "This \"Portable Network Graphics\" image contains an unknown critical part which "
        "could not be decoded.") {}

PngInvalidCRC::PngInvalidCRC()
    : PngException(
        "This \"Portable Network Graphics\" image is not valid because it contains invalid "
        "pieces of data (crc error)") {}

PngInvalidIHDR::PngInvalidIHDR()
    : PngException(
        "The \"Portable Network Graphics\" image could not be loaded because one of its main "
        "piece of data (ihdr) might be corrupted") {}

PngSizeExceeds::PngSizeExceeds()
    : PngException(
        "This \"Portable Network Graphics\" image is not supported because either it's width "
        "or height exceeds the maximum size, which is 65535 pixels length.") {}

PngUnknownCompression::PngUnknownCompression()
    : PngException(
        "This \"Portable Network Graphics\" image is encoded with an unknown compression "
        "scheme which could not be decoded.") {}

PngUnknownInterlace::PngUnknownInterlace()
    : PngException(
        "This \"Portable Network Graphics\" image uses an unknown interlace scheme which "
        "could not be decoded.") {}

PngMissingMultipleIDAT::PngMissingMultipleIDAT()
    : PngException(
        "This \"Portable Network Graphics\" image is invalid because it has missing image "
        "parts.") {}

PngNoImageData::PngNoImageData()
    : PngException(
        "This \"Portable Network Graphics\" image contains no data.") {}

PngHeaderNotPresent::PngHeaderNotPresent()
    : PngException(
        "This operation is not valid because the current image contains no valid header.") {}

PngOutMemory::PngOutMemory()
    : PngException(
        "Some operation could not be performed because the system is out of resources. "
        "Close some windows and try again.") {}

PngInvalidPalette::PngInvalidPalette()
    : PngException(
        "The \"Portable Network Graphics\" image contains an invalid palette.") {}

PngTooLarge::PngTooLarge()
    : PngException(
        "This \"Portable Network Graphics\" image is not supported because it has more than "
        "67108864 pixels (8192 by 8192), the most this program decodes.") {}

namespace {

const char* ErrorText(PngError::Kind kind) {
  switch (kind) {
    case PngError::Kind::Resize:
      return "The \"Portable Network Graphics\" image can not be resize by changing width and "
             "height properties. Try assigning the image from a bitmap.";
    case PngError::Kind::IncompatibleChunks:
      return "The chunks must be compatible to be assigned.";
  }
  return "";
}

}  // namespace

PngError::PngError(Kind kind) : PngException(ErrorText(kind)) {}

const char* PngZLIBError::ResultText(int zlib_result) {
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

PngZLIBError::PngZLIBError(int zlib_result)
    : PngException(std::string(
          "Could not decompress the image because it contains invalid compressed data.\r\n"
          " Description: ") + ResultText(zlib_result)),
      result_(zlib_result) {}

}  // namespace gd
