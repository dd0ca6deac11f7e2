"""Every handle, key, GDI object, DC, library, COM reference, allocation
and file of the project is given back by the type that owns it: a call
that releases one by hand anywhere else is a leak or a double release
waiting for the next early return. Reads the C++ sources of the whole
repository (product, tools, benchmarks, fuzz targets and tests)."""
import re
import unittest

from tests.source.sources import numbered_lines, source_files

RELEASES = (
    "CloseHandle", "RegCloseKey", "DeleteObject", "DeleteDC", "ReleaseDC", "FreeLibrary", "CoUninitialize",
    "DestroyIcon", "DestroyCursor", "LocalFree", "GlobalFree", "HeapFree", "VirtualFree", "CloseServiceHandle",
    "WTSFreeMemory", "FindClose", "UnmapViewOfFile", "EndPaint", "CoTaskMemFree", "SysFreeString", "RestoreDC",
    "fclose", "FreeSid", "DestroyEnvironmentBlock", "LeaveCriticalSection", "DeleteCriticalSection",
    "GdiplusShutdown", "CertCloseStore", "CertFreeCertificateContext", "CryptReleaseContext", "curl_easy_cleanup",
    "curl_multi_cleanup", "curl_slist_free_all", "curl_free", "inflateEnd", "deflateEnd", "free", "closesocket",
    "CloseDesktop", "CloseWindowStation", "DestroyMenu", "ImageList_Destroy")
CALL = re.compile(r"(?<![\w.>])(?:::|std::|Gdiplus::)?(" + "|".join(RELEASES) + r"|mbedtls_\w+_free)\s*\(|->Release\(\)"
                  r"|(?<![=\w])\bdelete\b(?!\s*;)")

# The owning types themselves: the one place each release is written.
OWNERS = {
    "platform/win/unique_handle_win.h": "handles, keys, libraries, views, finds, local memory",
    "platform/win/gdi_handles_win.h": "window DCs, selections, saved states, paint scopes",
    "platform/win/com_win.h": "apartments, interface pointers, task memory, BSTRs",
    "platform/file_open.h": "stdio files",
    "platform/crypto_owners.h": "Mbed TLS big numbers and MD5 contexts",
    "net/curl_support.h": "libcurl handles and header lists",
    "tests/win/platform_defences_test.cpp": "a GDI+ session owned by a local type",
}
# A deleter for std::unique_ptr is an owning type of its own: a struct named
# for what it does whose call operator is the line after its name.
DELETER_NAME = re.compile(r"^\s*struct \w+(Deleter|Freer|Closer) \{\s*$")
DELETER = re.compile(r"^\s*void operator\(\)\(")
STRING = re.compile(r'"(?:\\.|[^"\\])*"')


def code_of(line):
    """The line without its comment; a "//" inside a string is no comment."""
    return STRING.sub('""', line).split("//")[0]


def hand_written_releases():
    found = []
    for relative, path in source_files():
        if relative in OWNERS:
            continue
        previous = ""
        for number, line in numbered_lines(path):
            code = code_of(line)
            deleter = DELETER.search(code) and DELETER_NAME.search(previous)
            if CALL.search(code) and not deleter:
                found.append(f"{relative}:{number}: {line.strip()}")
            previous = code
    return found


class ResourceOwnershipTest(unittest.TestCase):
    def test_nothing_is_released_by_hand_outside_its_owning_type(self):
        self.assertEqual(hand_written_releases(), [], "release through an owning type instead")

    def test_the_check_sees_a_release_written_by_hand(self):
        self.assertTrue(CALL.search("  ::CloseHandle(event);"))
        self.assertTrue(CALL.search("stream->Release();"))
        self.assertTrue(CALL.search("if (file) std::fclose(file);"))
        self.assertFalse(CALL.search("token.Release();"), "giving up ownership is no release")
        self.assertFalse(CALL.search("using Deleter = decltype(&::FreeSid);"))
        self.assertTrue(DELETER.search("void operator()(FILE* file) const { std::fclose(file); }"))
        self.assertTrue(CALL.search("  ~Number() { mbedtls_mpi_free(&m_value); }"))
        self.assertTrue(CALL.search("  delete candidate;"), "a delete by hand")
        self.assertFalse(CALL.search("  Foo(const Foo&) = delete;"))
        self.assertTrue(CALL.search(code_of('  Log("a // b"); ::CloseHandle(h);')), "a // inside a string")


if __name__ == "__main__":
    unittest.main()
