// The CRC-32 that guards every PNG chunk: polynomial EDB88320 (reflected),
// initial value and final xor FFFFFFFF. The tables are built once, on first use.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gd {

// Continues a CRC over more bytes. Start with crc = 0; the value returned is
// the finished CRC of everything fed so far, so pieces can be chained:
// Crc32(Crc32(0, a, n), b, m) == CRC of a followed by b.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace gd
