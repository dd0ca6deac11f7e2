// The skin, style and string documents: whatever the text, loading merges
// what it can and every skin it made draws only inside its image.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/ux_fuzz_support.h"
#include "ui/drawing/skin.h"
#include "ui/base/string_table.h"
#include "ui/drawing/style.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tw::ux;
  static fuzz::CheckingCanvas canvas;
  static fuzz::AnyImages images;
  SetImageSource(&images);
  const std::string text(reinterpret_cast<const char*>(data), size);
  UxSkinPool& skins = UxSkinPool::Instance();
  skins.Clear();
  (void)skins.LoadDocument(text);
  for (const char* name : {"a", "b", "c", "x", ""}) {
    if (CUxSkinBase* skin = skins.Find(name)) {
      for (int state : {-1, 0, 1, 5, 31}) {
        skin->DrawSkin(canvas, {0, 0, 37, 19}, state, false, 255);
        skin->DrawSkin(canvas, {5, 5, 6, 300}, state, false, 128);
        skin->DrawImage(canvas, {0, 0, 600, 4}, state, 255);
        skin->DrawImageMode(canvas, {0, 0, 12, 12}, state, 1);
      }
      skin->SkinFrameSize();
    }
  }
  UxStylePool::Instance().Reset();
  (void)UxStylePool::Instance().LoadDocument(text);
  UxStylePool::Instance().Find("a");
  UxString::Instance().Clear();
  (void)UxString::Instance().LoadDocument(text);
  std::wstring wide(text.begin(), text.end());
  ExpandStringTokens(wide, UxString::Instance());
  return 0;
}
