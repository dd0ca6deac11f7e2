// The framework's PNG reader: every colour type and row filter it takes gives
// the pixels written, and every file it must not show is refused with the
// result that sends it to GDI+ or to nobody.
#include "ui/drawing/png_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tw::ux {
namespace {

void Append32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::string Chunk(const std::string& type, const std::string& data) {
  std::string chunk;
  Append32(chunk, static_cast<uint32_t>(data.size()));
  const std::string body = type + data;
  chunk += body;
  Append32(chunk, crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  return chunk;
}

std::string Header(uint32_t width, uint32_t height, int depth, int colour_type, int interlace = 0) {
  std::string data;
  Append32(data, width);
  Append32(data, height);
  data += {static_cast<char>(depth), static_cast<char>(colour_type), 0, 0, static_cast<char>(interlace)};
  return Chunk("IHDR", data);
}

std::string Deflate(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

// Rows of samples filtered as an encoder would, each with its filter byte.
std::string Filtered(const std::vector<std::vector<uint8_t>>& rows, int channels, int filter) {
  std::string out;
  std::vector<uint8_t> previous(rows[0].size(), 0);
  for (const auto& row : rows) {
    out.push_back(static_cast<char>(filter));
    for (size_t i = 0; i < row.size(); ++i) {
      const int a = i >= static_cast<size_t>(channels) ? row[i - channels] : 0;
      const int b = previous[i];
      const int c = i >= static_cast<size_t>(channels) ? previous[i - channels] : 0;
      int predictor = 0;
      if (filter == 1) predictor = a;
      if (filter == 2) predictor = b;
      if (filter == 3) predictor = (a + b) / 2;
      if (filter == 4) {
        const int p = a + b - c;
        const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      }
      out.push_back(static_cast<char>(row[i] - predictor));
    }
    previous = row;
  }
  return out;
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

std::string Png(const std::string& header, const std::string& raw, const std::string& before_data = "") {
  return kSignature + header + before_data + Chunk("IDAT", Deflate(raw)) + Chunk("IEND", "");
}

struct ColourCase {
  const char* name;
  int colour_type;
  int channels;
  std::vector<std::vector<uint8_t>> rows;  // 3 x 2 pixels of samples
  std::string extra;                       // PLTE and tRNS
  std::vector<uint32_t> expected;          // premultiplied 0xAARRGGBB
};

std::vector<ColourCase> ColourCases() {
  return {
      {"grey",
       0,
       1,
       {{0, 128, 255}, {7, 8, 9}},
       "",
       {0xFF000000, 0xFF808080, 0xFFFFFFFF, 0xFF070707, 0xFF080808, 0xFF090909}},
      // At the second row's middle pixel up and up-left tie as Paeth's choice.
      {"grey where Paeth's predictor ties",
       0,
       1,
       {{10, 6, 0}, {12, 50, 0}},
       "",
       {0xFF0A0A0A, 0xFF060606, 0xFF000000, 0xFF0C0C0C, 0xFF323232, 0xFF000000}},
      {"grey with a transparent key",
       0,
       1,
       {{0, 128, 255}, {7, 8, 9}},
       Chunk("tRNS", std::string("\0\x80", 2)),
       {0xFF000000, 0, 0xFFFFFFFF, 0xFF070707, 0xFF080808, 0xFF090909}},
      {"grey and alpha",
       4,
       2,
       {{200, 255, 200, 128, 200, 0}, {10, 255, 20, 255, 30, 255}},
       "",
       {0xFFC8C8C8, 0x80646464, 0, 0xFF0A0A0A, 0xFF141414, 0xFF1E1E1E}},
      {"truecolour",
       2,
       3,
       {{255, 0, 0, 0, 255, 0, 0, 0, 255}, {1, 2, 3, 4, 5, 6, 250, 251, 252}},
       "",
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF010203, 0xFF040506, 0xFFFAFBFC}},
      {"truecolour with a transparent key",
       2,
       3,
       {{255, 0, 0, 0, 255, 0, 0, 0, 255}, {1, 2, 3, 4, 5, 6, 250, 251, 252}},
       Chunk("tRNS", std::string("\0\x04\0\x05\0\x06", 6)),
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF010203, 0, 0xFFFAFBFC}},
      {"truecolour and alpha",
       6,
       4,
       {{255, 255, 255, 255, 255, 255, 255, 128, 100, 150, 200, 0}, {200, 100, 50, 51, 9, 9, 9, 255, 255, 0, 0, 1}},
       "",
       {0xFFFFFFFF, 0x80808080, 0, 0x3328140A, 0xFF090909, 0x01010000}},
      {"palette with alpha",
       3,
       1,
       {{0, 1, 2}, {2, 1, 0}},
       Chunk("PLTE", std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9)) +
           Chunk("tRNS", std::string("\xFF\x80", 2)),
       {0xFFFF0000, 0x80008000, 0xFF0000FF, 0xFF0000FF, 0x80008000, 0xFFFF0000}},
  };
}

TEST(PngDecodeTest, EveryColourTypeAndRowFilterGivesThePixelsWritten) {
  for (const ColourCase& colour : ColourCases()) {
    for (int filter = 0; filter <= 4; ++filter) {
      SCOPED_TRACE(std::string(colour.name) + ", filter " + std::to_string(filter));
      const std::string png =
          Png(Header(3, 2, 8, colour.colour_type), Filtered(colour.rows, colour.channels, filter), colour.extra);
      DecodedPixels decoded;
      ASSERT_EQ(DecodePng(png, decoded), PngDecodeResult::kOk);
      EXPECT_EQ(decoded.width, 3);
      EXPECT_EQ(decoded.height, 2);
      EXPECT_EQ(decoded.pixels, colour.expected);
    }
  }
}

TEST(PngDecodeTest, ImageDataSplitOverChunksAndAncillaryChunksAreRead) {
  const std::string raw = Filtered({{1, 2, 3, 255}, {4, 5, 6, 255}}, 4, 0);
  const std::string deflated = Deflate(raw);
  const std::string png = kSignature + Header(1, 2, 8, 6) + Chunk("gAMA", std::string("\0\0\xB1\x8F", 4)) +
                          Chunk("IDAT", deflated.substr(0, 5)) + Chunk("tEXt", "Comment\0hi") +
                          Chunk("IDAT", deflated.substr(5)) + Chunk("IEND", "");
  DecodedPixels decoded;
  ASSERT_EQ(DecodePng(png, decoded), PngDecodeResult::kOk);
  EXPECT_EQ(decoded.pixels, (std::vector<uint32_t>{0xFF010203, 0xFF040506}));
}

TEST(PngDecodeTest, FilesItMustNotShowAreRefusedWithTheirReason) {
  const std::string rgba_rows = Filtered({{1, 2, 3, 255}, {4, 5, 6, 255}}, 4, 0);
  const std::string good = Png(Header(1, 2, 8, 6), rgba_rows);
  std::string bad_crc = good;
  bad_crc[kSignature.size() + 10] ^= 1;  // a byte of IHDR's width
  std::string overrun = good;
  overrun[kSignature.size() + 3] = 100;  // IHDR says it is longer than the file
  std::string bad_filter = rgba_rows;
  bad_filter[0] = 5;
  const std::string plte = Chunk("PLTE", std::string("\1\2\3", 3));
  struct Case {
    const char* name;
    std::string bytes;
    PngDecodeResult expected;
  };
  const std::vector<Case> cases = {
      {"a JPEG", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(100, 'j'), PngDecodeResult::kNotPng},
      {"nothing", "", PngDecodeResult::kNotPng},
      {"16 bits a sample", Png(Header(1, 2, 16, 6), std::string(2 * 9, '\0')), PngDecodeResult::kUnsupported},
      {"interlaced", Png(Header(1, 2, 8, 6, 1), rgba_rows), PngDecodeResult::kUnsupported},
      {"an unknown critical chunk", Png(Header(1, 2, 8, 6), rgba_rows, Chunk("ZZZZ", "x")),
       PngDecodeResult::kUnsupported},
      {"a broken CRC", bad_crc, PngDecodeResult::kDamaged},
      {"a chunk longer than the file", overrun, PngDecodeResult::kDamaged},
      {"the signature alone", kSignature, PngDecodeResult::kDamaged},
      {"no IHDR first", kSignature + Chunk("IDAT", Deflate(rgba_rows)) + Chunk("IEND", ""), PngDecodeResult::kDamaged},
      {"a colour type PNG has not", Png(Header(1, 2, 8, 5), rgba_rows), PngDecodeResult::kDamaged},
      {"no width", Png(Header(0, 2, 8, 6), rgba_rows), PngDecodeResult::kDamaged},
      {"a row filter PNG has not", Png(Header(1, 2, 8, 6), bad_filter), PngDecodeResult::kDamaged},
      {"too few rows", Png(Header(1, 3, 8, 6), rgba_rows), PngDecodeResult::kDamaged},
      {"image data that is not deflate",
       kSignature + Header(1, 2, 8, 6) + Chunk("IDAT", "not deflate") + Chunk("IEND", ""), PngDecodeResult::kDamaged},
      {"a palette image without a palette", Png(Header(2, 1, 8, 3), std::string("\0\0\0", 3)),
       PngDecodeResult::kDamaged},
      {"a palette index past the palette", Png(Header(2, 1, 8, 3), std::string("\0\0\1", 3), plte),
       PngDecodeResult::kDamaged},
      {"a few bytes that claim a large image", Png(Header(4000, 4000, 8, 6), rgba_rows), PngDecodeResult::kDamaged},
      {"wider than any window", Png(Header(kMaxPngSide + 1, 1, 8, 6), ""), PngDecodeResult::kTooLarge},
      {"more pixels than any window", Png(Header(kMaxPngSide, kMaxPngSide, 8, 6), ""), PngDecodeResult::kTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedPixels decoded;
    EXPECT_EQ(DecodePng(c.bytes, decoded), c.expected);
    EXPECT_TRUE(decoded.pixels.empty());
  }
}

}  // namespace
}  // namespace tw::ux
