// The framework's PNG reader against GDI+ under Wine: every image the
// installer ships (its art at both sizes) and every picture the tests keep
// decodes to the very pixels GDI+ gives, so no page changes with the decoder.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/win/picture_compare_win.h"
#include "tests/win/test_support_win.h"
#include "ui/drawing/image_pool_win.h"
#include "ui/drawing/png_decode.h"

namespace tw::ux {
namespace {

std::vector<std::filesystem::path> PngFilesUnder(const std::wstring& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == L".png") files.push_back(entry.path());
  }
  return files;
}

// Both decoders agree on the pixels, and on refusing a damaged file (the
// tests keep one that only starts like a PNG).
void ExpectSameAsGdiplus(const std::filesystem::path& file) {
  SCOPED_TRACE(file.string());
  const std::string bytes = test::ReadWholeFile(file.wstring());
  DecodedPixels own;
  const PngDecodeResult result = DecodePng(bytes, own);
  const auto by_gdiplus = win::DecodeWithGdiplus(bytes);
  if (result == PngDecodeResult::kDamaged) {
    EXPECT_EQ(by_gdiplus, nullptr);
    return;
  }
  ASSERT_EQ(result, PngDecodeResult::kOk);
  ASSERT_NE(by_gdiplus, nullptr);
  ASSERT_EQ(own.width, by_gdiplus->Width());
  ASSERT_EQ(own.height, by_gdiplus->Height());
  const std::vector<uint32_t> expected(by_gdiplus->Bits(),
                                       by_gdiplus->Bits() + static_cast<size_t>(own.width) * own.height);
  EXPECT_TRUE(own.pixels == expected);
}

TEST(UiImageDecodeTest, EveryShippedImageIsReadWithoutGdiplusToTheSamePixels) {
  const std::vector<std::filesystem::path> art = PngFilesUnder(test::WindowsPath(TW_ART_DIR));
  ASSERT_GE(art.size(), 60u) << "the art at both sizes";
  for (const auto& file : art) {
    DecodedPixels own;
    EXPECT_EQ(DecodePng(test::ReadWholeFile(file.wstring()), own), PngDecodeResult::kOk) << file.string();
    ExpectSameAsGdiplus(file);
  }
}

TEST(UiImageDecodeTest, EveryKeptPictureDecodesAsGdiplusDecodesIt) {
  const std::vector<std::filesystem::path> kept = PngFilesUnder(test::FixturePath(""));
  ASSERT_GE(kept.size(), 20u);
  for (const auto& file : kept) ExpectSameAsGdiplus(file);
}

}  // namespace
}  // namespace tw::ux
