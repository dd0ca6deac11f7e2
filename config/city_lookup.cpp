#include "config/city_lookup.h"

#include <zlib.h>

#include <cctype>

namespace tw {
namespace {

void Scramble(std::string& bytes, size_t from) {
  for (size_t i = from; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ kCityLookupKey[(i - from) % 16]);
}

uint32_t Crc(std::string_view bytes) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

}  // namespace

std::string BuildCityRequest(std::string_view identifierUtf8) {
  std::string request(28, '\0');
  request[0] = 28;
  for (size_t i = 0; i < 16 && i < identifierUtf8.size(); ++i) request[8 + i] = identifierUtf8[i];
  Scramble(request, 6);
  const uint32_t crc = Crc(std::string_view(request).substr(6));
  for (int i = 0; i < 4; ++i) request[2 + i] = static_cast<char>(crc >> (8 * i));
  return request;
}

std::optional<std::string> ParseCityAnswer(std::string_view answer) {
  if (answer.size() < 7) return std::nullopt;
  uint32_t crc = 0;
  for (int i = 0; i < 4; ++i) crc |= static_cast<uint32_t>(static_cast<unsigned char>(answer[2 + i])) << (8 * i);
  if (crc != Crc(answer.substr(6))) return std::nullopt;
  std::string text(answer.substr(6));
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(text[i] ^ kCityLookupKey[i % 16]);
  if (text.size() >= 2 && (text[0] == '1' || text[0] == '2') && text[1] == '#') return std::nullopt;
  return text;
}

}  // namespace tw
