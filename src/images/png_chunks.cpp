#include "images/png_chunks.h"

#include <zlib.h>

#include <algorithm>

#include "images/checksums.h"
#include "images/crc32.h"
#include "images/png_errors.h"
#include "images/png_image_data.h"

namespace gd {

// ---- PngChunk ---------------------------------------------------------------

PngChunk::PngChunk(std::string_view name) : name_(name) {}

void PngChunk::LoadData(ByteReader& r, uint32_t length) {
  const uint8_t* data = r.Take(length);
  const uint8_t* crc = data ? r.Take(4) : nullptr;
  if (!crc) throw PngUnexpectedEnd();
  data_.assign(data, data + length);
  if (kVerifyChecksums) {
    uint32_t computed = Crc32(0, reinterpret_cast<const uint8_t*>(name_.data()), name_.size());
    computed = Crc32(computed, data, length);
    if (computed != LoadBE32(crc)) throw PngInvalidCRC();
  }
}

void PngChunk::Load(ByteReader& r, uint32_t length, PngLoadState&) { LoadData(r, length); }

std::unique_ptr<PngChunk> PngChunk::CreateEmpty() const { return std::make_unique<PngChunk>(name_); }

void PngChunk::Assign(const PngChunk& source) {
  name_ = source.name_;
  data_ = source.data_;
}

// ---- PngChunkIHDR -----------------------------------------------------------

namespace {

bool ValidColorTypeAndDepth(uint8_t color_type, uint8_t depth) {
  switch (color_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

}  // namespace

PngChunkIHDR::PngChunkIHDR() : PngChunk("IHDR") {}

void PngChunkIHDR::Load(ByteReader& r, uint32_t length, PngLoadState& state) {
  // Only the first header counts; another one would bring a second set of
  // planes, so a picture with two headers is refused.
  if (state.header) throw PngInvalidIHDR();
  LoadData(r, length);
  if (data_.size() < 13) throw PngInvalidIHDR();
  const uint8_t* d = data_.data();
  width_ = LoadBE32(d);
  height_ = LoadBE32(d + 4);
  bit_depth_ = d[8];
  color_type_ = d[9];
  compression_method_ = d[10];
  filter_method_ = d[11];
  interlace_method_ = d[12];
  if (width_ == 0 || height_ == 0) throw PngInvalidIHDR();
  if (width_ > 65535 || height_ > 65535) throw PngSizeExceeds();
  if (!ValidColorTypeAndDepth(color_type_, bit_depth_)) throw PngInvalidIHDR();
  if (compression_method_ != 0) throw PngUnknownCompression();
  if (interlace_method_ != 0 && interlace_method_ != 1) throw PngUnknownInterlace();
  if (size_t{width_} * height_ > kMaxPngPixels) throw PngTooLarge();
  AllocatePlanes();
  state.header = this;
}

int PngChunkIHDR::ColorBitsPerPixel() const {
  if (color_type_ == 2 || color_type_ == 6) return 24;
  if (bit_depth_ == 1) return 1;
  if (bit_depth_ == 2 || bit_depth_ == 4) return 4;
  return 8;
}

void PngChunkIHDR::AllocatePlanes() {
  color_row_bytes_ = (size_t{width_} * ColorBitsPerPixel() + 31) / 32 * 4;
  color_rows_.assign(color_row_bytes_ * height_, 0);
  alpha_rows_.clear();
  if (HasAlphaPlane()) alpha_rows_.assign(size_t{width_} * height_, 0);
  key_rows_.clear();

  palette_.fill(PaletteEntry{});
  palette_count_ = 0;
  palette_alpha_.fill(255);
  palette_alpha_count_ = 0;
  has_transparent_color_ = false;
  transparent_.fill(0);
  if (color_type_ == 0 || color_type_ == 4) {
    // Grey samples are stored as indices into the grey ramp of their depth.
    const int depth = std::min<int>(bit_depth_, 8);
    const int count = 1 << depth;
    const int step = 255 / (count - 1);
    for (int i = 0; i < count; ++i) {
      const auto v = static_cast<uint8_t>(i * step);
      palette_[i] = PaletteEntry{v, v, v};
    }
    palette_count_ = count;
  }
}

void PngChunkIHDR::AllocateKeyPlane() { key_rows_.assign(size_t{width_} * height_, 0); }

void PngChunkIHDR::SetPalette(const PaletteEntry* entries, int count) {
  count = std::clamp(count, 0, 256);
  palette_.fill(PaletteEntry{});
  std::copy(entries, entries + count, palette_.begin());
  palette_count_ = count;
}

void PngChunkIHDR::SetPaletteAlpha(const uint8_t* alpha, int count) {
  count = std::clamp(count, 0, 256);
  palette_alpha_.fill(255);
  std::copy(alpha, alpha + count, palette_alpha_.begin());
  palette_alpha_count_ = count;
}

void PngChunkIHDR::SetTransparentColor(uint16_t red, uint16_t green, uint16_t blue) {
  const uint16_t mask = bit_depth_ == 16 ? 0xFFFF : static_cast<uint16_t>((1u << bit_depth_) - 1);
  transparent_ = {static_cast<uint16_t>(red & mask), static_cast<uint16_t>(green & mask),
                  static_cast<uint16_t>(blue & mask)};
  has_transparent_color_ = true;
}

std::unique_ptr<PngChunk> PngChunkIHDR::CreateEmpty() const { return std::make_unique<PngChunkIHDR>(); }

void PngChunkIHDR::Assign(const PngChunk& source) {
  const auto* src = dynamic_cast<const PngChunkIHDR*>(&source);
  if (!src) throw PngError(PngError::Kind::IncompatibleChunks);
  PngChunk::Assign(source);
  width_ = src->width_;
  height_ = src->height_;
  bit_depth_ = src->bit_depth_;
  color_type_ = src->color_type_;
  compression_method_ = src->compression_method_;
  filter_method_ = src->filter_method_;
  interlace_method_ = src->interlace_method_;
  color_row_bytes_ = src->color_row_bytes_;
  color_rows_ = src->color_rows_;
  alpha_rows_ = src->alpha_rows_;
  key_rows_ = src->key_rows_;
  palette_ = src->palette_;
  palette_count_ = src->palette_count_;
  palette_alpha_ = src->palette_alpha_;
  palette_alpha_count_ = src->palette_alpha_count_;
  has_transparent_color_ = src->has_transparent_color_;
  transparent_ = src->transparent_;
}

// ---- PngChunkIDAT -----------------------------------------------------------

void PngChunkIDAT::Load(ByteReader& r, uint32_t length, PngLoadState& state) {
  PngChunkIHDR& header = *state.header;  // the header is always the first chunk
  if (header.ColorType() == 3 && !state.palette_read) throw PngInvalidPalette();
  DecodeImageData(r, length, header);
  state.image_data_read = true;
}

std::unique_ptr<PngChunk> PngChunkIDAT::CreateEmpty() const { return std::make_unique<PngChunkIDAT>(); }

// ---- PngChunkIEND -----------------------------------------------------------

std::unique_ptr<PngChunk> PngChunkIEND::CreateEmpty() const { return std::make_unique<PngChunkIEND>(); }

// ---- PngChunkPLTE -----------------------------------------------------------

void PngChunkPLTE::Load(ByteReader& r, uint32_t length, PngLoadState& state) {
  LoadData(r, length);
  PngChunkIHDR& header = *state.header;
  if (header.ColorType() != 3 || state.palette_read || state.image_data_read) return;
  const size_t count = data_.size() / 3;
  if (data_.size() % 3 != 0 || count == 0 || count > 256) throw PngInvalidPalette();
  // Entries beyond what the bit depth can index are never used.
  const int usable = std::min<int>(static_cast<int>(count), 1 << header.BitDepth());
  std::array<PaletteEntry, 256> entries{};
  for (int i = 0; i < usable; ++i) {
    entries[i] = PaletteEntry{data_[3 * i], data_[3 * i + 1], data_[3 * i + 2]};
  }
  header.SetPalette(entries.data(), usable);
  state.palette_read = true;
}

std::unique_ptr<PngChunk> PngChunkPLTE::CreateEmpty() const { return std::make_unique<PngChunkPLTE>(); }

void PngChunkPLTE::Assign(const PngChunk& source) {
  if (!dynamic_cast<const PngChunkPLTE*>(&source)) {
    throw PngError(PngError::Kind::IncompatibleChunks);
  }
  PngChunk::Assign(source);
}

// ---- PngChunkgAMA -----------------------------------------------------------

std::unique_ptr<PngChunk> PngChunkgAMA::CreateEmpty() const { return std::make_unique<PngChunkgAMA>(); }

void PngChunkgAMA::Assign(const PngChunk& source) {
  if (!dynamic_cast<const PngChunkgAMA*>(&source)) {
    throw PngError(PngError::Kind::IncompatibleChunks);
  }
  PngChunk::Assign(source);
}

// ---- PngChunktRNS -----------------------------------------------------------

void PngChunktRNS::Load(ByteReader& r, uint32_t length, PngLoadState& state) {
  LoadData(r, length);
  PngChunkIHDR& header = *state.header;
  if (state.image_data_read || state.transparency_read) return;
  const uint8_t* d = data_.data();
  switch (header.ColorType()) {
    case 0:
      if (data_.size() != 2) return;
      header.SetTransparentColor(LoadBE16(d), LoadBE16(d), LoadBE16(d));
      break;
    case 2:
      if (data_.size() != 6) return;
      header.SetTransparentColor(LoadBE16(d), LoadBE16(d + 2), LoadBE16(d + 4));
      break;
    case 3:
      if (!state.palette_read || data_.empty() ||
          data_.size() > static_cast<size_t>(header.PaletteCount())) {
        return;
      }
      header.SetPaletteAlpha(d, static_cast<int>(data_.size()));
      break;
    default:  // colour types with an alpha channel have no use for it
      return;
  }
  state.transparency_read = true;
}

std::unique_ptr<PngChunk> PngChunktRNS::CreateEmpty() const { return std::make_unique<PngChunktRNS>(); }

// ---- PngChunktIME -----------------------------------------------------------

std::unique_ptr<PngChunk> PngChunktIME::CreateEmpty() const { return std::make_unique<PngChunktIME>(); }

// ---- PngChunktEXt, PngChunkzTXt -----------------------------------------------

std::unique_ptr<PngChunk> PngChunktEXt::CreateEmpty() const { return std::make_unique<PngChunktEXt>(); }

size_t PngChunktEXt::TextStart() const {
  auto zero = std::find(data_.begin(), data_.end(), uint8_t{0});
  return zero == data_.end() ? data_.size() : static_cast<size_t>(zero - data_.begin()) + 1;
}

std::string PngChunktEXt::Keyword() const {
  auto zero = std::find(data_.begin(), data_.end(), uint8_t{0});
  return std::string(data_.begin(), zero);
}

std::string PngChunktEXt::Text() const {
  return std::string(data_.begin() + static_cast<std::ptrdiff_t>(TextStart()), data_.end());
}

std::unique_ptr<PngChunk> PngChunkzTXt::CreateEmpty() const { return std::make_unique<PngChunkzTXt>(); }

std::string PngChunkzTXt::Text() const {
  const size_t start = TextStart();
  if (start + 1 > data_.size() || data_[start] != 0) return {};  // method 0 is deflate
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  std::string text;
  z.next_in = const_cast<Bytef*>(data_.data() + start + 1);
  z.avail_in = static_cast<uInt>(data_.size() - start - 1);
  char piece[4096];
  int ret = Z_OK;
  while (ret == Z_OK && text.size() < kMaxTextBytes) {
    z.next_out = reinterpret_cast<Bytef*>(piece);
    z.avail_out = sizeof piece;
    ret = inflate(&z, Z_NO_FLUSH);
    text.append(piece, sizeof piece - z.avail_out);
  }
  inflateEnd(&z);
  if (text.size() > kMaxTextBytes) text.resize(kMaxTextBytes);
  return text;
}

// ---- registry -------------------------------------------------------------

bool IsRegisteredChunkName(std::string_view name) {
  for (std::string_view known : {"IHDR", "IDAT", "IEND", "PLTE", "gAMA", "tRNS", "tIME", "tEXt", "zTXt"}) {
    if (name == known) return true;
  }
  return false;
}

std::unique_ptr<PngChunk> CreateChunk(std::string_view name) {
  if (name == "IHDR") return std::make_unique<PngChunkIHDR>();
  if (name == "IDAT") return std::make_unique<PngChunkIDAT>();
  if (name == "IEND") return std::make_unique<PngChunkIEND>();
  if (name == "PLTE") return std::make_unique<PngChunkPLTE>();
  if (name == "gAMA") return std::make_unique<PngChunkgAMA>();
  if (name == "tRNS") return std::make_unique<PngChunktRNS>();
  if (name == "tIME") return std::make_unique<PngChunktIME>();
  if (name == "tEXt") return std::make_unique<PngChunktEXt>();
  if (name == "zTXt") return std::make_unique<PngChunkzTXt>();
  return std::make_unique<PngChunk>(name);
}

}  // namespace gd
