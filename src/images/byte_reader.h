// A read cursor over bytes held in memory. The stored pictures are byte arrays
// embedded in the program, so every decoder reads through one of these: it
// never reads past the end, and it tells the caller how much is left so that a
// stated length can be checked before anything is allocated for it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace gd {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  size_t Size() const { return size_; }
  size_t Position() const { return pos_; }
  size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ == size_; }

  // Moves the read position; a position past the end is taken as the end.
  void Seek(size_t pos) { pos_ = pos < size_ ? pos : size_; }

  // The bytes at the read position (Remaining() of them).
  const uint8_t* Current() const { return data_ + pos_; }

  // Copies up to n bytes and returns how many were copied.
  size_t Read(void* dst, size_t n) {
    if (n > Remaining()) n = Remaining();
    if (n > 0) std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
    return n;
  }

  // Returns the next n bytes and moves past them, or nullptr (and stays put)
  // when fewer than n remain.
  const uint8_t* Take(size_t n) {
    if (n > Remaining()) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }

  // Moves past n bytes; false (and stays put) when fewer than n remain.
  bool Skip(size_t n) { return Take(n) != nullptr; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
};

// Big- and little-endian integers from a byte pointer.
inline uint32_t LoadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t LoadLE32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}
inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>((p[1] << 8) | p[0]); }

}  // namespace gd
