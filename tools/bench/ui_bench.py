"""The Ux framework's paint cost under Wine, as ratios to a plain BitBlt of a
bitmap of the window's size measured in the same run (bench/ui_bench_win.cpp)."""
import re
from pathlib import Path

from tools.bench import wine_tree
from tools.bench.table import at_most
from tools.wine.session import WineSession


def run(repo: Path, deployment, table):
    program = wine_tree.binaries(repo, deployment) / "ui_bench.exe"
    folder = "Z:" + str(repo / "tests" / "fixtures" / "ui").replace("/", "\\")
    with WineSession(wine_tree.prefix(repo)) as wine:
        result = wine.run(program, [folder], cwd=program.parent, timeout=600)
    text = result.stdout.decode("utf-8", "replace")
    values = {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", text)}
    if result.returncode != 0 or "blit_us" not in values:
        raise RuntimeError(f"ui_bench failed: {text.strip()}")
    blit = values["blit_us"]
    rows = [  # (name, ours, baseline)
        ("load + layout + full paint / BitBlt", values["load_layout_paint_us"], blit),
        ("full paint (incl. copy out) / BitBlt", values["full_paint_us"], blit),
        ("one-control repaint / BitBlt", values["partial_paint_us"], blit),
        ("  drawing only: full tree / one control", values["tree_full_us"], values["tree_partial_us"]),
    ]
    for name, ours, baseline in rows:
        table.add("ui", name, ours / baseline, ours, baseline, "us")
    frame_us = 1e6 / 60
    table.add("ui", "full paint / one 60 Hz frame", values["full_paint_us"] / frame_us, values["full_paint_us"],
              frame_us, "us", at_most(1.0))
    for counter, name in (("handles", "kernel handles"), ("gdi", "GDI objects"), ("user", "USER objects")):
        before, after = values[f"{counter}_before"], values[f"{counter}_after"]
        table.add("cycles", f"{name} after 10 window cycles / before", after / before if before else 1.0, after,
                  before, "count")
    before = values["private_kb_before"]
    table.add("cycles", "private bytes after 10 window cycles / before", values["private_kb_after10"] / before,
              values["private_kb_after10"], before, "KB")
    table.add("cycles", "private bytes after 50 window cycles / before", values["private_kb_after50"] / before,
              values["private_kb_after50"], before, "KB")
    if not values["gdi_before"]:
        table.note("cycles", "(under Wine: handles from the system handle table, USER objects as windows; "
                             "Wine counts no GDI objects, private bytes stand in)")


def run_startup(repo: Path, deployment, table):
    """The installer's start to its first painted frame and its working set
    then, against an empty window measured in the same run (both under Wine,
    the installer with the configuration service up)."""
    import shutil
    from peers.services import PeerSet

    binaries = wine_tree.binaries(repo, deployment)
    work = repo / "build" / "bench" / "startup"
    work.mkdir(parents=True, exist_ok=True)
    installer = work / "setup_1029_7.exe"
    shutil.copyfile(binaries / "twinstall.exe", installer)

    def windows(path: Path) -> str:
        return "Z:" + str(path).replace("/", "\\")

    def measure(wine, *pairs):
        result = wine.run(binaries / "startup_bench.exe", list(pairs), cwd=work, timeout=900)
        text = result.stdout.decode("utf-8", "replace")
        values = {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", text)}
        if result.returncode != 0 or f"{pairs[-2]}_ms" not in values:
            raise RuntimeError(f"startup_bench failed: {text.strip()} {result.stderr!r}")
        return values

    def stages(wine):
        """The installer's share by stage (bench/startup_stages_win.cpp), the
        median of five processes."""
        runs = []
        for _ in range(5):
            result = wine.run(binaries / "startup_stages.exe", [windows(installer)], cwd=work, timeout=300)
            text = result.stdout.decode("utf-8", "replace")
            if result.returncode != 0:
                raise RuntimeError(f"startup_stages failed ({result.returncode}): {text.strip()}")
            runs.append({k: float(v) for k, v in re.findall(r"(\w+)_ms=([\d.]+)", text)})
        return {key: sorted(run[key] for run in runs)[len(runs) // 2] for key in runs[0]}

    silent = {}
    with PeerSet(repo / "deploy" / f"{deployment}.ini") as peers, WineSession(wine_tree.prefix(repo)) as wine:
        values = measure(wine, "empty", windows(binaries / "empty_window.exe"), "installer", windows(installer))
        by_stage = stages(wine)
        # Each service in turn accepts and never answers: the first page must not wait for it.
        for service in ("update", "rcmd", "config", "telemetry"):
            if service == "telemetry":
                peers["telemetry"].ack_mode, peers["telemetry"].silent_seconds = "silent", 120
            else:
                peers["config"].silent = {service}
            silent[service] = measure(wine, service, windows(installer))[f"{service}_ms"]
            peers["config"].silent, peers["telemetry"].ack_mode = set(), "ok"
    table.add("start", "start to first frame / empty window", values["installer_ms"] / values["empty_ms"],
              values["installer_ms"], values["empty_ms"], "ms", at_most(1.5))
    stage_rows(by_stage, values, table)
    names = {"update": "self-update", "rcmd": "recommendation", "config": "configuration", "telemetry": "telemetry"}
    for service, ms in silent.items():
        extra = ms - values["installer_ms"]
        table.add("start", f"  {names[service]} never answers: extra ms / 3 s", extra / 3000, extra, 3000, "ms",
                  at_most(1.0))
    memory_rows(repo, deployment, values, table)


# The stages on the way to the first frame, in their order, and what each is.
FIRST_FRAME_STAGES = (
    ("resources", "skins, styles, strings, fonts"),
    ("made", "window made: layout, window, first layout"),
    ("initdialog", "its WM_INITDIALOG"),
    ("update_wait", "waiting for the self-update decision"),
    ("first_frame", "shown and painted"),
)


def stage_rows(by_stage, values, table):
    """Where the installer's start goes, each stage against the whole empty
    window; the rest is the process's start, its libraries and Wine's."""
    empty = values["empty_ms"]
    for key, name in FIRST_FRAME_STAGES:
        table.add("start", f"  stage: {name} / empty window", by_stage[key] / empty, by_stage[key], empty, "ms")
    rest = values["installer_ms"] - sum(by_stage[key] for key, _ in FIRST_FRAME_STAGES)
    table.add("start", "  the rest: process start, libraries, Wine / empty window", rest / empty, rest, empty, "ms")
    table.add("start", "  beside it: the self-update decision / empty window", by_stage["update"] / empty,
              by_stage["update"], empty, "ms")
    table.add("start", "  after it: what the first page does not show / empty window",
              by_stage["after_frame"] / empty, by_stage["after_frame"], empty, "ms")


def memory_rows(repo: Path, deployment, startup, table):
    """The installer's memory at its start page against the empty window, and
    what its main window adds, part by part (bench/ui_bench_win.cpp --memory:
    the installer's own resources and layout in a process of their own)."""
    table.add("memory", "working set at the start page / empty window", startup["installer_ws_kb"] /
              startup["empty_ws_kb"], startup["installer_ws_kb"] / 1024, startup["empty_ws_kb"] / 1024, "MB",
              at_most(1.5))
    table.add("memory", "private bytes at the start page / empty window", startup["installer_private_kb"] /
              startup["empty_private_kb"], startup["installer_private_kb"] / 1024, startup["empty_private_kb"] / 1024,
              "MB")
    binaries = wine_tree.binaries(repo, deployment)
    with WineSession(wine_tree.prefix(repo)) as wine:
        result = wine.run(binaries / "ui_bench.exe", ["--memory", "Z:" + str(binaries / "twinstall.exe").replace("/", "\\")],
                          cwd=binaries, timeout=600)
    text = result.stdout.decode("utf-8", "replace")
    parts = {k: float(v) for k, v in re.findall(r"(\w+)_kb=([\d.]+)", text)}
    if result.returncode != 0 or "shown" not in parts:
        raise RuntimeError(f"ui_bench --memory failed: {text.strip()}")
    added = parts["shown"] - parts["start"]
    if added <= 0:
        return
    loaded = parts["resources"] - parts["start"]
    rest = added - loaded - parts["images"] - parts["offscreen"]
    for name, kb in (("resources loaded (documents, GDI+)", loaded), ("decoded images", parts["images"]),
                     ("the off-screen bitmap", parts["offscreen"]), ("the rest (controls, fonts, window)", rest)):
        table.add("memory", f"  main window adds: {name} / all", kb / added, kb / 1024, added / 1024, "MB")
