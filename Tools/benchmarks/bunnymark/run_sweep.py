#!/usr/bin/env python3
"""Bunnymark sweep: the engine's sprite path against the bare-GL reference in a real window.

Starts a private Xvfb display, runs both programs at each size round-robin (the order of the two
alternates from run to run, so load from other work on the machine falls on both alike), several
runs, and prints per program and size the median and range of frame time, main-thread CPU,
process CPU and page faults per frame, then the engine / reference ratios of the medians and the
median of each run's own ratio.

    Tools/benchmarks/bunnymark/run_sweep.py [--build build] [--runs 5] [--sizes 0,1000,10000,100000]
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

# Measured frames and warm-up frames (the driver's memory settles over the first frames) by size.
FRAMES = {0: 300, 1000: 200, 10000: 60, 100000: 15}
WARMUP = {0: 10, 1000: 10, 10000: 10, 100000: 15}
METRICS = ["frame_ms", "main_cpu_ms", "process_cpu_ms", "faults"]


def start_xvfb():
    display = ":%d" % (700 + os.getpid() % 200)
    log = tempfile.TemporaryFile()
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x720x24", "-nolisten", "tcp", "-noreset"],
                              stdout=log, stderr=log)
    socket = "/tmp/.X11-unix/X" + display[1:]
    for _ in range(100):
        if os.path.exists(socket):
            return server, display
        time.sleep(0.05)
    server.kill()
    sys.exit("Xvfb did not start on " + display)


def run(program, sprites, display):
    frames = FRAMES.get(sprites, 60)
    env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", ALSOFT_DRIVERS="null")
    warmup = WARMUP.get(sprites, 10)
    out = subprocess.run([program, "--sprites", str(sprites), "--frames", str(frames), "--warmup", str(warmup)],
                         env=env, capture_output=True, text=True, timeout=600)
    line = next((l for l in out.stdout.splitlines() if "frame_ms=" in l), None)
    if out.returncode != 0 or line is None:
        sys.exit("%s failed at %d sprites:\n%s%s" % (program, sprites, out.stdout, out.stderr))
    return {k: float(v) for k, v in re.findall(r"(\w+)=([0-9.]+)", line)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(os.path.dirname(__file__), "..", "..", "..", "build"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="0,1000,10000,100000")
    parser.add_argument("--engine", help="another build of the engine's program (default: the build's)")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    programs = {name: os.path.join(args.build, "benchmarks", "bunnymark_" + name) for name in ("engine", "reference")}
    if args.engine:
        programs["engine"] = args.engine
    server, display = start_xvfb()
    results = {(name, size): [] for name in programs for size in sizes}
    load_before = os.getloadavg()
    try:
        for r in range(args.runs):
            for size in sizes:
                order = ["engine", "reference"] if (r + sizes.index(size)) % 2 == 0 else ["reference", "engine"]
                for name in order:
                    results[(name, size)].append(run(programs[name], size, display))
            print("run %d of %d done (load %.1f)" % (r + 1, args.runs, os.getloadavg()[0]), file=sys.stderr)
    finally:
        server.kill()
    load_after = os.getloadavg()

    print("bunnymark %dx%d under Xvfb, %d runs a cell; medians [min - max] per frame" % (800, 450, args.runs))
    print("machine load (1-minute average) %.1f at the start, %.1f at the end, %d cores" %
          (load_before[0], load_after[0], os.cpu_count()))
    header = "%-9s %7s" % ("program", "sprites") + "".join("  %-26s" % m for m in METRICS)
    print(header)
    medians = {}
    for size in sizes:
        for name in programs:
            cells = []
            for metric in METRICS:
                values = [sample[metric] for sample in results[(name, size)]]
                medians[(name, size, metric)] = statistics.median(values)
                cells.append("  %-26s" % ("%.3f [%.3f - %.3f]" % (statistics.median(values), min(values), max(values))))
            print("%-9s %7d" % (name, size) + "".join(cells))
    print()
    print("engine / reference (medians)")
    print("%7s  %9s  %11s  %14s" % ("sprites", "frame", "main CPU", "process CPU"))
    for size in sizes:
        ratios = []
        for metric in METRICS[:3]:
            ref = medians[("reference", size, metric)]
            ratios.append(medians[("engine", size, metric)] / ref if ref > 0 else float("nan"))
        print("%7d  %9.3f  %11.3f  %14.3f" % (size, *ratios))
    # Each run's two programs ran back to back: their ratio is less moved by the machine's drift
    # over the sweep than the ratio of the medians.
    print()
    print("engine / reference (median [min - max] of each run's pair)")
    print("%7s  %-22s  %-22s  %-22s" % ("sprites", "frame", "main CPU", "process CPU"))
    for size in sizes:
        cells = []
        for metric in METRICS[:3]:
            pairs = [e[metric] / r[metric] for e, r in zip(results[("engine", size)], results[("reference", size)])
                     if r[metric] > 0]
            cells.append("%.3f [%.3f - %.3f]" % (statistics.median(pairs), min(pairs), max(pairs)) if pairs else "-")
        print("%7d  %-22s  %-22s  %-22s" % (size, *cells))


if __name__ == "__main__":
    main()
