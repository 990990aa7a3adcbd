// The chunks of a PNG picture. A picture is an ordered list of chunk objects
// in file order; the header chunk (PngChunkIHDR) comes first and also holds the
// decoded pixels, so that a picture's pixels live and die with its header.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "images/byte_reader.h"

namespace gd {

class PngChunkIHDR;

// What the chunks of one picture need to know while the picture is read.
struct PngLoadState {
  PngChunkIHDR* header = nullptr;  // set once the header chunk has loaded
  bool image_data_read = false;  // the image data (the first run of IDAT chunks) is done
  bool palette_read = false;     // a PLTE chunk has loaded
  bool transparency_read = false;  // a tRNS chunk has been taken into the header
};

// A chunk kept as it was read: a 4-character name and its raw data.
class PngChunk {
 public:
  explicit PngChunk(std::string_view name = {});
  virtual ~PngChunk() = default;
  PngChunk(const PngChunk&) = delete;
  PngChunk& operator=(const PngChunk&) = delete;

  const std::string& Name() const { return name_; }
  const std::vector<uint8_t>& Data() const { return data_; }
  size_t DataSize() const { return data_.size(); }

  // Reads this chunk from r, which stands just behind the chunk's name: its
  // `length` data bytes and then its CRC, checked against the name and data.
  virtual void Load(ByteReader& r, uint32_t length, PngLoadState& state);

  // An empty chunk of the same class, for copying a picture.
  virtual std::unique_ptr<PngChunk> CreateEmpty() const;
  // Copies another chunk into this one. A plain chunk copies the name and the
  // raw data; the kinds that hold more refuse a source of another kind.
  virtual void Assign(const PngChunk& source);

 protected:
  // Reads `length` data bytes and the CRC that follows; checks the CRC.
  void LoadData(ByteReader& r, uint32_t length);

  std::string name_;
  std::vector<uint8_t> data_;
};

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// The header: the picture's size and format, and its decoded pixels.
//
// Colour plane: for colour types 2 and 6, 3 bytes a pixel in the order blue,
// green, red. For the other colour types, indices into Palette() of 1, 4 or 8
// bits (2-bit samples are stored as 4-bit, 16-bit grey as its high byte); the
// palette of a grey picture is the grey ramp of its depth. Rows are padded with
// zero bytes to a multiple of 4 bytes and stored bottom row first, as a
// bottom-up device-independent bitmap. 16-bit samples keep their high byte.
//
// Alpha plane: colour types 4 and 6 only; one byte a pixel, rows top first,
// Width bytes a row.
//
// Key plane: colour types 0 and 2 with a transparent colour (tRNS) read before
// the image data; one byte a pixel, rows top first, 0 where the pixel's
// original sample values (all 16 bits of a 16-bit sample) equal the
// transparent colour and 255 elsewhere. It keeps what the 8-bit colour plane
// alone cannot tell.
//
// All planes are zero-filled when allocated, so rows the image data never
// reaches stay 0.
class PngChunkIHDR : public PngChunk {
 public:
  PngChunkIHDR();

  void Load(ByteReader& r, uint32_t length, PngLoadState& state) override;
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  void Assign(const PngChunk& source) override;

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint8_t BitDepth() const { return bit_depth_; }
  uint8_t ColorType() const { return color_type_; }
  uint8_t CompressionMethod() const { return compression_method_; }
  uint8_t FilterMethod() const { return filter_method_; }
  uint8_t InterlaceMethod() const { return interlace_method_; }

  // Bits per pixel of the colour plane: 1, 4, 8 or 24.
  int ColorBitsPerPixel() const;
  // Bytes of one colour row, padding included.
  size_t ColorRowBytes() const { return color_row_bytes_; }
  // Colour row y counted from the top.
  uint8_t* ColorRow(uint32_t y) { return color_rows_.data() + (height_ - 1 - y) * color_row_bytes_; }
  const uint8_t* ColorRow(uint32_t y) const {
    return color_rows_.data() + (height_ - 1 - y) * color_row_bytes_;
  }
  // The whole colour plane, bottom row first.
  const std::vector<uint8_t>& ColorRows() const { return color_rows_; }

  bool HasAlphaPlane() const { return color_type_ == 4 || color_type_ == 6; }
  // Alpha row y counted from the top, or nullptr without an alpha plane.
  uint8_t* AlphaRow(uint32_t y) {
    return HasAlphaPlane() ? alpha_rows_.data() + size_t{y} * width_ : nullptr;
  }
  const uint8_t* AlphaRow(uint32_t y) const {
    return HasAlphaPlane() ? alpha_rows_.data() + size_t{y} * width_ : nullptr;
  }

  // Key row y counted from the top, or nullptr without a key plane.
  uint8_t* KeyRow(uint32_t y) { return key_rows_.empty() ? nullptr : key_rows_.data() + size_t{y} * width_; }
  const uint8_t* KeyRow(uint32_t y) const {
    return key_rows_.empty() ? nullptr : key_rows_.data() + size_t{y} * width_;
  }
  // Allocates the key plane (zero-filled); the image data fills it.
  void AllocateKeyPlane();

  // The palette: PLTE's entries for colour type 3, the grey ramp for colour
  // types 0 and 4, nothing for 2 and 6. Entries from PaletteCount() on are
  // black, so an index outside the palette reads black, never past the table.
  const std::array<PaletteEntry, 256>& Palette() const { return palette_; }
  int PaletteCount() const { return palette_count_; }
  void SetPalette(const PaletteEntry* entries, int count);

