#!/usr/bin/env python3
"""Draws the scaling series of a benchmark run as an SVG.

Usage: plot_scaling.py RESULTS.json OUT.svg, where RESULTS.json is the
output of evalo_bench --benchmark_out=RESULTS.json (medians are used when the
run has repetitions). Standard library only.
"""
import json
import math
import sys


def medians(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    times = {}
    for run in runs:
        if run.get("error_occurred"):
            continue
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
            continue
        name = run.get("run_name", run["name"])
        times[name] = run["real_time"]  # ns, the default unit
    return times


def panel(x0, title, xlabel, ylabel, points, log_x):
    """One chart 380x260 at x0: points is a list of (label, [(x, y)])."""
    w, h, left, bottom = 380, 260, 60, 40
    xs = [x for _, series in points for x, _ in series]
    ys = [y for _, series in points for _, y in series]
    fx = (lambda v: math.log10(v)) if log_x else (lambda v: v)
    xmin, xmax = fx(min(xs)), fx(max(xs))
    ymax = max(ys) * 1.15
    def px(v):
        return x0 + left + (fx(v) - xmin) / (xmax - xmin or 1) * (w - left - 20)
    def py(v):
        return 20 + (1 - v / ymax) * (h - bottom - 20)
    out = [f'<text x="{x0 + w / 2}" y="14" text-anchor="middle" font-weight="bold">{title}</text>',
           f'<line x1="{x0 + left}" y1="{py(0)}" x2="{x0 + w - 20}" y2="{py(0)}" stroke="black"/>',
           f'<line x1="{x0 + left}" y1="20" x2="{x0 + left}" y2="{py(0)}" stroke="black"/>',
           f'<text x="{x0 + w / 2}" y="{h - 4}" text-anchor="middle">{xlabel}</text>',
           f'<text x="{x0 + 12}" y="{(h - bottom) / 2 + 10}" text-anchor="middle" '
           f'transform="rotate(-90 {x0 + 12} {(h - bottom) / 2 + 10})">{ylabel}</text>']
    for i in range(5):
        v = ymax * i / 5
        out.append(f'<text x="{x0 + left - 4}" y="{py(v) + 4}" text-anchor="end">{v:.1f}</text>')
    for x in sorted(set(xs)):
        out.append(f'<text x="{px(x)}" y="{py(0) + 16}" text-anchor="middle">{x}</text>')
    colours = ["#1f5fa8", "#c0392b"]
    for (label, series), colour in zip(points, colours):
        path = " ".join(f"{px(x):.1f},{py(y):.1f}" for x, y in series)
        out.append(f'<polyline points="{path}" fill="none" stroke="{colour}" stroke-width="2"/>')
        for x, y in series:
            out.append(f'<circle cx="{px(x):.1f}" cy="{py(y):.1f}" r="3" fill="{colour}"/>')
    for i, ((label, _), colour) in enumerate(zip(points, colours)):
        out.append(f'<text x="{x0 + left + 10}" y="{34 + 14 * i}" fill="{colour}">{label}</text>')
    return out


def main():
    times = medians(sys.argv[1])
    terms = [10, 100, 1000, 10000]
    depths = [10, 50, 100, 200, 252]
    per_term = [(n, times[f"evalo/terms{n}"] / n) for n in terms]
    floor_term = [(n, times[f"floor/terms{n}"] / n) for n in terms]
    per_level = [(d, times[f"evalo/depth{d}"] / d) for d in depths]
    body = panel(0, "Flat sums", "terms", "ns per term",
                 [("evalo", per_term), ("floor", floor_term)], True)
    body += panel(400, "Nested brackets", "depth", "ns per level", [("evalo", per_level)], False)
    svg = ['<svg xmlns="http://www.w3.org/2000/svg" width="780" height="270" '
           'font-family="sans-serif" font-size="11">', '<rect width="780" height="270" fill="white"/>']
    svg += body + ["</svg>"]
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(svg) + "\n")


if __name__ == "__main__":
    main()
