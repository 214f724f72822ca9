#!/usr/bin/env python3
"""Turns engine_bench's JSON output into the Markdown table of the README:
recodo's throughput per function, text and size, with ICU, iconv and memcpy
from the same run and the ratios the speed goals are stated in.

Usage: build/native/bin/engine_bench --benchmark_repetitions=3 \\
         --benchmark_report_aggregates_only=true \\
         --benchmark_out=bench.json --benchmark_out_format=json
       tools/bench_table.py bench.json
"""
import json
import sys
from collections import defaultdict


def gbps(b):
    return b["bytes_per_second"] / 1e9


def main():
    data = json.load(open(sys.argv[1]))
    speed = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b.get("run_name", b["name"]).split("_median")[0]
        parts = name.split("/")
        if len(parts) != 4:
            continue
        speed[tuple(parts)] = gbps(b)

    rows = defaultdict(dict)
    for (func, text, size, impl), v in speed.items():
        rows[(func, text, size)][impl] = v

    order = ["utf8_to_utf16", "utf8_measure", "utf16_to_utf8", "single_to_utf16", "utf16_to_single",
             "utf16_swap", "newline_dos", "detect", "detect_file"]
    sizes = ["100B", "64KiB", "16MiB"]
    texts = ["english", "french", "russian", "chinese", "emoji"]
    print("| function | text | size | recodo GB/s | ICU GB/s | iconv GB/s | × ICU | × iconv | memcpy ÷ recodo |")
    print("|---|---|---|---:|---:|---:|---:|---:|---:|")
    for func in order:
        for size in sizes:
            for text in texts:
                r = rows.get((func, text, size))
                if not r or "recodo" not in r:
                    continue
                mine = r["recodo"]
                icu = r.get("icu")
                iconv = r.get("iconv")
                floor = speed.get(("memcpy", text, size, "floor"))
                cells = [func, text, size, f"{mine:.2f}",
                         f"{icu:.2f}" if icu else "", f"{iconv:.2f}" if iconv else "",
                         f"{mine / icu:.1f}" if icu else "", f"{mine / iconv:.1f}" if iconv else "",
                         f"{floor / mine:.1f}" if floor and text == "english" else ""]
                print("| " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
