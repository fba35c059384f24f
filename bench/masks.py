#!/usr/bin/env python3
"""The folder walk with many file masks.

  bench/masks.py DIR [--files N] [--masks M] [--runs R]

Makes DIR (once; the same arguments always give the same tree) with N files in folders of
100 and times twinseek-cli --no-file-clones with M masks: mostly "*.mK" extensions, some
with a set or a "?" in them, so that about half the files match one mask or more.
Set TWINSEEK_CLI to the program to measure (default: build/bin/twinseek-cli).
"""
import argparse
import os
import random
import resource
import statistics
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLI = os.environ.get("TWINSEEK_CLI", os.path.join(TOP, "build", "bin", "twinseek-cli"))


def make_tree(root, files, masks):
    stamp = os.path.join(root, ".made")
    if os.path.exists(stamp):
        return
    rng = random.Random(files * 7919 + masks)
    for i in range(files):
        folder = os.path.join(root, f"d{i // 100:05d}")
        if i % 100 == 0:
            os.makedirs(folder, exist_ok=True)
        stem = rng.choice(["f", "data", "b", "photo", "c"])
        with open(os.path.join(folder, f"{stem}{i}.m{rng.randrange(2 * masks)}"), "wb") as f:
            f.write(b"x")
    open(stamp, "w").close()


def mask_text(count):
    rng = random.Random(count)
    masks = []
    for k in range(count):
        r = rng.random()
        if r < 0.05:
            masks.append(f"[a-c]*.m{k}")
        elif r < 0.10:
            masks.append(f"data?*.m{k}")
        else:
            masks.append(f"*.m{k}")
    return ",".join(masks)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--masks", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    root = os.path.abspath(args.dir)
    make_tree(root, args.files, args.masks)
    cmd = [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", "--masks", mask_text(args.masks), root]
    times, cpu = [], []
    for _ in range(args.runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        proc = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
        if proc.returncode != 0:
            sys.exit(f"twinseek-cli exited with {proc.returncode}")
    # The processor time tells more than the wall time on a machine that others share.
    print(f"{args.masks} masks over {args.files} files: median {statistics.median(times):.3f} s, "
          f"processor {statistics.median(cpu):.3f} s ({args.runs} runs)")


if __name__ == "__main__":
    main()
