"""Reads decoded telemetry records as an operator does: one line per record,
then one summary per install (a machine's run of one channel and trial):
the steps it reached, the failures by code, how it ended.

  python3 -m operators.telemetry_reader records.json
  python3 -m operators.telemetry_reader --url http://127.0.0.1:18081/_peer/records

The input is the list the telemetry peer keeps (GET /_peer/records, or the
file the demo writes): each record has "time", "ok" and the decoded "blocks".
"""
import argparse
import json
import re
import sys
import time
import urllib.request
from collections import OrderedDict
from pathlib import Path

TABLE_NAMES = {4: "public", 7706: "step", 4680: "detail", 6139: "final", 3806: "crash", 4033: "self-update",
               3769: "parents", 7787: "window"}

ROAD_CODES = Path(__file__).resolve().parents[1] / "install" / "road_codes.h"


def road_constants(header: Path = ROAD_CODES) -> dict:
    """The constants of the header's "Steps." and "Results." groups:
    {group: [(identifier, number, name)]}, in the header's order."""
    groups = {"Steps.": [], "Results.": []}
    current = None
    for line in header.read_text(encoding="utf-8").splitlines():
        heading = re.match(r"//\s*(Steps\.|Results\.)\s*$", line.strip())
        if heading:
            current = groups[heading.group(1)]
            continue
        if not line.strip():
            current = None
        elif current is not None and line.startswith("constexpr"):
            constant = re.match(r"constexpr int (k\w+) = (\d+);\s*//\s*(.+)$", line.strip())
            if not constant:
                raise ValueError(f"{header}: a code without its name: {line.strip()}")
            current.append((constant.group(1), int(constant.group(2)), constant.group(3).strip()))
    return groups


def road_names(header: Path = ROAD_CODES) -> tuple:
    """(step names, result meanings) by number, from the installer's own
    header: each constant of its "Steps." and "Results." groups with the
    comment after it."""
    groups = road_constants(header)
    steps, results = {}, {}
    for names, group in ((steps, "Steps."), (results, "Results.")):
        for _, number, name in groups[group]:
            names.setdefault(number, name)
    return steps, results


# The road's steps as the step records number them, and what a step's
# result code means.
STEP_NAMES, RESULTS = road_names()

# What a detail record (table 4680) of the download step (40) says, by kind.
DOWNLOAD_DETAILS = {1: "timed out, the resumable downloader takes over", 2: "the resumable downloader failed",
                    3: "bytes continued from an earlier run and fetched now",
                    4: "a web page (a sign-in portal's) instead of the package"}

# Fields that say nothing to an operator (fixed values, padding).
QUIET = ("zero", "reserved", "one", "record_version", "format_tag", "app_key", "machine_key", "send_time")


def _fields(block) -> str:
    return ", ".join(f"{name}={value}" for name, value in block["fields"].items()
                     if value not in ("", None) and not name.startswith(QUIET))


def record_line(record) -> str:
    """One line: when, who, and each report block with its telling fields."""
    stamp = time.strftime("%H:%M:%S", time.localtime(record.get("time", 0)))
    if not record.get("ok", True):
        return f"{stamp} damaged packet: {record.get('error', '?')}"
    public = next((b["fields"] for b in record["blocks"] if b["table"] == 4), {})
    who = f"{public.get('company_id', '?')}/{public.get('tryno_id', '?')}"
    parts = []
    for block in record["blocks"]:
        if block["table"] == 4:
            continue
        name = TABLE_NAMES.get(block["table"], str(block["table"]))
        if block["table"] == 7706:
            step = block["fields"]["step"]
            result = block["fields"]["step_result"]
            meaning = f" ({RESULTS[result]})" if result in RESULTS else ""
            parts.append(f"step {step} ({STEP_NAMES.get(step, '?')}) result {result}{meaning}")
        elif block["table"] == 4680 and block["fields"].get("detail_step") == 40:
            kind = block["fields"].get("detail_kind")
            parts.append(f"detail: download, {DOWNLOAD_DETAILS.get(kind, f'kind {kind}')}: {_fields(block)}")
        else:
            bits = block.get("bits")
            bits = f" bits={''.join(map(str, bits)) if isinstance(bits, list) else bits}" if bits else ""
            parts.append(f"{name}: {_fields(block)}{bits}")
    return f"{stamp} {who} " + "; ".join(parts)


