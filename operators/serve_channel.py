"""Serves one channel on this machine as the vendor's services would, for an
installer built for the same deployment: the configuration (wrapped with
the test key), the package files it points at, the union and
recommendation files, and a telemetry service that prints each record as it
arrives and the summary of every install when stopped (Ctrl-C).

  python3 -m operators.serve_channel my-channel.xml --cid 1029 --file zorn_setup.exe=path/to/setup.exe
  wine setup_1029_7.exe                      # in another shell, same machine
"""
import argparse
import json
import signal
import sys
import threading
from pathlib import Path

from peers.services import PeerSet
from operators.telemetry_reader import record_line, summarize

REPO = Path(__file__).resolve().parents[1]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("channel", type=Path, help="the channel's configuration, plain XML")
    parser.add_argument("--cid", type=int, default=1029)
    parser.add_argument("--file", action="append", default=[], metavar="NAME=PATH",
                        help="served as http://<config host>/files/NAME")
    parser.add_argument("--deployment", type=Path, default=REPO / "deploy" / "local.ini")
    parser.add_argument("--records", type=Path, help="write the decoded records here when stopped")
    options = parser.parse_args(argv)

    stop = threading.Event()
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    with PeerSet(options.deployment, lifetime=24 * 3600) as peers:
        peers["config"].serve_configuration(options.cid, options.channel.read_bytes())
        for pair in options.file:
            name, _, path = pair.partition("=")
            peers["config"].serve_file(name, Path(path).read_bytes())
        print(f"channel {options.cid}: configuration at {peers['config'].base_url}/lminstall3/{options.cid}.json, "
              f"telemetry at {peers['telemetry'].base_url}/c/ — Ctrl-C stops", flush=True)
        shown = 0
        while not stop.is_set():
            peers["telemetry"].wait_for(lambda requests: len(requests) > shown, 0.5)
            records = list(peers["telemetry"].records)
            for record in records[shown:]:
                print(record_line(record), flush=True)
            shown = len(records)
        records = list(peers["telemetry"].records)
        print("\n".join(summarize(records)))
        if options.records:
            options.records.write_text(json.dumps(records, ensure_ascii=False, indent=1), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
