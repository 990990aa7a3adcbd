// The chunk layer and the failures: signature, chunk order, CRCs, headers,
// truncation, hostile sizes, palettes, copies, and every error's message.
#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <random>
#include <string>
#include <typeinfo>

#include "images/crc32.h"
#include "images/png_rgba.h"
#include "png_test_support.h"

namespace gd::test {
namespace {

const SourceImage& Small() {
  static const SourceImage image = RandomImage(3, 2, 6, 8, 5);
  return image;
}

Bytes SmallStream() { return Deflate(FilterScanlines(Small(), [](uint32_t) { return uint8_t{0}; })); }

PngBuilder Start() { return PngBuilder().IhdrOf(Small()); }

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

template <typename E>
void ExpectLoadThrows(const Bytes& file, const char* expected_message = nullptr) {
  try {
    Decode(file);
    ADD_FAILURE() << "no error raised";
  } catch (const E& e) {
    if (expected_message) {
      EXPECT_STREQ(e.what(), expected_message);
    }
  } catch (const std::exception& e) {
    ADD_FAILURE() << "another error raised: " << e.what();
  }
}

// ---- messages -------------------------------------------------------------

TEST(PngErrors, EveryErrorCarriesItsFixedMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {PngInvalidFileHeader().what(),
       "The file being readed is not a valid \"Portable Network Graphics\" image because it contains "
       "an invalid header. This file may be corruped, try obtaining it again."},
      {PngUnexpectedEnd().what(),
       "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected "
       "end of the file."},
      {PngIHDRNotFirst().what(),
       "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR "
       "chunk is not the first)"},
      {PngUnknownCriticalChunk().what(),
       "This \"Portable Network Graphics\" image contains an unknown critical part which could not "
       "be decoded."},
      {PngInvalidCRC().what(),
       "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of "
       "data (crc error)"},
      {PngInvalidIHDR().what(),
       "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of "
       "data (ihdr) might be corrupted"},
      {PngSizeExceeds().what(),
       "This \"Portable Network Graphics\" image is not supported because either it's width or "
       "height exceeds the maximum size, which is 65535 pixels length."},
      {PngUnknownCompression().what(),
       "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which "
       "could not be decoded."},
      {PngUnknownInterlace().what(),
       "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be "
       "decoded."},
      {PngMissingMultipleIDAT().what(),
       "This \"Portable Network Graphics\" image is invalid because it has missing image parts."},
      {PngNoImageData().what(), "This \"Portable Network Graphics\" image contains no data."},
      {PngHeaderNotPresent().what(),
       "This operation is not valid because the current image contains no valid header."},
      {PngOutMemory().what(),
       "Some operation could not be performed because the system is out of resources. Close some "
       "windows and try again."},
      {PngInvalidPalette().what(),
       "The \"Portable Network Graphics\" image contains an invalid palette."},
      {PngError(PngError::Kind::Resize).what(),
       "The \"Portable Network Graphics\" image can not be resize by changing width and height "
       "properties. Try assigning the image from a bitmap."},
      {PngError(PngError::Kind::IncompatibleChunks).what(),
       "The chunks must be compatible to be assigned."},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);