  // Transparency read from a tRNS chunk before the image data.
  // Palette pictures: alpha of the first PaletteAlphaCount() entries; every
  // other entry is opaque (255).
  const std::array<uint8_t, 256>& PaletteAlpha() const { return palette_alpha_; }
  int PaletteAlphaCount() const { return palette_alpha_count_; }
  void SetPaletteAlpha(const uint8_t* alpha, int count);
  // Grey and colour pictures: the transparent colour's sample values (grey in
  // all three for colour type 0), each masked to the bit depth.
  bool HasTransparentColor() const { return has_transparent_color_; }
  uint16_t TransparentRed() const { return transparent_[0]; }
  uint16_t TransparentGreen() const { return transparent_[1]; }
  uint16_t TransparentBlue() const { return transparent_[2]; }
  void SetTransparentColor(uint16_t red, uint16_t green, uint16_t blue);

 private:
  void AllocatePlanes();

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint8_t bit_depth_ = 0;
  uint8_t color_type_ = 0;
  uint8_t compression_method_ = 0;
  uint8_t filter_method_ = 0;
  uint8_t interlace_method_ = 0;

  size_t color_row_bytes_ = 0;
  std::vector<uint8_t> color_rows_;
  std::vector<uint8_t> alpha_rows_;
  std::vector<uint8_t> key_rows_;

  std::array<PaletteEntry, 256> palette_{};
  int palette_count_ = 0;
  std::array<uint8_t, 256> palette_alpha_{};
  int palette_alpha_count_ = 0;
  bool has_transparent_color_ = false;
  std::array<uint16_t, 3> transparent_{};
};

// The image data. Loading it decodes the pixels into the header's planes,
// reading on through the following IDAT chunks as far as the data goes; the
// chunk itself keeps no data.
class PngChunkIDAT : public PngChunk {
 public:
  PngChunkIDAT() : PngChunk("IDAT") {}
  void Load(ByteReader& r, uint32_t length, PngLoadState& state) override;
  std::unique_ptr<PngChunk> CreateEmpty() const override;
};

class PngChunkIEND : public PngChunk {
 public:
  PngChunkIEND() : PngChunk("IEND") {}
  std::unique_ptr<PngChunk> CreateEmpty() const override;
};

// The palette. Loading the first one before the image data gives a palette
// picture its palette; other colour types keep it only as a chunk. A palette
// picture's PLTE must hold 1 to 256 whole entries (PngInvalidPalette).
class PngChunkPLTE : public PngChunk {
 public:
  PngChunkPLTE() : PngChunk("PLTE") {}
  void Load(ByteReader& r, uint32_t length, PngLoadState& state) override;
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  void Assign(const PngChunk& source) override;
  int Count() const { return static_cast<int>(data_.size() / 3); }
};

// Gamma, in hundred-thousandths. Read and kept; the decoder stores samples
// as they are, whatever the gamma.
class PngChunkgAMA : public PngChunk {
 public:
  PngChunkgAMA() : PngChunk("gAMA") {}
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  void Assign(const PngChunk& source) override;
  uint32_t Gamma() const { return data_.size() >= 4 ? LoadBE32(data_.data()) : 0; }
};

// Transparency. Loading it (before the image data, in the form the colour type
// asks for) gives the header its palette alpha or its transparent colour; a
// tRNS out of place or of the wrong size is kept but changes nothing.
class PngChunktRNS : public PngChunk {
 public:
  PngChunktRNS() : PngChunk("tRNS") {}
  void Load(ByteReader& r, uint32_t length, PngLoadState& state) override;
  std::unique_ptr<PngChunk> CreateEmpty() const override;
};

// Time of last modification.
class PngChunktIME : public PngChunk {
 public:
  PngChunktIME() : PngChunk("tIME") {}
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  bool Valid() const { return data_.size() == 7; }
  int Year() const { return Valid() ? LoadBE16(data_.data()) : 0; }
  int Month() const { return Valid() ? data_[2] : 0; }
  int Day() const { return Valid() ? data_[3] : 0; }
  int Hour() const { return Valid() ? data_[4] : 0; }
  int Minute() const { return Valid() ? data_[5] : 0; }
  int Second() const { return Valid() ? data_[6] : 0; }
};

// Text: a keyword, a zero byte, the text.
class PngChunktEXt : public PngChunk {
 public:
  PngChunktEXt() : PngChunk("tEXt") {}
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  std::string Keyword() const;
  virtual std::string Text() const;

 protected:
  explicit PngChunktEXt(std::string_view name) : PngChunk(name) {}
  // Offset of the byte after the keyword's terminating zero (data size if none).
  size_t TextStart() const;
};

// Compressed text: a keyword, a zero byte, the compression method, then the
// deflated text. Text() inflates at most kMaxTextBytes of it.
class PngChunkzTXt : public PngChunktEXt {
 public:
  static constexpr size_t kMaxTextBytes = size_t{1} << 20;
  PngChunkzTXt() : PngChunktEXt("zTXt") {}
  std::unique_ptr<PngChunk> CreateEmpty() const override;
  std::string Text() const override;
};

// Whether a chunk name has a class of its own.
bool IsRegisteredChunkName(std::string_view name);
// The chunk object for a chunk name: the registered class, or a plain PngChunk.
std::unique_ptr<PngChunk> CreateChunk(std::string_view name);

// Whether a name is that of a critical chunk (ancillary bit of its first
// letter clear, that is, an upper-case first letter).
inline bool IsCriticalChunkName(std::string_view name) {
  return !name.empty() && (static_cast<uint8_t>(name[0]) & 0x20) == 0;
}

}  // namespace gd
