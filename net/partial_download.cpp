#include "net/partial_download.h"

#include <cctype>
#include <cstdlib>

namespace tw {
namespace {

constexpr std::string_view kUrl = "url=";
constexpr std::string_view kLength = "length=";
constexpr std::string_view kEtag = "etag=";
constexpr std::string_view kLastModified = "last-modified=";
constexpr size_t kMd5Digits = 32;

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

std::string SerializePartialRecord(const ServedFile& file) {
  return std::string(kUrl) + file.url + "\n" + std::string(kLength) + std::to_string(file.length) + "\n" +
         std::string(kEtag) + file.etag + "\n" + std::string(kLastModified) + file.lastModified + "\n";
}

std::optional<ServedFile> ParsePartialRecord(std::string_view text) {
  ServedFile file;
  bool url = false, length = false, etag = false, lastModified = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // every line ends: a cut record is no record
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    auto take = [&line](std::string_view key, std::string& into, bool& seen) {
      if (line.substr(0, key.size()) != key) return false;
      into = std::string(line.substr(key.size()));
      seen = true;
      return true;
    };
    std::string number;
    if (take(kUrl, file.url, url) || take(kEtag, file.etag, etag) ||
        take(kLastModified, file.lastModified, lastModified)) {
      continue;
    }
    if (!take(kLength, number, length)) return std::nullopt;
    if (number.empty() || number.size() > 18 || number.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    file.length = std::strtoll(number.c_str(), nullptr, 10);
  }
  if (!url || !length || !etag || !lastModified || file.url.find('\r') != std::string::npos) return std::nullopt;
  return file;
}

int64_t ContinueFrom(const std::optional<ServedFile>& kept, int64_t keptBytes, const ServedFile& now) {
  if (!kept || keptBytes <= 0 || now.length <= 0 || keptBytes >= now.length) return 0;
  if (kept->url != now.url || kept->length != now.length) return 0;
  if (kept->etag != now.etag || kept->lastModified != now.lastModified) return 0;
  if (IfRangeValidator(now).empty() || HasLineBreak(IfRangeValidator(now))) return 0;
  return keptBytes;
}

std::string IfRangeValidator(const ServedFile& file) { return !file.etag.empty() ? file.etag : file.lastModified; }

std::wstring PartialFileName(std::wstring_view md5) {
  if (md5.size() != kMd5Digits) return {};
  std::wstring name;
  for (const wchar_t c : md5) {
    if (c > 0x7F || !std::isxdigit(static_cast<unsigned char>(c))) return {};
    name += static_cast<wchar_t>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name + L".part";
}

std::wstring PartialRecordName(std::wstring_view md5) {
  const std::wstring file = PartialFileName(md5);
  return file.empty() ? file : file + L".txt";
}

bool IsWebPageInsteadOfFile(const ServedFile& announced, const std::string& answerType, int64_t answerLength) {
  const std::string type = Lower(answerType);
  if (type.rfind("text/html", 0) == 0) return true;
  return announced.length > 0 && answerLength != announced.length;
}

}  // namespace tw
