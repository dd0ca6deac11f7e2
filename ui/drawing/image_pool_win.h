// The image caches: PNG resources decoded by the framework's own reader (GDI+
// takes the PNGs it does not read) and JPEG ones by GDI+, from memory,
// bitmaps by LoadBitmap, each turned once into a premultiplied 32-bit DIB so
// that every paint is a plain AlphaBlend. A failed decode is not kept.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/win/gdi_handles_win.h"
#include "ui/drawing/canvas.h"

namespace tw::ux::win {

// A premultiplied, top-down 32-bit DIB section.
class GdiImage : public UxImage {
 public:
  GdiImage(HBITMAP bitmap, void* bits, int width, int height) noexcept
      : m_bitmap(bitmap), m_bits(static_cast<uint32_t*>(bits)), m_width(width), m_height(height) {}
  ~GdiImage() override;
  GdiImage(const GdiImage&) = delete;
  GdiImage& operator=(const GdiImage&) = delete;

  int Width() const override { return m_width; }
  int Height() const override { return m_height; }
  HBITMAP Bitmap() const noexcept { return m_bitmap.Get(); }
  const uint32_t* Bits() const noexcept { return m_bits; }
  uint32_t* Bits() noexcept { return m_bits; }

  // A blank (fully transparent) image of the size; null when GDI refuses.
  static std::shared_ptr<GdiImage> Create(int width, int height);

 private:
  tw::win::UniqueBitmap m_bitmap;
  uint32_t* m_bits;
  int m_width;
  int m_height;
};

// Decodes encoded image bytes (PNG, JPEG, BMP): PNGs the framework's reader
// takes without GDI+, the rest with it. A damaged or oversized PNG gives null.
std::shared_ptr<GdiImage> DecodeImage(const std::string& bytes);
// The same with GDI+ alone.
std::shared_ptr<GdiImage> DecodeWithGdiplus(const std::string& bytes);
// Encodes premultiplied pixels as a PNG file (straight alpha) with GDI+.
[[nodiscard]] bool SavePng(const GdiImage& image, const std::wstring& path);

class UxImagePools : public IUxImageSource {
 public:
  std::shared_ptr<UxImage> Png(int id) override { return Cached(m_png, id, L"png"); }
  std::shared_ptr<UxImage> Jpg(int id) override { return Cached(m_jpg, id, L"jpg"); }
  // A bitmap resource of the resource module, then of the executable, then
  // "<id>.bmp" in the resource folder.
  std::shared_ptr<UxImage> Bitmap(int id) override;
  std::shared_ptr<UxImage> File(std::wstring_view name) override;
  std::shared_ptr<UxImage> ScaledToWidth(const std::shared_ptr<UxImage>& image, int width) override;
  std::shared_ptr<UxImage> RotatedFlipped(const std::shared_ptr<UxImage>& image, int rotate_flip) override;

  // The pixels the pools hold (4 bytes each): what decoded images cost.
  size_t DecodedBytes();

 private:
  std::shared_ptr<UxImage> Cached(std::map<int, std::shared_ptr<UxImage>>& pool, int id, const wchar_t* type);

  std::mutex m_lock;
  std::map<int, std::shared_ptr<UxImage>> m_png;
  std::map<int, std::shared_ptr<UxImage>> m_jpg;
  std::map<int, std::shared_ptr<UxImage>> m_bmp;
  std::map<std::wstring, std::shared_ptr<UxImage>, std::less<>> m_files;
};

}  // namespace tw::ux::win
