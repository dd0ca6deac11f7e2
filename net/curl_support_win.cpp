#include "net/curl_support.h"

namespace tw {

UniqueCurlSlist MakeHeaders(HeaderSet set) {
  const char* contentType = set == HeaderSet::kForm ? "Content-Type: application/x-www-form-urlencoded"
                                                    : "Content-Type: application/octet-stream";
  curl_slist* list = curl_slist_append(nullptr, contentType);
  list = curl_slist_append(list, "User-Agent: Mozilla/4.0");
  if (set != HeaderSet::kOctetShort) list = curl_slist_append(list, "Accept: */*");
  return UniqueCurlSlist(list);
}

size_t MemorySink::Write(char* data, size_t size, size_t count, void* self) {
  auto* sink = static_cast<MemorySink*>(self);
  const size_t bytes = size * count;
  if (bytes > kMaxBodyBytes - sink->m_size) return 0;
  sink->m_chunks.emplace_back(data, bytes);
  sink->m_size += bytes;
  return bytes;
}

std::string MemorySink::Join() const {
  std::string joined;
  joined.reserve(m_size);
  for (const std::string& chunk : m_chunks) joined += chunk;
  return joined;
}

}  // namespace tw
