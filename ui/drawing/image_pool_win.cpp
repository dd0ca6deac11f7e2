#include "ui/drawing/image_pool_win.h"

#include <algorithm>
#include <cstring>

#include <vector>

#include "platform/win/com_win.h"
#include "platform/win/unique_handle_win.h"
#include "ui/drawing/gdiplus_win.h"
#include "ui/drawing/png_decode.h"
#include "ui/drawing/ux_resource_win.h"

namespace tw::ux::win {

namespace {

uint32_t Unpremultiply(uint32_t pargb) {
  const uint32_t a = pargb >> 24;
  if (a == 255 || a == 0) return a == 0 ? 0 : pargb;
  const uint32_t r = std::min<uint32_t>(255, ((pargb >> 16) & 0xFF) * 255 / a);
  const uint32_t g = std::min<uint32_t>(255, ((pargb >> 8) & 0xFF) * 255 / a);
  const uint32_t b = std::min<uint32_t>(255, (pargb & 0xFF) * 255 / a);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// Copies a GDI+ bitmap's pixels into a new premultiplied DIB.
std::shared_ptr<GdiImage> FromGdiplus(Gdiplus::Bitmap& source) {
  const int width = static_cast<int>(source.GetWidth());
  const int height = static_cast<int>(source.GetHeight());
  if (width <= 0 || height <= 0) return nullptr;
  auto image = GdiImage::Create(width, height);
  if (!image) return nullptr;
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data{};
  if (source.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return nullptr;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
    uint32_t* out = image->Bits() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) out[x] = PremultipliedArgb(row[x]);
  }
  source.UnlockBits(&data);
  return image;
}

// A GDI+ bitmap with straight alpha made from premultiplied pixels.
std::unique_ptr<Gdiplus::Bitmap> ToGdiplus(const GdiImage& image) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(image.Width(), image.Height(), PixelFormat32bppARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Rect all(0, 0, image.Width(), image.Height());
  Gdiplus::BitmapData data{};
  if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return nullptr;
  for (int y = 0; y < image.Height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + y * data.Stride);
    const uint32_t* in = image.Bits() + static_cast<size_t>(y) * image.Width();
    for (int x = 0; x < image.Width(); ++x) row[x] = Unpremultiply(in[x]);
  }
  bitmap->UnlockBits(&data);
  return bitmap;
}

bool PngEncoder(CLSID& clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType && lstrcmpiW(codecs[i].MimeType, L"image/png") == 0) {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// A bitmap resource (RT_BITMAP) drawn into an opaque premultiplied DIB.
std::shared_ptr<GdiImage> BitmapResource(HMODULE module, int id) {
  const tw::win::UniqueBitmap loaded(::LoadBitmapW(module, MAKEINTRESOURCEW(id)));
  if (!loaded) return nullptr;
  BITMAP info{};
  ::GetObjectW(loaded.Get(), sizeof info, &info);
  std::shared_ptr<GdiImage> dib = GdiImage::Create(info.bmWidth, info.bmHeight);
  if (dib) {
    {
      const tw::win::WindowDc screen(nullptr);
      const tw::win::BitmapDc from(loaded.Get(), screen.Get()), to(dib->Bitmap(), screen.Get());
      ::BitBlt(to.Get(), 0, 0, info.bmWidth, info.bmHeight, from.Get(), 0, 0, SRCCOPY);
    }
    for (int i = 0; i < info.bmWidth * info.bmHeight; ++i) dib->Bits()[i] |= 0xFF000000u;
  }
  return dib;
}

}  // namespace

GdiImage::~GdiImage() = default;

std::shared_ptr<GdiImage> GdiImage::Create(int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  std::memset(bits, 0, static_cast<size_t>(width) * height * 4);
  return std::make_shared<GdiImage>(bitmap, bits, width, height);
}

std::shared_ptr<GdiImage> DecodeWithGdiplus(const std::string& bytes) {
  if (bytes.empty() || !EnsureGdiplus()) return nullptr;
  // A memory stream of COM's own (the shell's would add a library to the start).
  tw::win::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()))) return nullptr;
  ULONG written = 0;
  if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) || written != bytes.size() ||
      FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) {
    return nullptr;
  }
  Gdiplus::Bitmap decoded(stream.Get());
  return decoded.GetLastStatus() == Gdiplus::Ok ? FromGdiplus(decoded) : nullptr;
}

