// A plain GET for the tests' control requests to the peers: straight
// through libcurl, whatever proxy or rewriting the code under test uses.
#pragma once

#include <string>

namespace tw::test {

// The body, or nothing on any failure.
bool DirectGet(const std::string& url, std::string& body);

}  // namespace tw::test