  const std::string prefix =
      "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";
  const std::pair<int, const char*> zlib[] = {{-6, "incompatible version (-6)"}, {-5, "buffer error (-5)"},
                                              {-4, "insufficient memory (-4)"},  {-3, "data error (-3)"},
                                              {-2, "stream error (-2)"},         {-1, "file error (-1)"}};
  for (const auto& [result, text] : zlib) EXPECT_EQ(PngZLIBError(result).what(), prefix + text);
}

// ---- signature and chunk order --------------------------------------------

TEST(PngChunks, SignatureMismatchIsRefusedBeforeAnyChunk) {
  const Bytes good = Start().ImageData(SmallStream()).Iend().bytes();
  for (size_t i = 0; i < 8; ++i) {
    Bytes bad = good;
    bad[i] ^= 0x20;
    ExpectLoadThrows<PngInvalidFileHeader>(bad);
  }
  ExpectLoadThrows<PngInvalidFileHeader>(Bytes{});
  ExpectLoadThrows<PngInvalidFileHeader>(Bytes(good.begin(), good.begin() + 7));
  // A failed load leaves an empty picture, even one that held a picture before.
  PngImage picture = Decode(good);
  Bytes bad = good;
  bad[0] = 0;
  ByteReader r(bad.data(), bad.size());
  EXPECT_THROW(picture.LoadPng(r), PngInvalidFileHeader);
  EXPECT_TRUE(picture.Empty());
  EXPECT_EQ(picture.Width(), 0);
}

TEST(PngChunks, HeaderMustComeFirstAndImageDataMustExist) {
  ExpectLoadThrows<PngIHDRNotFirst>(PngBuilder().Chunk("tEXt", Text("a\0b")).IhdrOf(Small()).bytes());
  ExpectLoadThrows<PngIHDRNotFirst>(PngBuilder().ImageData(SmallStream()).bytes());
  ExpectLoadThrows<PngIHDRNotFirst>(PngBuilder().Chunk("cHRM", Bytes(32)).IhdrOf(Small()).bytes());
  ExpectLoadThrows<PngNoImageData>(Start().Iend().bytes());
}

TEST(PngChunks, StreamIsLeftJustBehindIend) {
  Bytes file = Start().Chunk("tEXt", Text("Software")).ImageData(SmallStream()).Iend().bytes();
  const size_t end = file.size();
  file.insert(file.end(), {'M', 'O', 'R', 'E'});
  ByteReader r(file.data(), file.size());
  PngImage picture;
  picture.LoadPng(r);
  EXPECT_EQ(r.Position(), end);
}

TEST(PngChunks, StreamThatEndsBeforeIendIsUnexpectedEnd) {
  const Bytes file = Start().ImageData(SmallStream()).bytes();
  ExpectLoadThrows<PngUnexpectedEnd>(file);
  Bytes partial_length = file;
  partial_length.insert(partial_length.end(), {0, 0});
  ExpectLoadThrows<PngUnexpectedEnd>(partial_length);
}

TEST(PngChunks, CrcIsCheckedOnEveryChunkButSkippedCHRM) {
  // cHRM with a wrong CRC is passed over and not kept.
  const PngImage picture =
      Decode(Start().Chunk("cHRM", Bytes(32, 1), false).ImageData(SmallStream()).Iend().bytes());
  EXPECT_EQ(picture.Chunks().Find("cHRM"), nullptr);
  EXPECT_EQ(ExpandToRgba(picture).pixels, ExpectedRgba(Small()));

  ExpectLoadThrows<PngInvalidCRC>(Start().Chunk("tEXt", Text("Software"), false).ImageData(SmallStream()).Iend().bytes());
  ExpectLoadThrows<PngInvalidCRC>(PngBuilder().Chunk("IHDR", Bytes{0, 0, 0, 3, 0, 0, 0, 2, 8, 6, 0, 0, 0}, false).bytes());
  ExpectLoadThrows<PngInvalidCRC>(Start().ImageData(SmallStream()).Chunk("IEND", {}, false).bytes());
  ExpectLoadThrows<PngInvalidCRC>(Start().Chunk("iTXt", Text("XML"), false).ImageData(SmallStream()).Iend().bytes());

  // Image data: a damaged CRC in the first, a middle or the last IDAT chunk.
  const Bytes stream = SmallStream();
  const Bytes split = Start().ImageData(stream, {5, 5}).Iend().bytes();
  const size_t first_crc = 8 + 25 + 8 + 5;  // signature, IHDR, first IDAT's head and data
  const size_t second_crc = first_crc + 4 + 8 + 5;
  const size_t last_crc = split.size() - 12 - 4;
  for (size_t at : {first_crc, second_crc, last_crc}) {
    Bytes bad = split;
    bad[at] ^= 0x01;
    ExpectLoadThrows<PngInvalidCRC>(bad);
  }
  EXPECT_NO_THROW(Decode(split));
}

TEST(PngChunks, UnknownAncillaryChunksAreKeptAndUnknownCriticalOnesRefused) {
  const PngImage picture = Decode(Start()
                                         .Chunk("tEXt", Text(std::string("Software\0Glimmer", 16)))
                                         .Chunk("iTXt", Text("XML:com.adobe.xmp"))
                                         .Chunk("prVt", Bytes{1, 2, 3})
                                         .ImageData(SmallStream())
                                         .Iend()
                                         .bytes());
  ASSERT_EQ(picture.Chunks().Count(), 6u);  // IHDR tEXt iTXt prVt IDAT IEND
  const auto* text = dynamic_cast<const PngChunktEXt*>(picture.Chunks().Find("tEXt"));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->Keyword(), "Software");
  EXPECT_EQ(text->Text(), "Glimmer");
  ASSERT_NE(picture.Chunks().Find("iTXt"), nullptr);
  EXPECT_EQ(picture.Chunks().Find("iTXt")->Data(), Text("XML:com.adobe.xmp"));
  EXPECT_EQ(picture.Chunks().Find("prVt")->Data(), (Bytes{1, 2, 3}));

