#include "images/crc32.h"

#include <array>

namespace gd {
namespace {

// Eight tables let the loop fold eight bytes per step; table 0 alone is the
// classic byte-at-a-time table of the PNG standard.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables BuildTables() {
  CrcTables t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n) {
    for (size_t k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
  }
  return t;
}

const CrcTables& Tables() {
  static const CrcTables tables = BuildTables();  // built once, thread-safe
  return tables;
}

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
  const CrcTables& t = Tables();
  uint32_t c = ~crc;
  while (size >= 8) {
    uint32_t lo = c ^ (uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                       uint32_t{data[3]} << 24);
    c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
        t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

}  // namespace gd
