#include "ui/drawing/png_decode.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <optional>

namespace tw::ux {

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
constexpr size_t kChunkFrame = 12;  // length, type and CRC around a chunk's data
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr size_t kHeaderLength = 13;
constexpr int kMaxPaletteEntries = 256;
constexpr size_t kMaxDeflateExpansion = 1032;  // deflate's limit, with room for the zlib frame

enum ColourType : uint8_t { kGrey = 0, kTruecolour = 2, kPalette = 3, kGreyAlpha = 4, kTruecolourAlpha = 6 };
enum RowFilter : uint8_t { kFilterNone, kFilterSub, kFilterUp, kFilterAverage, kFilterPaeth, kFilterCount };

uint32_t BigEndian32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

struct Header {
  int width = 0;
  int height = 0;
  uint8_t colour_type = 0;
  int channels = 0;
};

struct Chunk {
  std::string_view type;
  const unsigned char* data = nullptr;
  uint32_t length = 0;
};

// The chunks one after another, each with its CRC checked.
class ChunkReader {
 public:
  explicit ChunkReader(std::string_view bytes) : m_bytes(bytes), m_at(kSignature.size()) {}

  bool AtEnd() const { return m_at == m_bytes.size(); }

  // The next chunk, or nothing when it overruns the file or fails its CRC.
  std::optional<Chunk> Next() {
    if (m_bytes.size() - m_at < kChunkFrame) return std::nullopt;
    const auto* at = reinterpret_cast<const unsigned char*>(m_bytes.data()) + m_at;
    const uint32_t length = BigEndian32(at);
    if (length > kMaxChunkLength || length > m_bytes.size() - m_at - kChunkFrame) return std::nullopt;
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION  // or a fuzzer never gets past the CRC
    const uint32_t stored_crc = BigEndian32(at + 8 + length);
    if (crc32(0, at + 4, length + 4) != stored_crc) return std::nullopt;
#endif
    m_at += kChunkFrame + length;
    return Chunk{std::string_view(reinterpret_cast<const char*>(at + 4), 4), at + 8, length};
  }

