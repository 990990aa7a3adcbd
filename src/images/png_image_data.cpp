#include "images/png_image_data.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "images/checksums.h"
#include "images/crc32.h"
#include "images/png_chunks.h"
#include "images/png_errors.h"
#include "images/png_filters.h"

namespace gd {
namespace {

constexpr uint8_t kIdatName[4] = {'I', 'D', 'A', 'T'};

// Inflate writes into a block of this many bytes (or one row, if a row is
// longer), so that zlib's fast loop does the work, not one call per row.
constexpr size_t kInflateBlockBytes = size_t{1} << 16;
// Compressed data is handed to inflate in pieces of at most this many bytes.
constexpr size_t kReadPieceBytes = 65535;
// Once every row is decoded, inflate goes on to the end of the stream so that
// its checksum is verified; output beyond the rows is discarded, and after
// this much of it the rest is not inflated at all.
constexpr size_t kMaxTrailingOutputBytes = size_t{1} << 20;

// The compressed image data: the data of consecutive IDAT chunks, handed out
// in pieces. Keeps the running CRC of the current chunk and checks it when the
// chunk's data is used up.
class ImageDataSource {
 public:
  ImageDataSource(ByteReader& r, uint32_t length) : r_(r) { Open(length); }

  // Gives the next piece of compressed data. When the current chunk is used
  // up, checks its CRC and goes on with the next chunk if that is an IDAT
  // chunk. Otherwise it returns false, leaving the reader at the start of that
  // next chunk, or, when `needed` is true (rows are still missing), raises
  // PngMissingMultipleIDAT (PngUnexpectedEnd when the stream ends instead).
  bool NextPiece(const uint8_t** piece, size_t* size, bool needed) {
    while (left_ == 0) {
      FinishChunk();
      if (r_.Remaining() < 8) {
        if (needed) throw PngUnexpectedEnd();
        return false;
      }
      const uint8_t* head = r_.Current();
      if (std::memcmp(head + 4, kIdatName, 4) != 0) {
        if (needed) throw PngMissingMultipleIDAT();
        return false;
      }
      const uint32_t length = LoadBE32(head);
      r_.Skip(8);
      Open(length);
    }
    const size_t n = std::min<size_t>(left_, kReadPieceBytes);
    const uint8_t* p = r_.Take(n);
    if (!p) throw PngUnexpectedEnd();
    crc_ = Crc32(crc_, p, n);
    left_ -= static_cast<uint32_t>(n);
    *piece = p;
    *size = n;
    return true;
  }

  // Moves past what is left of the current chunk's data and checks its CRC.
  void FinishChunk() {
    if (!open_) return;
    const uint8_t* rest = r_.Take(left_);
    const uint8_t* crc = rest ? r_.Take(4) : nullptr;
    if (!crc) throw PngUnexpectedEnd();
    crc_ = Crc32(crc_, rest, left_);
    left_ = 0;
    open_ = false;
    if (kVerifyChecksums && crc_ != LoadBE32(crc)) throw PngInvalidCRC();
  }

 private:
  void Open(uint32_t length) {
    // The whole chunk, data and CRC, must be there before any of it is used.
    if (length > r_.Remaining() || r_.Remaining() - length < 4) throw PngUnexpectedEnd();
    left_ = length;
    crc_ = Crc32(0, kIdatName, 4);
    open_ = true;
  }