std::shared_ptr<GdiImage> DecodeImage(const std::string& bytes) {
  std::shared_ptr<GdiImage> image;
  const PngDecodeResult result = DecodePng(bytes, [&image](int width, int height) -> uint32_t* {
    image = GdiImage::Create(width, height);
    return image ? image->Bits() : nullptr;
  });
  switch (result) {
    case PngDecodeResult::kOk: return image;
    case PngDecodeResult::kNotPng:
    case PngDecodeResult::kUnsupported: return DecodeWithGdiplus(bytes);
    case PngDecodeResult::kDamaged:
    case PngDecodeResult::kTooLarge: return nullptr;
  }
  return nullptr;
}

bool SavePng(const GdiImage& image, const std::wstring& path) {
  CLSID clsid;
  if (!EnsureGdiplus() || !PngEncoder(clsid)) return false;
  auto bitmap = ToGdiplus(image);
  return bitmap && bitmap->Save(path.c_str(), &clsid, nullptr) == Gdiplus::Ok;
}

std::shared_ptr<UxImage> UxImagePools::Cached(std::map<int, std::shared_ptr<UxImage>>& pool, int id,
                                              const wchar_t* type) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (auto found = pool.find(id); found != pool.end()) return found->second;
  std::optional<std::string> bytes = UxResource::Instance().Load(id, type);
  if (!bytes) return nullptr;
  std::shared_ptr<UxImage> image = DecodeImage(*bytes);
  if (image) pool.emplace(id, image);  // a failed decode is tried again next time
  return image;
}

size_t UxImagePools::DecodedBytes() {
  std::lock_guard<std::mutex> hold(m_lock);
  size_t bytes = 0;
  auto add = [&bytes](const auto& pool) {
    for (const auto& entry : pool) bytes += static_cast<size_t>(entry.second->Width()) * entry.second->Height() * 4;
  };
  add(m_png);
  add(m_jpg);
  add(m_bmp);
  add(m_files);
  return bytes;
}

std::shared_ptr<UxImage> UxImagePools::Bitmap(int id) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (auto found = m_bmp.find(id); found != m_bmp.end()) return found->second;
  const UxResource& resources = UxResource::Instance();
  std::shared_ptr<UxImage> image;
  if (HMODULE module = resources.ResourceModule()) image = BitmapResource(module, id);
  if (!image) image = BitmapResource(::GetModuleHandleW(nullptr), id);
  if (!image) {
    if (std::optional<std::string> bytes = resources.PrimaryFile(std::to_wstring(id) + L".bmp")) {
      image = DecodeImage(*bytes);
    }
  }
  if (image) m_bmp.emplace(id, image);
  return image;
}

std::shared_ptr<UxImage> UxImagePools::File(std::wstring_view name) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (auto found = m_files.find(name); found != m_files.end()) return found->second;
  std::optional<std::string> bytes = UxResource::Instance().PrimaryFile(name);
  std::shared_ptr<UxImage> image = bytes ? DecodeImage(*bytes) : nullptr;
  if (image) m_files.emplace(std::wstring(name), image);
  return image;
}

std::shared_ptr<UxImage> UxImagePools::ScaledToWidth(const std::shared_ptr<UxImage>& image, int width) {
  auto* source = dynamic_cast<GdiImage*>(image.get());
  if (!source || width <= 0 || !EnsureGdiplus()) return nullptr;
  const int height = std::max(1, source->Height() * width / std::max(1, source->Width()));
  auto scaled = GdiImage::Create(width, height);
  auto straight = ToGdiplus(*source);
  if (!scaled || !straight) return nullptr;
  Gdiplus::Bitmap target(width, height, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&target);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(straight.get(), 0, 0, width, height);
  }
  return FromGdiplus(target);
}

std::shared_ptr<UxImage> UxImagePools::RotatedFlipped(const std::shared_ptr<UxImage>& image, int rotate_flip) {
  auto* source = dynamic_cast<GdiImage*>(image.get());
  if (!source || !EnsureGdiplus()) return nullptr;
  auto straight = ToGdiplus(*source);
  if (!straight || straight->RotateFlip(static_cast<Gdiplus::RotateFlipType>(rotate_flip)) != Gdiplus::Ok)
    return nullptr;
  return FromGdiplus(*straight);
}

}  // namespace tw::ux::win
