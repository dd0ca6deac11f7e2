// Which language block of a version resource to read: the user's own
// language first, then a relative of it, then neutral, then English.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw {

struct VersionTranslation {
  uint16_t language = 0;
  uint16_t codePage = 0;
};

// Index into `translations` (0 when it is empty).
size_t ChooseTranslation(const std::vector<VersionTranslation>& translations, uint16_t userLanguage);

}  // namespace tw