  ByteReader& r_;
  uint32_t left_ = 0;
  uint32_t crc_ = 0;
  bool open_ = false;
};

// zlib's inflate over the image data, giving out the inflated bytes a row at
// a time from a large output block.
class Inflater {
 public:
  Inflater(ImageDataSource& source, size_t longest_request)
      : source_(source), block_(std::max(kInflateBlockBytes, longest_request)) {
    const int ret = inflateInit(&z_);
    if (ret != Z_OK) throw PngZLIBError(ret);
    if (!kVerifyChecksums) inflateValidate(&z_, 0);
  }
  ~Inflater() { inflateEnd(&z_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // The next n inflated bytes, or nullptr when the stream ends first.
  const uint8_t* Next(size_t n) {
    if (filled_ - used_ < n) {
      if (ended_) return nullptr;
      std::memmove(block_.data(), block_.data() + used_, filled_ - used_);
      filled_ -= used_;
      used_ = 0;
      while (filled_ < n && !ended_) {
        filled_ += Inflate(block_.data() + filled_, block_.size() - filled_, true);
      }
      if (filled_ < n) return nullptr;
    }
    const uint8_t* p = block_.data() + used_;
    used_ += n;
    return p;
  }

  // Inflates on to the end of the stream, discarding the output, so that a
  // damaged stream end or checksum is noticed.
  void Drain() {
    size_t discarded = 0;
    while (!ended_ && discarded < kMaxTrailingOutputBytes) {
      if (z_.avail_in == 0 && !FetchInput(false)) return;
      discarded += Inflate(block_.data(), block_.size(), false);
    }
  }

 private:
  bool FetchInput(bool needed) {
    const uint8_t* piece = nullptr;
    size_t size = 0;
    if (!source_.NextPiece(&piece, &size, needed)) return false;
    z_.next_in = const_cast<Bytef*>(piece);
    z_.avail_in = static_cast<uInt>(size);
    return true;
  }

  // One call of inflate into out; returns the bytes it produced.
  size_t Inflate(uint8_t* out, size_t room, bool input_needed) {
    if (z_.avail_in == 0 && !FetchInput(input_needed)) return 0;
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(room);
    const int ret = inflate(&z_, Z_NO_FLUSH);
    const size_t produced = room - z_.avail_out;
    if (ret == Z_STREAM_END) {
      ended_ = true;
    } else if (ret == Z_NEED_DICT) {
      throw PngZLIBError(Z_DATA_ERROR);  // image data never uses a preset dictionary
    } else if (ret == Z_BUF_ERROR && z_.avail_in == 0) {
      // Needs more input; the next call fetches it.
    } else if (ret < 0) {
      throw PngZLIBError(ret);
    }
    return produced;
  }

  ImageDataSource& source_;
  z_stream z_{};
  std::vector<uint8_t> block_;
  size_t used_ = 0;    // bytes of block_ already handed out
  size_t filled_ = 0;  // bytes of block_ inflated so far
  bool ended_ = false;
};

// Stores unfiltered rows (or pass rows) into the header's planes.
class RowStore {
 public:
  explicit RowStore(PngChunkIHDR& header)
      : h_(header),
        type_(header.ColorType()),
        depth_(header.BitDepth()),
        keyed_(header.HasTransparentColor() && (type_ == 0 || type_ == 2)) {
    if (keyed_) header.AllocateKeyPlane();
  }

  // Stores `count` pixels of row y, the i-th at column x0 + i * dx.
  void Store(const uint8_t* s, uint32_t y, uint32_t x0, uint32_t dx, uint32_t count) {
    uint8_t* color = h_.ColorRow(y);
    uint8_t* alpha = h_.AlphaRow(y);
    uint8_t* key = keyed_ ? h_.KeyRow(y) : nullptr;
    const bool wide = depth_ == 16;
    switch (type_) {
      case 6:
        if (!wide && dx == 1) {
          StoreRgba8(s, color + 3 * size_t{x0}, alpha + x0, count);
        } else {
          const size_t ch = wide ? 2 : 1;  // bytes a sample; the high byte comes first
          for (uint32_t i = 0, x = x0; i < count; ++i, x += dx, s += 4 * ch) {
            uint8_t* c = color + 3 * size_t{x};
            c[0] = s[2 * ch];
            c[1] = s[ch];
            c[2] = s[0];
            alpha[x] = s[3 * ch];
          }
        }
        break;
      case 2: {
        const size_t step = wide ? 6 : 3, ch = step / 3;
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx, s += step) {
          uint8_t* c = color + 3 * size_t{x};
          c[0] = s[2 * ch];
          c[1] = s[ch];
          c[2] = s[0];
          if (key) {
            const bool hit = wide ? (LoadBE16(s) == h_.TransparentRed() &&
                                     LoadBE16(s + 2) == h_.TransparentGreen() &&
                                     LoadBE16(s + 4) == h_.TransparentBlue())
                                  : (s[0] == h_.TransparentRed() && s[1] == h_.TransparentGreen() &&
                                     s[2] == h_.TransparentBlue());
            key[x] = hit ? 0 : 255;
          }
        }
        break;
      }
      case 4: {
        const size_t step = wide ? 4 : 2;
        for (uint32_t i = 0, x = x0; i < count; ++i, x += dx, s += step) {
          color[x] = s[0];
          alpha[x] = s[step / 2];
        }
        break;
      }
      default:  // 0 and 3: one sample a pixel, stored as a palette index
        if (depth_ >= 8) {
          const size_t step = wide ? 2 : 1;
          for (uint32_t i = 0, x = x0; i < count; ++i, x += dx, s += step) {
            color[x] = s[0];
            if (key) key[x] = (wide ? LoadBE16(s) : s[0]) == h_.TransparentRed() ? 0 : 255;
          }
        } else {
          StorePacked(s, color, key, x0, dx, count);
        }
        break;
    }
  }

 private:
  static void StoreRgba8(const uint8_t* s, uint8_t* color, uint8_t* alpha, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i, s += 4, color += 3) {
      color[0] = s[2];
      color[1] = s[1];
      color[2] = s[0];
      alpha[i] = s[3];
    }
  }

