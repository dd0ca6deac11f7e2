// What lets a package download continue in a later run: the bytes already
// fetched, kept under a name made from the package's expected MD5, and a
// small record beside them of what the server said when they were fetched.
// The next run continues only when the server still describes the same
// file (address, length and validators); anything else starts anew. The MD5
// check at the end is the last word either way: a continued file that does
// not verify is deleted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// What the server says of the file (its HEAD, or its answer).
struct ServedFile {
  std::string url;
  int64_t length = 0;        // Content-Length; 0 when unknown
  std::string etag;          // ETag, as sent (quotes included)
  std::string lastModified;  // Last-Modified, as sent
  std::string contentType;   // Content-Type, as sent
};

// The record beside a partial file: "url=", "length=", "etag=",
// "last-modified=" lines.
std::string SerializePartialRecord(const ServedFile& file);
// Nothing when the text is not such a record (a missing line, a length that
// is not a number, a line break inside a value).
std::optional<ServedFile> ParsePartialRecord(std::string_view text);

// Where to continue: the size of the bytes kept, when `kept` describes the
// file the server now describes (`now`) and those bytes can be part of it;
// otherwise 0 (start anew). Continuing needs a known length, the same
// address, length and validators, and at least one validator to send in
// If-Range: without one, a file changed on the server could be spliced.
int64_t ContinueFrom(const std::optional<ServedFile>& kept, int64_t keptBytes, const ServedFile& now);

// The If-Range value of a file: its ETag, else its Last-Modified date.
std::string IfRangeValidator(const ServedFile& file);

// "<md5 in lower case>.part" and its record "<md5>.part.txt"; empty when
// `md5` is not 32 hexadecimal digits (it then names no file).
std::wstring PartialFileName(std::wstring_view md5);
std::wstring PartialRecordName(std::wstring_view md5);

// True when an answer is a web page (a sign-in portal's, an error page's)
// and not the package: its type is text/html, or its length is not the
// one the HEAD announced.
bool IsWebPageInsteadOfFile(const ServedFile& announced, const std::string& answerType, int64_t answerLength);

}  // namespace tw