def summarize(records) -> list:
    """Per install (a machine's run), in the order installs first appear: a few lines each."""
    installs = OrderedDict()
    channels = OrderedDict()  # channel: [bytes continued, bytes fetched]
    damaged = 0
    for record in records:
        if not record.get("ok", True):
            damaged += 1
            continue
        public = next((b["fields"] for b in record["blocks"] if b["table"] == 4), {})
        # Records sent before the channel is known (self-update, parents) carry 0/0.
        install = installs.setdefault(public.get("machine_key", "?"), {
            "channel": None, "steps": [], "failures": {}, "final": None, "window": None, "crashes": 0, "details": 0})
        if public.get("company_id") and install["channel"] is None:
            install["channel"] = f"{public['company_id']}/{public.get('tryno_id', '?')}"
        for block in record["blocks"]:
            fields = block["fields"]
            if block["table"] == 7706:
                install["steps"].append(fields["step"])
                if fields["step_result"] != 0:
                    result = fields["step_result"]
                    code = f"step {fields['step']} result {result}" + (f" ({RESULTS[result]})" if result in RESULTS
                                                                          else "")
                    install["failures"][code] = install["failures"].get(code, 0) + 1
            elif block["table"] == 6139:
                install["final"] = fields
            elif block["table"] == 7787:
                install["window"] = fields
            elif block["table"] == 3806:
                install["crashes"] += 1
            elif block["table"] == 4680:
                install["details"] += 1
                counts = continued_and_fetched(fields)
                if counts and install["channel"]:
                    totals = channels.setdefault(install["channel"], [0, 0])
                    totals[0] += counts[0]
                    totals[1] += counts[1]
    lines = []
    for machine, install in installs.items():
        steps = install["steps"]
        last = max(steps) if steps else None
        lines.append(f"install {install['channel'] or '?'} on machine {machine[:12]}…")
        lines.append(f"  steps reached: {', '.join(map(str, steps)) or 'none'}"
                     + (f" (last {last}: {STEP_NAMES.get(last, '?')})" if last is not None else ""))
        failures = ", ".join(f"{code} ×{count}" for code, count in install["failures"].items())
        lines.append(f"  failures: {failures or 'none'}")
        installed = 51 in steps and not install["failures"]
        lines.append(f"  outcome: {'installed' if installed else 'not installed'}"
                     + (", final record sent" if install["final"] else ", no final record")
                     + (f", window outcome {install['window']['outcome']}" if install["window"] else "")
                     + (f", {install['crashes']} crash report(s)" if install["crashes"] else "")
                     + (f", {install['details']} detail record(s)" if install["details"] else ""))
    for channel, (continued, fetched) in channels.items():
        lines.append(f"channel {channel}: {continued} byte(s) continued from earlier runs, {fetched} fetched anew")
    if damaged:
        lines.append(f"{damaged} damaged packet(s) could not be read")
    return lines


def continued_and_fetched(fields):
    """(continued, fetched) of a download's "continued=N fetched=M" detail, or None."""
    if fields.get("detail_step") != 40 or fields.get("detail_kind") != 3:
        return None
    found = re.fullmatch(r"continued=(\d+) fetched=(\d+)", fields.get("detail_text", ""))
    return (int(found.group(1)), int(found.group(2))) if found else None


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file", nargs="?", help="a JSON list of records")
    parser.add_argument("--url", help="a running telemetry peer's /_peer/records")
    options = parser.parse_args(argv)
    if options.url:
        records = json.loads(urllib.request.urlopen(options.url, timeout=30).read())
    elif options.file:
        with open(options.file, encoding="utf-8") as file:
            records = json.load(file)
    else:
        parser.error("give a file or --url")
    for record in records:
        print(record_line(record))
    print()
    print("\n".join(summarize(records)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
