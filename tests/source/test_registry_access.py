"""The installer reads and writes the registry one way: through
platform/win/registry_win, where every key is opened in a view stated by
the caller (a 32-bit process must say which one it means) and every value
is read bounded and typed. A call to the registry API anywhere else in the
product is a second way, with its own mistakes to make."""
import re
import unittest

from tests.source.sources import numbered_lines, source_files

PRODUCT = ("platform/", "net/", "telemetry/", "survey/", "config/", "ui/", "install/", "windows/", "app/")
THE_ONE_WAY = "platform/win/registry_win.cpp"
REGISTRY_CALL = re.compile(r"(?<![\w.>])(?:::)?Reg(?:OpenKeyEx|CreateKeyEx|QueryValueEx|SetValueEx|GetValue|"
                           r"DeleteValue|DeleteKeyEx|DeleteTree|EnumValue|EnumKeyEx|QueryInfoKey)[AW]?\s*\(")


def registry_calls_elsewhere():
    found = []
    for relative, path in source_files():
        if not relative.startswith(PRODUCT) or relative == THE_ONE_WAY:
            continue
        for number, line in numbered_lines(path):
            if REGISTRY_CALL.search(line.split("//")[0]):
                found.append(f"{relative}:{number}: {line.strip()}")
    return found


class RegistryAccessTest(unittest.TestCase):
    def test_the_product_reaches_the_registry_only_through_registry_win(self):
        self.assertEqual(registry_calls_elsewhere(), [], "use platform/win/registry_win.h")

    def test_the_check_sees_a_call(self):
        self.assertTrue(REGISTRY_CALL.search("  ::RegSetValueExW(key, name, 0, REG_SZ, data, size);"))
        self.assertTrue(REGISTRY_CALL.search("if (RegQueryValueExW(k, n, nullptr, &t, b, &s) != 0)"))
        self.assertFalse(REGISTRY_CALL.search("win::ReadRegValue(key.Get(), name, 260);"))


if __name__ == "__main__":
    unittest.main()
