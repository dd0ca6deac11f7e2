#include "tests/win/picture_compare_win.h"

#include <cstdlib>
#include <sstream>

#include "tests/win/test_support_win.h"

namespace tw::test {

namespace {

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

}  // namespace

std::wstring WindowsPath(const std::string& unix_path) {
  std::wstring path = L"Z:";
  for (char c : unix_path) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

std::wstring FixturePath(const std::string& relative) { return WindowsPath(TW_FIXTURE_DIR "/" + relative); }

uint32_t PixelAt(const ux::win::GdiImage& image, int x, int y) {
  const uint32_t p = image.Bits()[static_cast<size_t>(y) * image.Width() + x];
  const uint32_t a = p >> 24;
  if (a == 0 || a == 255) return a == 0 ? 0 : p;
  auto un = [&](int shift) { return std::min<uint32_t>(255, ((p >> shift) & 0xFF) * 255 / a); };
  return (a << 24) | (un(16) << 16) | (un(8) << 8) | un(0);
}

::testing::AssertionResult MatchesPicture(const ux::win::GdiImage& image, const std::string& name,
                                          const std::wstring& folder) {
  ::CreateDirectoryW(L"ui-actual", nullptr);
  const std::wstring wide_name(name.begin(), name.end());
  (void)ux::win::SavePng(image, L"ui-actual\\" + wide_name + L".png");
  const std::wstring expected_path = folder + L"\\expected\\" + wide_name + L".png";
  const char* update = std::getenv("TW_UPDATE_PICTURES");
  if (update && std::string(update) == "1") {
    ::CreateDirectoryW((folder + L"\\expected").c_str(), nullptr);
    if (!ux::win::SavePng(image, expected_path)) return ::testing::AssertionFailure() << "could not write " << name;
    return ::testing::AssertionSuccess();
  }
  if (::GetFileAttributesW(expected_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return ::testing::AssertionFailure() << "no expected picture " << name;
  }
  auto expected = ux::win::DecodeImage(ReadWholeFile(expected_path));
  if (!expected) return ::testing::AssertionFailure() << "expected picture " << name << " does not decode";
  if (expected->Width() != image.Width() || expected->Height() != image.Height()) {
    return ::testing::AssertionFailure() << name << ": size " << image.Width() << "x" << image.Height() << ", expected "
                                         << expected->Width() << "x" << expected->Height();
  }
  constexpr int kChannelTolerance = 24;
  const int allowed = image.Width() * image.Height() / 200;  // 0.5 %
  int differing = 0;
  std::ostringstream where;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const uint32_t want = PixelAt(*expected, x, y), have = PixelAt(image, x, y);
      bool same = true;
      for (int shift : {0, 8, 16, 24})
        same = same && std::abs(Channel(want, shift) - Channel(have, shift)) <= kChannelTolerance;
      if (same) continue;
      if (++differing <= 12) {
        where << "\n  (" << x << "," << y << ") expected ARGB " << std::hex << want << " got " << have << std::dec;
      }
    }
  }
  if (differing > allowed) {
    return ::testing::AssertionFailure() << name << ": " << differing << " pixels differ (allowed " << allowed
                                         << "); see ui-actual\\" << name << ".png" << where.str();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace tw::test
