"""Runs the benchmarks and reports each one as a ratio to its baseline.

The executable's size and what takes it (tools/bench/size_bench.py), the
portable core (Google Benchmark, natively), the framework's paint cost, the
window cycles and the start-up under Wine (tools/bench/ui_bench.py), then
the network and the install road under Wine (tools/bench/net_bench.py).
Everything lands in one table, printed at the end and kept in
build/bench/table.txt.

A baseline is measured in the same run on the same input (BM_Baseline_*),
so the ratios compare across machines where raw times would not. Each
measured benchmark names its baseline in BASELINES.
"""
import json
import os
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

from tools.bench import net_bench, size_bench, ui_bench  # noqa: E402
from tools.bench.table import Table  # noqa: E402

BASELINES = {
    "BM_JsonParse": "BM_Baseline_CopyJsonText",
    "BM_JsonWriteCompact": "BM_Baseline_CopyJsonText",
    "BM_ParseSwitches": "BM_Baseline_CopyCommandLine",
    "BM_EncodeStepRecord": "BM_Baseline_CopyPacketBytes",
    "BM_CheckInstallCondition": "BM_Baseline_CopyCondition",
    "BM_UnwrapAndParseConfig64K": "BM_Baseline_CopyConfigBody",
}


def main(argv):
    deployment = "local"
    if argv[:1] == ["--deployment"]:
        deployment, argv = argv[1], argv[2:]
    table = Table()
    table.note("file", measured_build(deployment))
    steps = [("the executable's size", lambda: size_bench.run(REPO, deployment, table)),
             ("the portable core", lambda: core(argv, table)),
             ("paint and window cycles under Wine", lambda: ui_bench.run(REPO, deployment, table)),
             ("start-up under Wine", lambda: ui_bench.run_startup(REPO, deployment, table)),
             ("network and the install road under Wine (several minutes)",
              lambda: net_bench.run(REPO, deployment, table))]
    for what, measure in steps:
        print(f"measuring {what}…", flush=True)
        measure()
    print(table.text())
    (REPO / "build" / "bench").mkdir(parents=True, exist_ok=True)
    (REPO / "build" / "bench" / "table.txt").write_text(table.text() + "\n", encoding="utf-8")
    return 0


def measured_build(deployment) -> str:
    """Which build the rows measured under Wine: the file users download
    wherever this machine runs 32-bit programs."""
    from tools.bench import wine_tree
    from tools.wine.session import wine_arch
    tree = wine_tree.binaries(REPO, deployment).relative_to(REPO)
    if wine_arch() == "win32":
        return f"(under Wine: the 32-bit build users download, {tree}/twinstall.exe, and its programs)"
    return (f"(under Wine: the 64-bit twin, {tree}; this machine runs no 32-bit programs, so no row measured "
            f"the 32-bit file users download but its size)")


def config_64k() -> Path:
    """A 64 KiB configuration document wrapped as the service serves it."""
    from operators.config_tool import load_private_key, wrap_configuration
    packages = "".join(f'<dlfile url="http://127.0.0.1:18090/file/{i}/p" md5="{i:032X}" moduletype="exe" '
                       f'path="%TEMP%\\p{i}.exe" downloadtype="http" condition="1&amp;2"/>' for i in range(400))
    items = "".join(f'<item id="{i}" expression="{i}&amp;(1|~2)"/>' for i in range(1, 100))
    xml = (f'<root><check/><install><company id="1029" version="3"><tryno id="7" version="2">{packages}'
           f'</tryno></company></install><condition>{items}</condition></root>').encode()
    xml = xml[:-len(b"</root>")] + b" " * max(0, 65536 - len(xml)) + b"</root>"
    path = REPO / "build" / "bench" / "config64k.b64"
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(wrap_configuration(xml, load_private_key()))
    return path


def core(argv, table):
    program = REPO / "build" / "native" / "bin" / "core_bench"
    os.environ["TW_BENCH_CONFIG"] = str(config_64k())
    result = subprocess.run([str(program), "--benchmark_format=json", "--benchmark_repetitions=3",
                             "--benchmark_report_aggregates_only=true", *argv],
                            stdout=subprocess.PIPE, check=True, timeout=1200)
    times = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            times[entry["run_name"]] = (entry["cpu_time"], entry["time_unit"])
    for name, baseline in BASELINES.items():
        if name in times and baseline in times:
            table.add("core", f"{name} / {baseline[len('BM_Baseline_'):]}", times[name][0] / times[baseline][0],
                      times[name][0], times[baseline][0], times[name][1])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
