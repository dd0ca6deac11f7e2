// Plain requests for the tests' control messages to the peers: straight
// through libcurl, whatever proxy or rewriting the code under test uses.
#pragma once

#include <string>

namespace tw::test {

// The body, or nothing on any failure.
bool DirectGet(const std::string& url, std::string& body);
// Posts `body` as it is; the answer's body goes to `answer` when given.
bool DirectPost(const std::string& url, const std::string& body, std::string* answer = nullptr);

}  // namespace tw::test
