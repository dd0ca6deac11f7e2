// The city lookup answer is parsed from a network peer: hostile text must
// give an error, never a crash; what parses must write and parse again to
// the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ux_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  cf::UxJson::Document document;
  if (!document.Parse(text)) {
    if (document.GetError().code == 0 || document.GetError().line < 1) __builtin_trap();
    return 0;
  }
  const std::wstring compact = document.ToString(false, 0);
  document.ToString(true, 3);
  cf::UxJson::Document again;
  if (!again.Parse(compact) || again.ToString(false, 0) != compact) __builtin_trap();
  return 0;
}