  ExpectLoadThrows<PngUnknownCriticalChunk>(Start().Chunk("ABCD", {}).ImageData(SmallStream()).Iend().bytes());
  ExpectLoadThrows<PngUnknownCriticalChunk>(Start().ImageData(SmallStream()).Chunk("EXIT", {}).Iend().bytes());
}

TEST(PngChunks, ImageDataAfterTheImageIsSkippedUnchecked) {
  const Bytes file = Start()
                         .ImageData(SmallStream())
                         .Chunk("tEXt", Text("late"))
                         .Chunk("IDAT", Bytes{9, 9, 9}, false)
                         .Iend()
                         .bytes();
  EXPECT_EQ(ExpandToRgba(Decode(file)).pixels, ExpectedRgba(Small()));
}

TEST(PngChunks, ImageDataInterruptedByAnotherChunkIsMissingParts) {
  const Bytes stream = SmallStream();
  Bytes file = Start().Chunk("IDAT", Bytes(stream.begin(), stream.begin() + 6)).Chunk("tEXt", Text("x")).bytes();
  file = PngBuilder(false).Raw(file).Chunk("IDAT", Bytes(stream.begin() + 6, stream.end())).Iend().bytes();
  ExpectLoadThrows<PngMissingMultipleIDAT>(file);
}

TEST(PngChunks, DamagedCompressedDataRaisesTheZlibError) {
  Bytes stream = SmallStream();
  Bytes bad_header = stream;
  bad_header[0] = 0x79;  // not deflate
  ExpectLoadThrows<PngZLIBError>(Start().ImageData(bad_header).Iend().bytes());

  Bytes bad_block = stream;
  bad_block[2] = 0xFF;  // reserved block type 3
  try {
    Decode(Start().ImageData(bad_block).Iend().bytes());
    ADD_FAILURE() << "no error raised";
  } catch (const PngZLIBError& e) {
    EXPECT_EQ(e.Result(), Z_DATA_ERROR);
    EXPECT_NE(std::string(e.what()).find("\r\n Description: data error (-3)"), std::string::npos);
  }

  // The stream's Adler-32 is checked, also when it comes in a later chunk.
  Bytes bad_adler = stream;
  bad_adler.back() ^= 0x01;
  ExpectLoadThrows<PngZLIBError>(Start().ImageData(bad_adler).Iend().bytes());
  ExpectLoadThrows<PngZLIBError>(Start().ImageData(bad_adler, {bad_adler.size() - 4}).Iend().bytes());
}

// ---- header ---------------------------------------------------------------

TEST(PngHeader, SizeLimits) {
  // 65535 by 1 loads; 65536 in either direction does not.
  const Bytes row = Deflate(Bytes(1 + 65535 * 4, 0));
  const PngImage wide = Decode(PngBuilder().Ihdr(65535, 1, 8, 6).ImageData(row).Iend().bytes());
  EXPECT_EQ(wide.Width(), 65535);
  EXPECT_EQ(wide.Height(), 1);
  ExpectLoadThrows<PngSizeExceeds>(PngBuilder().Ihdr(65536, 1, 8, 6).ImageData(row).Iend().bytes());
  ExpectLoadThrows<PngSizeExceeds>(PngBuilder().Ihdr(1, 65536, 8, 6).ImageData(row).Iend().bytes());
  ExpectLoadThrows<PngSizeExceeds>(PngBuilder().Ihdr(0xFFFFFFFF, 1, 8, 6).ImageData(row).Iend().bytes());
}

