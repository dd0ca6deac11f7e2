"""The Ux framework's paint cost under Wine, as ratios to a plain BitBlt of a
bitmap of the window's size measured in the same run (bench/ui_bench_win.cpp)."""
import re
from pathlib import Path

from tools.wine.session import WineSession


def run(repo: Path, deployment="local"):
    program = repo / "build" / f"win32-{deployment}" / "bin" / "ui_bench.exe"
    folder = "Z:" + str(repo / "tests" / "fixtures" / "ui").replace("/", "\\")
    with WineSession(repo / "build" / "wine") as wine:
        result = wine.run(program, [folder], cwd=program.parent, timeout=600)
    text = result.stdout.decode("utf-8", "replace")
    values = {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", text)}
    if result.returncode != 0 or "blit_us" not in values:
        raise RuntimeError(f"ui_bench failed: {text.strip()}")
    blit = values["blit_us"]
    rows = [
        ("load + layout + full paint / BitBlt", values["load_layout_paint_us"] / blit, values["load_layout_paint_us"]),
        ("full paint (incl. copy out) / BitBlt", values["full_paint_us"] / blit, values["full_paint_us"]),
        ("one-control repaint / BitBlt", values["partial_paint_us"] / blit, values["partial_paint_us"]),
        ("  drawing only: full tree / one control", values["tree_full_us"] / values["tree_partial_us"],
         values["tree_full_us"]),
    ]
    print(f"{'ui benchmark (580x410, %d controls)' % values['controls']:<40} {'ratio':>7} {'ours us':>8} "
          f"{'BitBlt us':>10}")
    for name, ratio, ours in rows:
        print(f"{name:<40} {ratio:>7.1f} {ours:>8.1f} {blit:>10.1f}")
    frame_us = 1e6 / 60
    print(f"full paint is {values['full_paint_us'] / frame_us * 100:.1f}% of a 60 Hz frame")
    print("after ten window open/close cycles: handles {:.0f} -> {:.0f}, GDI objects {:.0f} -> {:.0f}, "
          "USER objects {:.0f} -> {:.0f}".format(values["handles_before"], values["handles_after"],
                                                values["gdi_before"], values["gdi_after"],
                                                values["user_before"], values["user_after"]))
    print("private bytes: {:.0f} KB before, {:.0f} KB after 10 cycles, {:.0f} KB after 50 (Wine reports no handle or "
          "GUI object counts)".format(values["private_kb_before"], values["private_kb_after10"],
                                      values["private_kb_after50"]))


def run_startup(repo: Path, deployment="local"):
    """The installer's start to its first painted frame and its working set
    then, against an empty window measured in the same run (both under Wine,
    the installer with the configuration service up)."""
    import shutil
    from peers.services import PeerSet

    binaries = repo / "build" / f"win32-{deployment}" / "bin"
    work = repo / "build" / "bench" / "startup"
    work.mkdir(parents=True, exist_ok=True)
    installer = work / "setup_1029_7.exe"
    shutil.copyfile(binaries / "twinstall.exe", installer)

    def windows(path: Path) -> str:
        return "Z:" + str(path).replace("/", "\\")

    with PeerSet(repo / "deploy" / f"{deployment}.ini"), WineSession(repo / "build" / "wine") as wine:
        result = wine.run(binaries / "startup_bench.exe",
                          ["empty", windows(binaries / "empty_window.exe"), "installer", windows(installer)],
                          cwd=work, timeout=900)
    text = result.stdout.decode("utf-8", "replace")
    values = {k: float(v) for k, v in re.findall(r"(\w+)=([\d.]+)", text)}
    if result.returncode != 0 or "installer_ms" not in values:
        raise RuntimeError(f"startup_bench failed: {text.strip()} {result.stderr!r}")
    ratio = values["installer_ms"] / values["empty_ms"]
    print(f"{'start-up to first frame':<40} {'ratio':>7} {'ours ms':>8} {'empty ms':>10}")
    print(f"{'installer / empty window (goal < 1.5)':<40} {ratio:>7.2f} {values['installer_ms']:>8.1f} "
          f"{values['empty_ms']:>10.1f}")
    print(f"working set after the start page: {values['installer_ws_kb'] / 1024:.1f} MB "
          f"(empty window {values['empty_ws_kb'] / 1024:.1f} MB; goal < 40 MB)")