 private:
  std::string_view m_bytes;
  size_t m_at;
};

int ChannelsOf(uint8_t colour_type) {
  switch (colour_type) {
    case kGrey:
    case kPalette: return 1;
    case kGreyAlpha: return 2;
    case kTruecolour: return 3;
    case kTruecolourAlpha: return 4;
    default: return 0;
  }
}

PngDecodeResult ReadHeader(const Chunk& chunk, Header& header) {
  if (chunk.type != "IHDR" || chunk.length != kHeaderLength) return PngDecodeResult::kDamaged;
  const uint32_t width = BigEndian32(chunk.data);
  const uint32_t height = BigEndian32(chunk.data + 4);
  const uint8_t depth = chunk.data[8];
  const uint8_t colour_type = chunk.data[9];
  const uint8_t compression = chunk.data[10];
  const uint8_t filter_method = chunk.data[11];
  const uint8_t interlace = chunk.data[12];
  if (width == 0 || height == 0 || ChannelsOf(colour_type) == 0 || compression != 0 || filter_method != 0 ||
      interlace > 1) {
    return PngDecodeResult::kDamaged;
  }
  if (width > kMaxPngSide || height > kMaxPngSide || int64_t{width} * height > kMaxPngPixels) {
    return PngDecodeResult::kTooLarge;
  }
  if (depth != 8 || interlace != 0) return PngDecodeResult::kUnsupported;
  header = {static_cast<int>(width), static_cast<int>(height), colour_type, ChannelsOf(colour_type)};
  return PngDecodeResult::kOk;
}

int Paeth(int left, int up, int up_left) {
  const int estimate = left + up - up_left;
  const int to_left = std::abs(estimate - left);
  const int to_up = std::abs(estimate - up);
  const int to_up_left = std::abs(estimate - up_left);
  if (to_left <= to_up && to_left <= to_up_left) return left;
  return to_up <= to_up_left ? up : up_left;
}

// Undoes one row's filter in place against the row above (zeros for the
// first). A loop per filter: images are big enough for it to matter.
void UnfilterRow(uint8_t filter, unsigned char* line, const unsigned char* previous, size_t stride, size_t unit) {
  switch (filter) {
    case kFilterSub:
      for (size_t i = unit; i < stride; ++i) line[i] = static_cast<unsigned char>(line[i] + line[i - unit]);
      break;
    case kFilterUp:
      for (size_t i = 0; i < stride; ++i) line[i] = static_cast<unsigned char>(line[i] + previous[i]);
      break;
    case kFilterAverage:
      for (size_t i = 0; i < unit; ++i) line[i] = static_cast<unsigned char>(line[i] + previous[i] / 2);
      for (size_t i = unit; i < stride; ++i) {
        line[i] = static_cast<unsigned char>(line[i] + (line[i - unit] + previous[i]) / 2);
      }
      break;
    case kFilterPaeth:
      for (size_t i = 0; i < unit; ++i) line[i] = static_cast<unsigned char>(line[i] + previous[i]);
      for (size_t i = unit; i < stride; ++i) {
        line[i] = static_cast<unsigned char>(line[i] + Paeth(line[i - unit], previous[i], previous[i - unit]));
      }
      break;
    default: break;
  }
}

// Undoes each row's filter in place; false on a filter type PNG does not have.
bool Unfilter(unsigned char* rows, const Header& header) {
  const size_t stride = static_cast<size_t>(header.width) * header.channels;
  const std::vector<unsigned char> zeros(stride, 0);
  const unsigned char* previous = zeros.data();
  for (int y = 0; y < header.height; ++y) {
    unsigned char* row = rows + static_cast<size_t>(y) * (stride + 1);
    if (row[0] >= kFilterCount) return false;
    UnfilterRow(row[0], row + 1, previous, stride, static_cast<size_t>(header.channels));
    previous = row + 1;
  }
  return true;
}

// What tRNS and PLTE add: a palette's colours and alphas, or the one colour
// of a grey or truecolour image that stands for transparent.
struct Colours {
  std::array<uint32_t, kMaxPaletteEntries> palette{};
  int palette_size = 0;
  std::optional<std::array<uint16_t, 3>> transparent;
};

PngDecodeResult ReadPalette(const Chunk& chunk, Colours& colours) {
  if (chunk.length == 0 || chunk.length % 3 != 0 || chunk.length / 3 > kMaxPaletteEntries) {
    return PngDecodeResult::kDamaged;
  }
  colours.palette_size = static_cast<int>(chunk.length / 3);
  for (int i = 0; i < colours.palette_size; ++i) {
    const unsigned char* rgb = chunk.data + 3 * i;
    colours.palette[i] = Argb(255, rgb[0], rgb[1], rgb[2]);
  }
  return PngDecodeResult::kOk;
}

// Grey and greyscale-alpha images ignore a tRNS they may not have, as
// readers commonly do.
void ReadTransparency(const Chunk& chunk, const Header& header, Colours& colours) {
  auto sample = [&chunk](int i) { return static_cast<uint16_t>((chunk.data[2 * i] << 8) | chunk.data[2 * i + 1]); };
  if (header.colour_type == kPalette) {
    const int count = std::min<int>(static_cast<int>(chunk.length), colours.palette_size);
    for (int i = 0; i < count; ++i) {
      colours.palette[i] = (colours.palette[i] & 0x00FFFFFFu) | (uint32_t{chunk.data[i]} << 24);
    }
  } else if (header.colour_type == kGrey && chunk.length == 2) {
    colours.transparent = std::array<uint16_t, 3>{sample(0), sample(0), sample(0)};
  } else if (header.colour_type == kTruecolour && chunk.length == 6) {
    colours.transparent = std::array<uint16_t, 3>{sample(0), sample(1), sample(2)};
  }
}

// One unfiltered row as premultiplied pixels; false on a palette index the
// palette does not have.
bool RowToPixels(const unsigned char* s, int width, const Header& header, const Colours& colours, uint32_t* pixel) {
  auto keyed = [&colours](uint32_t r, uint32_t g, uint32_t b) {
    return colours.transparent && (*colours.transparent)[0] == r && (*colours.transparent)[1] == g &&
           (*colours.transparent)[2] == b;
  };
  switch (header.colour_type) {
    case kGrey:
      for (int x = 0; x < width; ++x, ++s) pixel[x] = keyed(s[0], s[0], s[0]) ? 0 : Argb(255, s[0], s[0], s[0]);
      return true;
    case kGreyAlpha:
      for (int x = 0; x < width; ++x, s += 2) pixel[x] = PremultipliedArgb(Argb(s[1], s[0], s[0], s[0]));
      return true;
    case kTruecolour:
      for (int x = 0; x < width; ++x, s += 3) pixel[x] = keyed(s[0], s[1], s[2]) ? 0 : Argb(255, s[0], s[1], s[2]);
      return true;
    case kTruecolourAlpha:
      for (int x = 0; x < width; ++x, s += 4) pixel[x] = PremultipliedArgb(Argb(s[3], s[0], s[1], s[2]));
      return true;
    case kPalette:
      for (int x = 0; x < width; ++x, ++s) {
        if (s[0] >= colours.palette_size) return false;
        pixel[x] = PremultipliedArgb(colours.palette[s[0]]);
      }
      return true;
    default: return false;
  }
}

bool ToPixels(const unsigned char* rows, const Header& header, const Colours& colours, uint32_t* pixels) {
  const size_t stride = static_cast<size_t>(header.width) * header.channels;
  for (int y = 0; y < header.height; ++y) {
    const unsigned char* line = rows + static_cast<size_t>(y) * (stride + 1) + 1;
    if (!RowToPixels(line, header.width, header, colours, pixels + static_cast<size_t>(y) * header.width)) {
      return false;
    }
  }
  return true;
}

// Inflates the IDAT chunks into exactly the rows the header promises.
struct InflateCloser {
  void operator()(z_stream* stream) const { inflateEnd(stream); }
};

class ImageData {
 public:
  // The rows are not cleared first: the image is used only once inflating
  // has filled every byte.
  explicit ImageData(size_t size) : m_rows(new unsigned char[size]) {
    if (inflateInit(&m_stream) == Z_OK) m_open.reset(&m_stream);
    m_stream.next_out = m_rows.get();
    m_stream.avail_out = static_cast<uInt>(size);
  }
  ImageData(const ImageData&) = delete;
  ImageData& operator=(const ImageData&) = delete;