TEST(PngHeader, UnknownMethodsAndShortHeader) {
  const Bytes stream = SmallStream();
  ExpectLoadThrows<PngUnknownCompression>(PngBuilder().Ihdr(3, 2, 8, 6, 0, 1).ImageData(stream).Iend().bytes());
  ExpectLoadThrows<PngUnknownInterlace>(PngBuilder().Ihdr(3, 2, 8, 6, 2).ImageData(stream).Iend().bytes());
  ExpectLoadThrows<PngInvalidIHDR>(PngBuilder().Chunk("IHDR", Bytes{0, 0, 0, 3, 0, 0, 0, 2, 8, 6, 0, 0}).bytes());
  // The filter method is kept as read.
  EXPECT_EQ(Decode(PngBuilder().Ihdr(3, 2, 8, 6, 0, 0, 7).ImageData(stream).Iend().bytes()).Header().FilterMethod(), 7);
}

TEST(PngHeader, ImpossibleColourTypeAndDepthOrZeroSizeIsAnInvalidHeader) {
  const Bytes stream = SmallStream();
  const std::pair<uint8_t, uint8_t> invalid[] = {{0, 3}, {0, 0},  {0, 32}, {1, 8}, {2, 1}, {2, 4},
                                                 {3, 16}, {4, 4}, {5, 8},  {6, 2}, {7, 8}, {255, 8}};
  for (auto [type, depth] : invalid) {
    SCOPED_TRACE("colour type " + std::to_string(type) + ", depth " + std::to_string(depth));
    ExpectLoadThrows<PngInvalidIHDR>(PngBuilder().Ihdr(3, 2, depth, type).ImageData(stream).Iend().bytes());
  }
  ExpectLoadThrows<PngInvalidIHDR>(PngBuilder().Ihdr(0, 2, 8, 6).ImageData(stream).Iend().bytes());
  ExpectLoadThrows<PngInvalidIHDR>(PngBuilder().Ihdr(3, 0, 8, 6).ImageData(stream).Iend().bytes());
  // A second header would bring a second set of planes.
  ExpectLoadThrows<PngInvalidIHDR>(Start().IhdrOf(Small()).ImageData(stream).Iend().bytes());
}

TEST(PngHeader, PicturesAboveTheCapAreRefusedBeforeAllocating) {
  const Bytes one_row = Deflate(Bytes(1 + 1024, 0));
  // Exactly at the cap (8192 x 8192, 1 bit a pixel: 8 MB of plane) loads.
  const PngImage at_cap = Decode(PngBuilder().Ihdr(8192, 8192, 1, 0).ImageData(one_row).Iend().bytes());
  EXPECT_EQ(at_cap.Height(), 8192);
  const char* message =
      "This \"Portable Network Graphics\" image is not supported because it has more than 67108864 "
      "pixels (8192 by 8192), the most this program decodes.";
  ExpectLoadThrows<PngTooLarge>(PngBuilder().Ihdr(8192, 8193, 1, 0).ImageData(one_row).Iend().bytes(), message);
  ExpectLoadThrows<PngTooLarge>(PngBuilder().Ihdr(65535, 65535, 16, 6).ImageData(one_row).Iend().bytes(), message);
  ExpectLoadThrows<PngTooLarge>(PngBuilder().Ihdr(65535, 1025, 8, 6).ImageData(one_row).Iend().bytes(), message);
}

// ---- truncation -----------------------------------------------------------

