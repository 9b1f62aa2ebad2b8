#!/usr/bin/python3
"""Times Vortan's tracer against matplotlib's streamplot on the same field.

The double gyre u = -pi sin(pi x) cos(pi y), v = pi cos(pi x) sin(pi y) on
[0, 2] x [0, 1], sampled on 1024 x 512 nodes. Vortan traces it evenly spaced
for an 800 x 400 picture at a separation of 6 px (the benchmark
BM_TraceDoubleGyre, run here); streamplot draws it on an 8 x 4 inch figure at
100 dpi with the density that gives about as many streamlines. Both figures
are CPU time of one run on one core (the best of several), so that other load
on the machine does not count against either.

Usage: bench/streamplot_peer.py BUILD_DIR
"""
import json
import subprocess
import sys
import time

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

REPEATS = 3


def vortan_figure(build):
    """CPU milliseconds and streamlines of BM_TraceDoubleGyre."""
    out = subprocess.run(
        [f"{build}/bench/vortan_bench", "--benchmark_filter=^BM_TraceDoubleGyre$",
         "--benchmark_format=json", "--benchmark_repetitions=3",
         "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True).stdout
    runs = json.loads(out)["benchmarks"]
    best = min((r for r in runs if r.get("aggregate_name") == "mean"),
               key=lambda r: r["cpu_time"])
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[best["time_unit"]]
    return best["cpu_time"] * scale, int(best["streamlines"])


def gyre():
    x = np.linspace(0.0, 2.0, 1024)
    y = np.linspace(0.0, 1.0, 512)
    xx, yy = np.meshgrid(x, y)
    u = -np.pi * np.sin(np.pi * xx) * np.cos(np.pi * yy)
    v = np.pi * np.cos(np.pi * xx) * np.sin(np.pi * yy)
    return x, y, u, v


def streamplot(field, density):
    """CPU seconds of one streamplot and the streamlines it drew."""
    x, y, u, v = field
    fig, ax = plt.subplots(figsize=(8, 4), dpi=100)
    start = time.process_time()
    lines = ax.streamplot(x, y, u, v, density=density, arrowstyle="-").lines
    elapsed = time.process_time() - start
    plt.close(fig)
    # Segments come trajectory by trajectory: a new one starts wherever a
    # segment does not begin at the previous segment's end.
    segments = lines.get_segments()
    count = 0
    for i, seg in enumerate(segments):
        if i == 0 or not np.allclose(seg[0], segments[i - 1][-1]):
            count += 1
    return elapsed, count


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    vortan_ms, vortan_lines = vortan_figure(sys.argv[1])
    field = gyre()
    # The density giving about Vortan's number of streamlines (the count
    # grows with density): a short bisection.
    low, high = 0.5, 8.0
    for _ in range(7):
        mid = (low + high) / 2
        _, count = streamplot(field, mid)
        if count < vortan_lines:
            low = mid
        else:
            high = mid
    density = (low + high) / 2
    timings = [streamplot(field, density) for _ in range(REPEATS)]
    peer_ms = min(t for t, _ in timings) * 1e3
    peer_lines = timings[0][1]
    print(f"vortan tracer:         {vortan_ms:9.1f} ms CPU, {vortan_lines} streamlines "
          "(double gyre 1024 x 512, 800 x 400 px, separation 6 px)")
    print(f"matplotlib streamplot: {peer_ms:9.1f} ms CPU, {peer_lines} streamlines "
          f"(density {density:.2f}, matplotlib {matplotlib.__version__})")
    print(f"ratio: {peer_ms / vortan_ms:.1f} x")


if __name__ == "__main__":
    main()