  // False when the data is not a valid deflate stream.
  bool Add(const Chunk& chunk) {
    if (!m_open) return false;
    if (Complete() || m_ended) return true;  // what follows the image is not read
    m_stream.next_in = const_cast<Bytef*>(chunk.data);
    m_stream.avail_in = chunk.length;
    while (m_stream.avail_in > 0 && m_stream.avail_out > 0) {
      const int status = inflate(&m_stream, Z_NO_FLUSH);
      if (status == Z_STREAM_END) {
        m_ended = true;
        break;
      }
      if (status != Z_OK) return false;
    }
    return true;
  }
  bool Complete() const { return m_stream.avail_out == 0; }
  unsigned char* Rows() { return m_rows.get(); }

 private:
  std::unique_ptr<unsigned char[]> m_rows;
  z_stream m_stream{};
  std::unique_ptr<z_stream, InflateCloser> m_open;  // after the stream: ends it before it goes
  bool m_ended = false;
};

bool IsCritical(std::string_view type) { return (type[0] & 0x20) == 0; }

}  // namespace

PngDecodeResult DecodePng(std::string_view bytes, const PixelTarget& target) {
  if (bytes.substr(0, kSignature.size()) != kSignature) return PngDecodeResult::kNotPng;
  // Every chunk is checked before anything is allocated for the image.
  std::vector<Chunk> chunks;
  size_t compressed = 0;
  for (ChunkReader reader(bytes); !reader.AtEnd();) {
    std::optional<Chunk> chunk = reader.Next();
    if (!chunk) return PngDecodeResult::kDamaged;
    if (chunk->type == "IEND") break;
    if (chunk->type == "IDAT") compressed += chunk->length;
    chunks.push_back(*chunk);
  }
  if (chunks.empty()) return PngDecodeResult::kDamaged;
  Header header;
  if (const PngDecodeResult read = ReadHeader(chunks.front(), header); read != PngDecodeResult::kOk) return read;
  const size_t row_bytes = static_cast<size_t>(header.width) * header.channels + 1;
  const size_t image_bytes = row_bytes * header.height;
  // No deflate stream expands more than this: a few bytes cannot claim a huge image.
  if (compressed * kMaxDeflateExpansion < image_bytes) return PngDecodeResult::kDamaged;

  Colours colours;
  ImageData data(image_bytes);
  bool seen_data = false;
  for (size_t i = 1; i < chunks.size(); ++i) {
    const Chunk& chunk = chunks[i];
    if (chunk.type == "IDAT") {
      seen_data = true;
      if (!data.Add(chunk)) return PngDecodeResult::kDamaged;
    } else if (chunk.type == "PLTE") {
      if (seen_data || colours.palette_size != 0) return PngDecodeResult::kDamaged;
      if (const PngDecodeResult read = ReadPalette(chunk, colours); read != PngDecodeResult::kOk) return read;
    } else if (chunk.type == "tRNS") {
      if (!seen_data) ReadTransparency(chunk, header, colours);
    } else if (chunk.type == "IHDR") {
      return PngDecodeResult::kDamaged;
    } else if (IsCritical(chunk.type)) {
      return PngDecodeResult::kUnsupported;
    }
  }
  if (!data.Complete() || (header.colour_type == kPalette && colours.palette_size == 0)) {
    return PngDecodeResult::kDamaged;
  }
  if (!Unfilter(data.Rows(), header)) return PngDecodeResult::kDamaged;
  uint32_t* pixels = target(header.width, header.height);
  if (!pixels) return PngDecodeResult::kTooLarge;
  return ToPixels(data.Rows(), header, colours, pixels) ? PngDecodeResult::kOk : PngDecodeResult::kDamaged;
}

PngDecodeResult DecodePng(std::string_view bytes, DecodedPixels& out) {
  const PngDecodeResult result = DecodePng(bytes, [&out](int width, int height) {
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    return out.pixels.data();
  });
  if (result != PngDecodeResult::kOk) out = {};
  return result;
}

}  // namespace tw::ux
