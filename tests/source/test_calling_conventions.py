"""Function pointers that cross into a library go through a door that checks
their calling convention. Only the 32-bit file has more than one convention,
and a WINAPI function called as cdecl (or the reverse) corrupts the stack
there while its 64-bit twin runs: so a library's function is looked up only
through `GetProc<Fn>` (which accepts only WINAPI pointer types) and a libcurl
callback, which libcurl takes through varargs, is set only through the
setters that take the type libcurl calls (`net/curl_support.h`)."""
import re
import unittest

from tests.source.sources import numbered_lines, source_files

RULES = (
    (re.compile(r"\bGetProcAddress\s*\("), "platform/win/proc_address_win.h", "look it up with GetProc<Fn>"),
    (re.compile(r"(curl_easy_setopt\s*\([^;]*|\.Set\s*\(\s*)CURLOPT_\w+FUNCTION\b"), "net/curl_support.h",
     "set it with SetCallback<Option> or SetCurlCallback<Option>"),
)


def unchecked_crossings(files):
    found = []
    for relative, path in files:
        for number, line in numbered_lines(path):
            for pattern, home, advice in RULES:
                if relative != home and pattern.search(line):
                    found.append(f"{relative}:{number}: {advice}")
    return found


class CallingConventionTest(unittest.TestCase):
    def test_library_functions_and_curl_callbacks_cross_only_through_typed_doors(self):
        self.assertEqual(unchecked_crossings(source_files()), [])

    def test_the_rule_sees_a_bare_lookup_and_a_bare_callback(self):
        lines = {
            "auto f = reinterpret_cast<Fn>(::GetProcAddress(module, \"F\"));": 1,
            "curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Write);": 1,
            "      .Set(CURLOPT_XFERINFOFUNCTION, &Progress)": 1,
            "      .SetCallback<CURLOPT_XFERINFOFUNCTION>(&Progress)": 0,
            "curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);": 0,
            "const auto f = GetProc<Fn>(module, \"F\");": 0,
        }
        for line, count in lines.items():
            with self.subTest(line=line):
                self.assertEqual(len([1 for pattern, _, _ in RULES if pattern.search(line)]), count)
