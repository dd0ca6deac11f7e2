#include "platform/version_translation.h"

namespace tw {

size_t ChooseTranslation(const std::vector<VersionTranslation>& translations, uint16_t userLanguage) {
  const auto firstWhere = [&](auto matches) -> size_t {
    for (size_t i = 0; i < translations.size(); ++i) {
      if (matches(translations[i].language)) return i;
    }
    return translations.size();
  };
  const uint16_t userLow = userLanguage & 0xFF;
  size_t chosen = firstWhere([&](uint16_t language) { return language == userLanguage; });
  if (chosen == translations.size())
    chosen = firstWhere([&](uint16_t language) { return (language & 0xFF) == userLow; });
  if (chosen == translations.size()) chosen = firstWhere([](uint16_t language) { return (language & 0xFF) == 0; });
  if (chosen == translations.size()) chosen = firstWhere([](uint16_t language) { return (language & 0xFF) == 9; });
  return chosen == translations.size() ? 0 : chosen;
}

}  // namespace tw
