// Decoding of a picture's image data into its header's planes.
#pragma once
#include <cstdint>

#include "images/byte_reader.h"

namespace gd {

class PngChunkIHDR;

// r stands just behind the name of the first IDAT chunk, whose data is
// `length` bytes long. Inflates the image data, reading on through the
// following IDAT chunks as long as rows are still needed (and, once they are
// all done, to the end of the compressed stream), undoes the row filters and
// stores the pixels in the header's planes. Leaves r just behind the CRC of
// the last IDAT chunk it read. Decoding stops early, leaving the remaining
// rows zero, when the compressed stream ends before the last row.
void DecodeImageData(ByteReader& r, uint32_t length, PngChunkIHDR& header);

}  // namespace gd
