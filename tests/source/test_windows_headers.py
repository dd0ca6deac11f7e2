"""A header that needs the Windows headers says so in its name (`_win.h`):
the portable layers, the native tests and the fuzz targets may include any
other header and still build on Linux. A portable header may offer a
Windows branch, but only behind `#if defined(_WIN32)`."""
import re
import unittest

from tests.source.sources import source_files

# The system headers that exist only in the Windows SDK.
WINDOWS_HEADER = re.compile(
    r"#\s*include\s*<(windows|winsock2|ws2tcpip|objbase|objidl|unknwn|wtypes|windef|ole2|oleauto|wincrypt|shlobj|"
    r"shellapi|shlwapi|commctrl|gdiplus|tlhelp32|psapi|iphlpapi|wtsapi32|userenv|sddl|aclapi|winternl|winhttp|"
    r"wininet|dbghelp|netfw|wbemidl|comdef|dwmapi|uxtheme|mmsystem|setupapi|cfgmgr32|versionhelpers|winver|winreg|"
    r"winbase|winuser|wingdi)\.h>", re.IGNORECASE)
WINDOWS_BRANCH = re.compile(r"#\s*(if\s+defined\s*\(?\s*_WIN32|ifdef\s+_WIN32)")
CONDITIONAL = re.compile(r"#\s*(if|ifdef|ifndef|elif|else|endif)\b")


def unguarded_windows_includes(text):
    """Line numbers of Windows includes outside a `_WIN32` branch."""
    found, branches = [], []
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.strip()
        if CONDITIONAL.match(stripped):
            keyword = CONDITIONAL.match(stripped).group(1)
            if keyword in ("if", "ifdef", "ifndef"):
                branches.append(bool(WINDOWS_BRANCH.match(stripped)))
            elif keyword in ("elif", "else") and branches:
                branches[-1] = False
            elif keyword == "endif" and branches:
                branches.pop()
        elif WINDOWS_HEADER.match(stripped) and not any(branches):
            found.append(number)
    return found


def portable_headers_that_need_windows():
    found = []
    for relative, path in source_files((".h",)):
        if relative.endswith("_win.h"):
            continue
        for number in unguarded_windows_includes(path.read_text(encoding="utf-8", errors="replace")):
            found.append(f"{relative}:{number}")
    return found


class WindowsHeadersTest(unittest.TestCase):
    def test_every_header_that_needs_windows_is_named_win(self):
        self.assertEqual(portable_headers_that_need_windows(), [], "name the header *_win.h or guard the include")

    def test_the_check_tells_a_guarded_include_from_a_bare_one(self):
        cases = [
            ("#include <windows.h>\n", [1]),
            ("#include <string>\n#include <Winsock2.h>\n", [2]),
            ("#if defined(_WIN32)\n#include <windows.h>\n#else\nusing HRESULT = int;\n#endif\n", []),
            ("#ifdef _WIN32\n#include <windows.h>\n#endif\n#include <objbase.h>\n", [4]),
            ("#if defined(_WIN32)\n#else\n#include <windows.h>\n#endif\n", [3]),
            ("#include <cwchar>\n", []),
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(unguarded_windows_includes(text), expected)


if __name__ == "__main__":
    unittest.main()
