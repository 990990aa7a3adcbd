#include "images/png.h"

#include <cstring>

namespace gd {

// ---- PngChunkList --------------------------------------------------------

PngChunk& PngChunkList::Add(std::unique_ptr<PngChunk> chunk) {
  items_.push_back(std::move(chunk));
  return *items_.back();
}

const PngChunk* PngChunkList::Find(std::string_view name) const {
  for (const auto& c : items_) {
    if (c->Name() == name) return c.get();
  }
  return nullptr;
}

// ---- loading --------------------------------------------------------------

void PngImage::LoadPng(ByteReader& r) {
  chunks_.Clear();
  uint8_t signature[8];
  if (r.Read(signature, 8) != 8 || std::memcmp(signature, kPngSignature, 8) != 0) {
    throw PngInvalidFileHeader();
  }

  PngLoadState state;
  bool first = true;
  bool end_read = false;
  while (!end_read) {
    uint8_t head[8];
    if (r.Read(head, 8) != 8) throw PngUnexpectedEnd();
    const uint32_t length = LoadBE32(head);
    const std::string_view name(reinterpret_cast<const char*>(head + 4), 4);
    if (first && name != "IHDR") throw PngIHDRNotFirst();
    first = false;
    // The chunk's data and CRC must all be there before any of it is read.
    if (length > r.Remaining() || r.Remaining() - length < 4) throw PngUnexpectedEnd();

    // cHRM is never used, and image data after the first run of IDAT chunks
    // has nowhere to go: both are passed over unread and unchecked.
    if (name == "cHRM" || (name == "IDAT" && state.image_data_read)) {
      r.Skip(size_t{length} + 4);
      continue;
    }

    if (!IsRegisteredChunkName(name) && IsCriticalChunkName(name)) {
      throw PngUnknownCriticalChunk();
    }
    PngChunk& added = chunks_.Add(CreateChunk(name));
    try {
      added.Load(r, length, state);
    } catch (...) {
      chunks_.RemoveLast();
      throw;
    }
    end_read = name == "IEND";
  }
  if (!state.image_data_read) throw PngNoImageData();
}

// ---- copying --------------------------------------------------------------

PngImage& PngImage::operator=(const PngImage& source) {
  if (this != &source) CopyPng(source);
  return *this;
}

void PngImage::CopyPng(const PngImage& source) {
  if (this == &source) return;
  PngChunkList copy;
  for (size_t i = 0; i < source.chunks_.Count(); ++i) {
    const PngChunk& from = source.chunks_.Item(i);
    copy.Add(from.CreateEmpty()).Assign(from);
  }
  chunks_ = std::move(copy);
}

// ---- access ---------------------------------------------------------------

bool PngImage::HasHeader() const {
  return !chunks_.Empty() && dynamic_cast<const PngChunkIHDR*>(&chunks_.Item(0)) != nullptr;
}

PngChunkIHDR& PngImage::Header() {
  if (!HasHeader()) throw PngHeaderNotPresent();
  return static_cast<PngChunkIHDR&>(chunks_.Item(0));
}

const PngChunkIHDR& PngImage::Header() const {
  if (!HasHeader()) throw PngHeaderNotPresent();
  return static_cast<const PngChunkIHDR&>(chunks_.Item(0));
}

int PngImage::Width() const { return HasHeader() ? static_cast<int>(Header().Width()) : 0; }
int PngImage::Height() const { return HasHeader() ? static_cast<int>(Header().Height()) : 0; }

void PngImage::SetWidth(int) { throw PngError(PngError::Kind::Resize); }
void PngImage::SetHeight(int) { throw PngError(PngError::Kind::Resize); }

uint8_t* PngImage::ColorRow(int y) {
  if (y < 0 || y >= Height()) return nullptr;
  return Header().ColorRow(static_cast<uint32_t>(y));
}

const uint8_t* PngImage::ColorRow(int y) const {
  if (y < 0 || y >= Height()) return nullptr;
  return Header().ColorRow(static_cast<uint32_t>(y));
}

uint8_t* PngImage::AlphaRow(int y) {
  if (y < 0 || y >= Height()) return nullptr;
  return Header().AlphaRow(static_cast<uint32_t>(y));
}

const uint8_t* PngImage::AlphaRow(int y) const {
  if (y < 0 || y >= Height()) return nullptr;
  return Header().AlphaRow(static_cast<uint32_t>(y));
}

AlphaKind PngImage::GetAlphaKind() const {
  if (!HasHeader()) return AlphaKind::None;
  const PngChunkIHDR& h = Header();
  switch (h.ColorType()) {
    case 4:
    case 6:
      return AlphaKind::Partial;
    case 3: {
      if (h.PaletteAlphaCount() == 0) return AlphaKind::None;
      for (int i = 0; i < h.PaletteAlphaCount(); ++i) {
        const uint8_t a = h.PaletteAlpha()[i];
        if (a != 0 && a != 255) return AlphaKind::Partial;
      }
      return AlphaKind::SingleColor;
    }
    default:
      return h.HasTransparentColor() ? AlphaKind::SingleColor : AlphaKind::None;
  }
}

// ---- conversion -----------------------------------------------------------

FrameBuffer PngImage::ToBitmap() const {
  if (!HasHeader()) throw ConvertError("Cannot assign a TPngPicture to a TBitmap");
  const PngChunkIHDR& h = Header();
  const uint32_t width = h.Width();
  FrameBuffer bitmap(static_cast<int>(width), static_cast<int>(h.Height()));
  const int bits = h.ColorBitsPerPixel();
  for (uint32_t y = 0; y < h.Height(); ++y) {
    const uint8_t* src = h.ColorRow(y);
    uint8_t* dst = bitmap.Row(static_cast<int>(y));
    if (bits == 24) {
      for (uint32_t x = 0; x < width; ++x, src += 3, dst += 4) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
      }
    } else {
      for (uint32_t x = 0; x < width; ++x, dst += 4) {
        const PaletteEntry& e = h.Palette()[PaletteIndexAt(src, bits, x)];
        dst[0] = e.blue;
        dst[1] = e.green;
        dst[2] = e.red;
      }
    }
  }
  return bitmap;
}

}  // namespace gd
