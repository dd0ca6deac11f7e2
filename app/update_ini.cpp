#include "app/update_ini.h"

#include <cctype>

#include "platform/text.h"

namespace tw {
namespace {

constexpr size_t kMaxValueChars = 1023;  // what the service has always fitted in 1024

bool EqualsNoCaseNarrow(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

AuthenticatedIni AuthenticateUpdateIni(std::string_view body, const RsaPublicKey& key, bool overHttps,
                                       bool allowPlain) {
  std::string opened = UnwrapConfiguration(Trim(body), key);
  if (!opened.empty()) return {UpdateIniTrust::kSigned, std::move(opened)};
  if (overHttps) return {UpdateIniTrust::kOverHttps, std::string(body)};
  if (allowPlain) return {UpdateIniTrust::kPlainAllowed, std::string(body)};
  return {};
}

UpdateOffer ReadUpdateOffer(std::string_view iniText) {
  UpdateOffer offer;
  bool inSection = false;
  bool seenUrl = false, seenMd5 = false, seenDir = false, seenProbability = false;
  while (!iniText.empty()) {
    const size_t end = iniText.find('\n');
    std::string_view line = Trim(iniText.substr(0, end));
    iniText = end == std::string_view::npos ? std::string_view() : iniText.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      inSection = close != std::string_view::npos && EqualsNoCaseNarrow(Trim(line.substr(1, close - 1)), "UiExe");
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);  // as GetPrivateProfileString strips one pair of quotes
    }
    value = value.substr(0, kMaxValueChars);
    const auto take = [&](const char* key, bool& seen, std::string& field) {
      if (seen || !EqualsNoCaseNarrow(name, key)) return;
      seen = true;
      field.assign(value);
    };
    take("url", seenUrl, offer.url);
    take("md5", seenMd5, offer.md5);
    take("dir", seenDir, offer.dir);
    if (!seenProbability && EqualsNoCaseNarrow(name, "probability")) {
      seenProbability = true;
      offer.probability = ParseLeadingInt(std::wstring(value.begin(), value.end()));
    }
  }
  return offer;
}

}  // namespace tw