TEST(PngChunks, ChunkWhoseDataEndsBeforeItsLengthIsUnexpectedEnd) {
  const Bytes full = Start().Chunk("tEXt", Text("Software")).ImageData(SmallStream()).Iend().bytes();
  // Every cut inside the file, from the IHDR on, stops with an error of the
  // codec, never by reading past the end.
  for (size_t size = 8; size < full.size(); ++size) {
    SCOPED_TRACE("cut at " + std::to_string(size));
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
    ExpectLoadThrows<PngUnexpectedEnd>(cut);
  }
  // Stated lengths far beyond the data, in a skipped, a kept and an image chunk.
  for (const char* name : {"cHRM", "tEXt", "IDAT"}) {
    Bytes file = Start().bytes();
    file.insert(file.end(), {0x7F, 0xFF, 0xFF, 0xF0});
    file.insert(file.end(), name, name + 4);
    file.insert(file.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    ExpectLoadThrows<PngUnexpectedEnd>(file);
  }
}

// ---- palette --------------------------------------------------------------

TEST(PngPalette, IndexOutsideThePaletteReadsBlackNeverPastIt) {
  SourceImage image;
  image.width = 4;
  image.height = 1;
  image.color_type = 3;
  image.bit_depth = 2;
  image.samples = {0, 1, 2, 3};  // the palette has entries 0 and 1 only
  image.plte = {10, 20, 30, 40, 50, 60};
  image.trns = {100};
  const Bytes file = SimplePng(image);
  const PngImage picture = Decode(file);
  const Bytes expected = {10, 20, 30, 100, 40, 50, 60, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  EXPECT_EQ(ExpandToRgba(picture).pixels, expected);
  EXPECT_EQ(DecodeWithLibpng(file).rgba, expected);
  const FrameBuffer bitmap = picture.ToBitmap();
  EXPECT_EQ(bitmap.Pixel(3, 0)[0], 0);
  EXPECT_EQ(bitmap.Pixel(1, 0)[0], 60);

  // 8 bits a pixel and a one-entry palette: index 255 is black too.
  image.bit_depth = 8;
  image.samples = {0, 255, 128, 1};
  image.plte = {1, 2, 3};
  image.trns = {};
  EXPECT_EQ(ExpandToRgba(Decode(SimplePng(image))).pixels,
            (Bytes{1, 2, 3, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(PngPalette, PalettePictureNeedsAWellFormedPalette) {
  SourceImage image = RandomImage(4, 4, 3, 8, 3, 4);
  const Bytes stream = Deflate(FilterScanlines(image, [](uint32_t) { return uint8_t{0}; }));
  ExpectLoadThrows<PngInvalidPalette>(PngBuilder().IhdrOf(image).ImageData(stream).Iend().bytes());
  for (size_t size : {size_t{0}, size_t{7}, size_t{257 * 3}}) {
    ExpectLoadThrows<PngInvalidPalette>(PngBuilder().IhdrOf(image).Chunk("PLTE", Bytes(size)).ImageData(stream).Iend().bytes());
  }
  // A tRNS with more entries than the palette is ignored, as is one out of place.
  image.trns = Bytes(5, 0);
  SourceImage opaque = image;
  opaque.trns.clear();
  EXPECT_EQ(ExpandToRgba(Decode(SimplePng(image))).pixels, ExpectedRgba(opaque));
  const Bytes late = PngBuilder().IhdrOf(image).Chunk("PLTE", image.plte).ImageData(stream).Chunk("tRNS", Bytes{0}).Iend().bytes();
  EXPECT_EQ(ExpandToRgba(Decode(late)).pixels, ExpectedRgba(opaque));
}

// ---- picture object -------------------------------------------------------

TEST(PngPicture, AlphaRowIsNullWithoutAnAlphaChannel) {
  const PngImage rgb = Decode(SimplePng(RandomImage(5, 2, 2, 8, 1)));
  EXPECT_EQ(rgb.AlphaRow(0), nullptr);
  EXPECT_NE(rgb.ColorRow(0), nullptr);
  const PngImage rgba = Decode(SimplePng(RandomImage(5, 2, 6, 8, 1)));
  ASSERT_NE(rgba.AlphaRow(0), nullptr);
  EXPECT_EQ(rgba.AlphaRow(1) - rgba.AlphaRow(0), 5);
  EXPECT_EQ(rgba.AlphaRow(2), nullptr);  // outside the picture
  EXPECT_EQ(rgba.ColorRow(-1), nullptr);
}

TEST(PngPicture, CopyIsDeepAndOutlivesItsSource) {
  SourceImage pal = RandomImage(6, 3, 3, 4, 9, 12);
  pal.trns = {255, 0};
  for (const SourceImage& image : {RandomImage(6, 3, 6, 8, 8), pal}) {
    auto source = std::make_unique<PngImage>(
        Decode(PngBuilder().IhdrOf(image).PaletteOf(image).Chunk("tEXt", Text("k\0v")).ImageData(
            Deflate(FilterScanlines(image, [](uint32_t) { return uint8_t{0}; }))).Iend().bytes()));
    PngImage copy;
    copy = *source;
    EXPECT_NE(copy.ColorRow(0), source->ColorRow(0));
    ASSERT_EQ(copy.Chunks().Count(), source->Chunks().Count());
    for (size_t i = 0; i < copy.Chunks().Count(); ++i) {
      const PngChunk& to = copy.Chunks().Item(i);
      const PngChunk& from = source->Chunks().Item(i);
      EXPECT_EQ(typeid(to), typeid(from));
      EXPECT_EQ(to.Name(), from.Name());
      EXPECT_EQ(to.Data(), from.Data());
    }
    source->ColorRow(0)[0] ^= 0xFF;  // changing the source leaves the copy alone
    source.reset();
    EXPECT_EQ(ExpandToRgba(copy).pixels, ExpectedRgba(image));
    EXPECT_EQ(copy.GetAlphaKind(), image.color_type == 6 ? AlphaKind::Partial : AlphaKind::SingleColor);
    const PngImage copy_of_copy(copy);
    EXPECT_EQ(ExpandToRgba(copy_of_copy).pixels, ExpectedRgba(image));
  }
}

TEST(PngPicture, FailedLoadKeepsTheChunksReadBeforeTheFailure) {
  PngImage picture;
  const Bytes file = Start().Chunk("tEXt", Text("a")).Chunk("zTXt", Text("b"), false).ImageData(SmallStream()).Iend().bytes();
  ByteReader r(file.data(), file.size());
  EXPECT_THROW(picture.LoadPng(r), PngInvalidCRC);
  ASSERT_EQ(picture.Chunks().Count(), 2u);
  EXPECT_EQ(picture.Chunks().Item(1).Name(), "tEXt");
  EXPECT_EQ(picture.Width(), 3);
}

TEST(PngPicture, MisusesRaiseTheirErrors) {
  PngImage empty;
  EXPECT_EQ(empty.Width(), 0);
  EXPECT_EQ(empty.ColorRow(0), nullptr);
  EXPECT_THROW(empty.Header(), PngHeaderNotPresent);
  try {
    empty.ToBitmap();
    ADD_FAILURE() << "no error raised";
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TPngPicture to a TBitmap");
  }
  PngImage picture = Decode(SimplePng(Small()));
  EXPECT_THROW(picture.SetWidth(10), PngError);
  EXPECT_THROW(picture.SetHeight(10), PngError);
  EXPECT_EQ(picture.Width(), 3);
  PngChunkIHDR header;
  EXPECT_THROW(header.Assign(PngChunk("tEXt")), PngError);
  PngChunkPLTE palette;
  EXPECT_THROW(palette.Assign(PngChunk("tEXt")), PngError);
}

// ---- CRC ------------------------------------------------------------------

TEST(Crc32, MatchesZlibWholeAndInPieces) {
  const uint8_t iend[] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(Crc32(0, iend, 4), 0xAE426082u);
  std::mt19937 rng(3);
  Bytes data(1000);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  for (size_t n : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{63}, size_t{1000}}) {
    const uint32_t expected = static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(n)));
    EXPECT_EQ(Crc32(0, data.data(), n), expected);
    const size_t half = n / 3;
    EXPECT_EQ(Crc32(Crc32(0, data.data(), half), data.data() + half, n - half), expected);
  }
}

}  // namespace
}  // namespace gd::test