  // Samples of 1, 2 or 4 bits, into a plane of 1 bit (depth 1) or 4 bits
  // (depths 2 and 4) a pixel. The plane starts zeroed and every pixel is
  // written once, so the bits are or-ed in.
  void StorePacked(const uint8_t* s, uint8_t* color, uint8_t* key, uint32_t x0, uint32_t dx,
                   uint32_t count) {
    const unsigned mask = (1u << depth_) - 1;
    const unsigned per_byte = 8 / depth_;
    for (uint32_t i = 0, x = x0; i < count; ++i, x += dx) {
      const unsigned shift = 8 - depth_ * (i % per_byte + 1);
      const unsigned v = (s[i / per_byte] >> shift) & mask;
      if (depth_ == 1) {
        color[x >> 3] |= static_cast<uint8_t>(v << (7 - (x & 7)));
      } else {
        color[x >> 1] |= static_cast<uint8_t>((x & 1) ? v : v << 4);
      }
      if (key) key[x] = v == h_.TransparentRed() ? 0 : 255;
    }
  }

  PngChunkIHDR& h_;
  const uint8_t type_;
  const uint8_t depth_;
  const bool keyed_;
};

struct Pass {
  uint32_t x0, y0, dx, dy;
};

constexpr Pass kWholeImage[1] = {{0, 0, 1, 1}};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

int SamplesPerPixel(uint8_t color_type) {
  switch (color_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

}  // namespace

void DecodeImageData(ByteReader& r, uint32_t length, PngChunkIHDR& header) {
  const uint32_t width = header.Width();
  const uint32_t height = header.Height();
  const size_t bits_per_pixel = size_t{header.BitDepth()} * SamplesPerPixel(header.ColorType());
  const size_t filter_distance = std::max<size_t>(1, bits_per_pixel / 8);
  const size_t longest_row = (size_t{width} * bits_per_pixel + 7) / 8;

  ImageDataSource source(r, length);
  Inflater inflater(source, longest_row + 1);
  RowStore store(header);
  std::vector<uint8_t> rows(2 * longest_row);
  uint8_t* previous = rows.data();
  uint8_t* current = rows.data() + longest_row;

  const bool interlaced = header.InterlaceMethod() == 1;
  const Pass* passes = interlaced ? kAdam7 : kWholeImage;
  const int pass_count = interlaced ? 7 : 1;
  bool data_left = true;
  for (int p = 0; p < pass_count && data_left; ++p) {
    const Pass& pass = passes[p];
    if (width <= pass.x0 || height <= pass.y0) continue;
    const uint32_t pass_width = (width - pass.x0 + pass.dx - 1) / pass.dx;
    const uint32_t pass_height = (height - pass.y0 + pass.dy - 1) / pass.dy;
    const size_t row_bytes = (size_t{pass_width} * bits_per_pixel + 7) / 8;
    std::memset(previous, 0, row_bytes);
    for (uint32_t j = 0; j < pass_height; ++j) {
      const uint8_t* filtered = inflater.Next(row_bytes + 1);
      if (!filtered) {
        data_left = false;  // the data ends here; the remaining rows stay zero
        break;
      }
      UnfilterRow(filtered[0], filtered + 1, previous, current, row_bytes, filter_distance);
      store.Store(current, pass.y0 + j * pass.dy, pass.x0, pass.dx, pass_width);
      std::swap(previous, current);
    }
  }
  if (data_left) inflater.Drain();
  source.FinishChunk();
}

}  // namespace gd
