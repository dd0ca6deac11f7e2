"""The C++ sources stay in the one format `.clang-format` describes, so a
change shows what it changes and not a reflowed neighbourhood."""
import shutil
import subprocess
import unittest

from tests.source.sources import REPO


# One pinned version: another formats some constructs differently, and a
# check that passes or fails with the machine is no check.
CLANG_FORMAT = "clang-format-14"


class FormatTest(unittest.TestCase):
    def test_every_source_is_formatted(self):
        clang_format = shutil.which(CLANG_FORMAT)
        self.assertIsNotNone(clang_format, f"{CLANG_FORMAT} is missing: tools/setup/install-packages.sh installs it")
        files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=REPO, capture_output=True, text=True,
                               check=True).stdout.split()
        unformatted = []
        for start in range(0, len(files), 50):
            batch = files[start:start + 50]
            result = subprocess.run([clang_format, "--dry-run", "-Werror", *batch], cwd=REPO, capture_output=True,
                                    text=True)
            if result.returncode != 0:
                unformatted += sorted({line.split(":")[0] for line in result.stderr.splitlines()
                                       if ": error:" in line})
        self.assertEqual(unformatted, [], "run clang-format -i on these files")


if __name__ == "__main__":
    unittest.main()
