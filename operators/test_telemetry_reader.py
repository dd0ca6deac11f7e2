"""The operators' telemetry reader over records as the telemetry peer keeps
them: two installs on two machines, one failing at the download, and a
damaged packet."""
import re
import unittest
from pathlib import Path

from operators.telemetry_reader import ROAD_CODES, record_line, road_constants, road_names, summarize


def record(machine, company, blocks, ok=True):
    public = {"table": 4, "bits": "", "fields": {"machine_key": machine, "company_id": company, "tryno_id": 7}}
    return {"time": 0, "ok": ok, "blocks": [public, *blocks]}


def step(number, result=0):
    return {"table": 7706, "bits": "", "fields": {"step": number, "step_result": result, "zero8": 0}}


FINAL = {"table": 6139, "bits": "", "fields": {"final_shown": 1, "final_button": 0, "final_completion": 1, "one": 1}}
WINDOW = {"table": 7787, "bits": [0, 0, 0, 1], "fields": {"stay": 12, "record_kind": 1, "zero8": 0, "outcome": 1}}

SELF_UPDATE = {"table": 4033, "bits": "", "fields": {"stage": 2, "code": 0, "subcode": 0, "empty": ""}}

RECORDS = ([record("AAAA", 0, [SELF_UPDATE])]
           + [record("AAAA", 1029, [step(n)]) for n in (0, 11, 20, 21, 30, 31, 40, 41, 50, 51)]
           + [record("AAAA", 1029, [FINAL]), record("AAAA", 1029, [WINDOW])]
           + [record("BBBB", 1029, [step(0)]), record("BBBB", 1029, [step(11)]), record("BBBB", 1029, [step(30)]),
              record("BBBB", 1029, [step(31, 250)]), record("BBBB", 1029, [FINAL])]
           + [{"time": 0, "ok": False, "error": "CRC mismatch", "blocks": []}])


def continued(text):
    return {"table": 4680, "bits": "", "fields": {"origin": 3, "detail_step": 40, "detail_kind": 3,
                                                   "product_state": "", "value_a": 0, "value_b": 1,
                                                   "detail_text": text}}


class TelemetryReaderTest(unittest.TestCase):
    def test_continued_downloads_are_named_and_summed_per_channel(self):
        records = [record("CCCC", 1029, [step(0)]), record("CCCC", 1029, [continued("continued=0 fetched=600")]),
                   record("DDDD", 1029, [step(0)]), record("DDDD", 1029, [continued("continued=600 fetched=400")]),
                   record("EEEE", 2048, [step(0)]), record("EEEE", 2048, [continued("not counts")])]
        self.assertIn("detail: download, bytes continued from an earlier run and fetched now", record_line(records[3]))
        text = "\n".join(summarize(records))
        self.assertIn("channel 1029/7: 600 byte(s) continued from earlier runs, 1000 fetched anew", text)
        self.assertNotIn("channel 2048/7", text)

    def test_one_line_per_record_names_the_step_and_hides_padding(self):
        self.assertIn("1029/7 step 31 (download done) result 250 (download failed)", record_line(RECORDS[16]))
        window = record_line(RECORDS[12])
        self.assertIn("window: stay=12, record_kind=1, outcome=1 bits=0001", window)
        self.assertNotIn("zero8", window)
        self.assertIn("damaged packet: CRC mismatch", record_line(RECORDS[-1]))

    def test_summary_per_install(self):
        text = "\n".join(summarize(RECORDS))
        first, second = text.split("install 1029/7 on machine ")[1:]  # the 0/0 record joins its machine's install
        self.assertIn("last 51: installed", first)
        self.assertIn("failures: none", first)
        self.assertIn("outcome: installed, final record sent, window outcome 1", first)
        self.assertIn("steps reached: 0, 11, 30, 31 (last 31: download done)", second)
        self.assertIn("failures: step 31 result 250 (download failed) ×1", second)
        self.assertIn("outcome: not installed, final record sent", second)
        self.assertTrue(text.endswith("1 damaged packet(s) could not be read"))



class RoadNamesTest(unittest.TestCase):
    """The reader's names come from the installer's own header of codes, read
    against the installer's code that sends them."""

    def test_every_named_step_and_result_is_one_the_installer_uses(self):
        used = installer_identifiers()
        for group, constants in road_constants().items():
            for identifier, number, name in constants:
                self.assertTrue(identifier in used, f"{group} {number} ({name}): a name for a code nothing sends")

    def test_the_names_the_reader_prints_are_the_headers(self):
        steps, results = road_names()
        for group, names in (("Steps.", steps), ("Results.", results)):
            for identifier, number, name in road_constants()[group]:
                self.assertIn(number, names, identifier)
        self.assertEqual(steps[51], "installed")
        self.assertEqual(results[250], "download failed")

    def test_a_constant_without_its_name_is_refused(self):
        import tempfile
        with tempfile.TemporaryDirectory() as folder:
            header = Path(folder) / "codes.h"
            header.write_text("// Steps.\nconstexpr int kStepStart = 0;\n", encoding="utf-8")
            with self.assertRaises(ValueError):
                road_names(header)


def installer_identifiers() -> set:
    """Every identifier the installer's own code (its layers, not the header
    that defines the codes) mentions."""
    repo = Path(__file__).resolve().parents[1]
    found = set()
    for layer in ("platform", "net", "telemetry", "survey", "config", "ui", "install", "windows", "app"):
        for path in (repo / layer).rglob("*"):
            if path.suffix in (".cpp", ".h") and path != ROAD_CODES:
                found.update(re.findall(r"\bk\w+", path.read_text(encoding="utf-8", errors="replace")))
    return found


if __name__ == "__main__":
    unittest.main()
