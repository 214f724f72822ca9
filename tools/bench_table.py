#!/usr/bin/env python3
"""Turns engine_bench's JSON output into the Markdown table of the README:
recodo's throughput per function, text, size and kernel level, with ICU,
iconv and memcpy from the same run, the ratios the speed goals are stated
in, and the rows that miss them.

Usage: build/native/bin/engine_bench --benchmark_repetitions=3 \\
         --benchmark_report_aggregates_only=true \\
         --benchmark_out=bench.json --benchmark_out_format=json
       tools/bench_table.py bench.json [before.json]

With a second file, the worst rows of both runs are compared.
"""
import json
import sys
from collections import defaultdict

ORDER = ["utf8_to_utf16", "utf16_to_utf8", "single_to_utf16", "utf16_to_single", "utf16_swap", "newline_unix",
         "detect"]
SIZES = ["16MiB", "100B"]
TEXTS = ["english", "french", "russian", "chinese", "emoji"]
# The goals: at least this many times ICU and iconv, ASCII within 3x memcpy;
# the baseline level, for processors without AVX2, at least 1.2x ICU.
ICU_GOAL, ICONV_GOAL, MEMCPY_GOAL = 1.5, 5.0, 3.0
BASELINE_ICU_GOAL = 1.2


def load(path):
    speed = {}
    for b in json.load(open(path))["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        parts = b.get("run_name", b["name"]).split("/")
        if len(parts) == 4:
            speed[tuple(parts)] = b["bytes_per_second"] / 1e9
    rows = defaultdict(dict)
    for (func, text, size, impl), v in speed.items():
        rows[(func, text, size)][impl] = v
    return rows


def levels_of(rows):
    found = {impl for r in rows.values() for impl in r if impl.startswith("recodo-")}
    known = ["recodo-before", "recodo-baseline", "recodo-avx2", "recodo-avx512"]
    return [l for l in known if l in found]


def table(rows):
    print("| function | text | size | level | recodo GB/s | ICU GB/s | iconv GB/s | × ICU | × iconv | memcpy ÷ recodo |")
    print("|---|---|---|---|---:|---:|---:|---:|---:|---:|")
    for func in ORDER:
        for size in SIZES:
            for text in TEXTS:
                r = rows.get((func, text, size))
                if not r:
                    continue
                for level in levels_of(rows):
                    if level not in r:
                        continue
                    mine, icu, iconv, floor = r[level], r.get("icu"), r.get("iconv"), r.get("memcpy")
                    print("| " + " | ".join([
                        func, text, size, level[len("recodo-"):], f"{mine:.2f}",
                        f"{icu:.2f}" if icu else "", f"{iconv:.2f}" if iconv else "",
                        f"{mine / icu:.2f}" if icu else "", f"{mine / iconv:.1f}" if iconv else "",
                        f"{floor / mine:.1f}" if floor and text == "english" else ""]) + " |")


def worst(rows, level):
    """The lowest ratio against ICU and against iconv over every row of a level."""
    low = {}
    for (func, text, size), r in rows.items():
        if level not in r:
            continue
        for peer in ("icu", "iconv"):
            if peer in r:
                ratio = r[level] / r[peer]
                if peer not in low or ratio < low[peer][0]:
                    low[peer] = (ratio, f"{func} {text} {size}")
    return low


def shortfalls(rows, level):
    """The rows of a level short of its goals, with the ratios that miss."""
    icu_goal = BASELINE_ICU_GOAL if level == "recodo-baseline" else ICU_GOAL
    out = []
    for (func, text, size), r in sorted(rows.items()):
        if level not in r:
            continue
        mine = r[level]
        misses = []
        if "icu" in r and mine / r["icu"] < icu_goal:
            misses.append(f"{mine / r['icu']:.2f}× ICU")
        if level != "recodo-baseline" and "iconv" in r and mine / r["iconv"] < ICONV_GOAL:
            misses.append(f"{mine / r['iconv']:.1f}× iconv")
        if text == "english" and size == "16MiB" and "memcpy" in r and r["memcpy"] / mine > MEMCPY_GOAL:
            misses.append(f"{r['memcpy'] / mine:.1f}× memcpy's time")
        if misses:
            out.append(f"{func} {text} {size}: " + ", ".join(misses))
    return out


def main():
    rows = load(sys.argv[1])
    table(rows)
    best = levels_of(rows)[-1]
    print()
    for level in levels_of(rows):
        low = worst(rows, level)
        print(f"- worst row, {level}: " + "; ".join(f"{v[0]:.2f}× {p} ({v[1]})" for p, v in sorted(low.items())))
    if len(sys.argv) > 2:
        before = load(sys.argv[2])
        for level in levels_of(before):
            low = worst(before, level)
            print(f"- worst row before, {level}: " +
                  "; ".join(f"{v[0]:.2f}× {p} ({v[1]})" for p, v in sorted(low.items())))
    # The avx2 level is what most machines run; the baseline level the rest.
    for level in dict.fromkeys(["recodo-avx2", "recodo-baseline", best]):
        if level not in levels_of(rows):
            continue
        print()
        print(f"Rows short of the goals at {level}:")
        for line in shortfalls(rows, level):
            print(f"- {line}")


if __name__ == "__main__":
    main()
