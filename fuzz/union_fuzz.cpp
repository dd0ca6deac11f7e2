// The union file is downloaded: any bytes must unmask to some text or none
// and that text must parse or fail cleanly.
#include <tinyxml2.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "survey/union_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = anti_cheat::UnmaskUnionConfig(std::string_view(reinterpret_cast<const char*>(data), size));
  if (text) {
    if (text->size() + 4 > size) __builtin_trap();
    tinyxml2::XMLDocument document;
    document.Parse(text->c_str(), text->size());
  }
  return 0;
}
