#!/usr/bin/env python3
"""Side-by-side timings on a warm tree, ratios from one run.

  bench/bench.py walk CORPUS [--runs N]
      the folder walk (twinseek-cli --no-file-clones) against
      find CORPUS -type f -printf '%s %p\\n'; peak memory per collected file.
  bench/bench.py folders CORPUS [--runs N]
      folder mode (--folder-clones, no file clones, size mode) against the metadata walk
      find CORPUS -printf '%s %p\\n'; peak memory per directory.
  bench/bench.py clones CORPUS [--runs N]
      content mode against jdupes, rmlint, fdupes and rdfind, each checked to find the
      same duplicate groups; name and size modes against the plain walk. Without the
      digest cache (--no-cache), as the peers keep none.
  bench/bench.py peers CORPUS... [--runs N] [--cold]
      content mode (parallel, no cache) beside jdupes -r -H -q, rdfind and fdupes on each
      tree: median time, ratios against jdupes and rdfind, peak memory, and whether every
      tool found the same groups (files compared by identity, so that hard links and the
      order inside a group do not count). --cold drops the page cache before each run
      (root only), so every tool reads from the disk.
  bench/bench.py rescan CORPUS [--runs N]
      a second content scan of the unchanged tree, its digests from the cache, against the
      walk alone and a scan without the cache; the cache's size per file. The cache is a
      fresh one in build/bench-cache.
  bench/bench.py edits CORPUS
      fills the cache, then edits the tree IN PLACE (regenerate it afterwards): of every ten
      files one gets other bytes, one is touched, one gets other bytes of the same size
      with its modification time set back, one is renamed; then checks that a scan with
      the cache lists exactly what a scan without it lists.

  bench/bench.py memory TREE... [--runs N] [--no-jdupes]
      peak memory and median time of the walk alone, size mode and content mode (both
      without the cache) beside jdupes -r -q on each tree; the tree's files and the bytes
      of their names and of the folder paths; peak memory per file; the walk's bytes per
      file beyond its name, over the peak of a walk on an empty folder; our peaks against
      jdupes'. --no-jdupes leaves jdupes out (for trees it would take too long on).

Set TWINSEEK_CLI to the program to measure (default: build/bin/twinseek-cli).
"""
import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLI = os.environ.get("TWINSEEK_CLI", os.path.join(TOP, "build", "bin", "twinseek-cli"))


def run(cmd, env=None):
    """Wall time in seconds and peak resident memory in bytes of one run.

    The peak comes from /usr/bin/time: a child forked by this script starts with the
    script's own resident pages, which would count in its peak."""
    start = time.perf_counter()
    proc = subprocess.run(["/usr/bin/time", "-f", "%M", "--"] + cmd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    elapsed = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit(f"{' '.join(cmd)} exited with {proc.returncode}")
    return elapsed, int(proc.stderr.decode().strip().splitlines()[-1]) * 1024


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")


def measure(name, cmd, runs, env=None, cold=False):
    if not cold:
        run(cmd, env)  # warm-up
    results = []
    for _ in range(runs):
        if cold:
            drop_caches()
        results.append(run(cmd, env))
    t = statistics.median(r[0] for r in results)
    m = max(r[1] for r in results)
    return {"name": name, "time": t, "rss": m}


def table(rows, base):
    print(f"{'command':<44} {'median s':>9} {'ratio':>7} {'peak MB':>8}")
    for r in rows:
        print(f"{r['name']:<44} {r['time']:9.3f} {r['time'] / base['time']:7.2f} {r['rss'] / 2**20:8.1f}")


def walk(args):
    corpus = os.path.abspath(args.corpus)
    listing = subprocess.run(["find", corpus, "-type", "f", "-size", "+0", "-printf", "%p\\n"],
                             capture_output=True, check=True).stdout.decode("utf-8", "surrogateescape")
    paths = listing.splitlines()
    path_bytes = sum(len(p.encode("utf-16-le", "surrogatepass")) for p in paths)
    find = measure("find -type f -printf '%s %p\\n'",
                   ["find", corpus, "-type", "f", "-printf", "%s %p\\n"], args.runs)
    ours = measure("twinseek-cli --no-file-clones",
                   [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", corpus], args.runs)
    empty = os.path.join(TOP, "build", "bench-empty")
    os.makedirs(empty, exist_ok=True)
    baseline = measure("twinseek-cli on an empty folder", [CLI, "--no-file-clones", "-q", empty], args.runs)
    table([find, ours, baseline], find)
    per_file = (ours["rss"] - baseline["rss"] - path_bytes) / max(1, len(paths))
    print(f"\n{len(paths)} files collected; path text {path_bytes / 2**20:.1f} MB (UTF-16)")
    print(f"walk / find: {ours['time'] / find['time']:.2f}")
    print(f"peak memory per collected file beyond its path text: {per_file:.0f} bytes")


def folders(args):
    corpus = os.path.abspath(args.corpus)
    dirs = int(subprocess.run(["find", corpus, "-type", "d", "-printf", "."],
                              capture_output=True, check=True).stdout.count(b"."))
    find = measure("find -printf '%s %p\\n'", ["find", corpus, "-printf", "%s %p\n"], args.runs)
    walk_only = measure("twinseek-cli walk only", [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", corpus],
                        args.runs)
    # Size mode: in content mode the scan hashes the files first, which folder clones
    # do not use.
    ours = measure("twinseek-cli --folder-clones --compare size",
                   [CLI, "--no-file-clones", "--folder-clones", "--compare", "size", "--min-size-mb", "0",
                    "--max-groups", "0", "-q", corpus], args.runs)
    rows = [find, walk_only, ours]
    if args.with_rmlint:
        # rmlint's duplicate directories are directories whose files have equal contents,
        # so it reads every candidate file; folder clones compare names and sizes only.
        rows.append(measure("rmlint -D -T dd (reads contents)",
                            ["rmlint", "-D", "-T", "dd", "-o", "summary:stdout", corpus], args.runs))
    table(rows, find)
    print(f"\n{dirs} directories")
    print(f"folder mode / find: {ours['time'] / find['time']:.2f}")
    print(f"peak memory beyond the walk, per directory: {(ours['rss'] - walk_only['rss']) / max(1, dirs):.0f} bytes")


def parse_ours(text):
    groups, current = [], None
    for line in text.splitlines():
        if not line.startswith("["):
            current = []
            groups.append(current)
            continue
        fields = line.split("\t")
        folder, name = fields[3], fields[2]
        current.append(folder.rstrip("/") + "/" + name)
    return groups


def parse_blank_separated(text):
    groups, current = [], []
    for line in text.splitlines():
        if line.strip():
            current.append(line)
        elif current:
            groups.append(current)
            current = []
    if current:
        groups.append(current)
    return groups


def parse_rdfind(path):
    by_id = {}
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            if line.startswith("#"):
                continue
            fields = line.rstrip("\n").split(" ", 7)
            if len(fields) == 8:
                by_id.setdefault(abs(int(fields[1])), []).append(fields[7])
    return [g for g in by_id.values() if len(g) > 1]


def as_set(groups):
    return {frozenset(g) for g in groups if len(g) > 1}


def capture(cmd, env=None):
    return subprocess.run(cmd, capture_output=True, check=True, env=env).stdout.decode("utf-8", "surrogateescape")


def clones(args):
    corpus = os.path.abspath(args.corpus)
    ours_cmd = [CLI, "--compare", "content", "--no-cache", "--min-size-mb", "0", "--max-groups", "0", "-q",
                corpus]
    reference = as_set(parse_ours(capture(ours_cmd)))
    rdfind_out = os.path.join(TOP, "build", "rdfind-results.txt")
    peers = [
        ("jdupes -r -q", ["jdupes", "-r", "-q", corpus], parse_blank_separated),
        ("rmlint -T df -o fdupes", ["rmlint", "-T", "df", "-o", "fdupes:stdout", corpus], parse_blank_separated),
        ("fdupes -r -q -n", ["fdupes", "-r", "-q", "-n", corpus], parse_blank_separated),
        ("rdfind -dryrun true", ["rdfind", "-dryrun", "true", "-outputname", rdfind_out, corpus], None),
    ]
    for name, cmd, parse in peers:
        found = as_set(parse(capture(cmd)) if parse else (capture(cmd), parse_rdfind(rdfind_out))[1])
        verdict = "same groups" if found == reference else f"DIFFERENT ({len(found)} vs {len(reference)} groups)"
        print(f"{name:<26} {verdict}")
    print(f"{len(reference)} duplicate groups\n")

    rows = [measure(name, cmd, args.runs) for name, cmd, _ in peers if name.startswith("jdupes")]
    rows.append(measure("twinseek-cli content (parallel)", ours_cmd, args.runs))
    rows.append(measure("twinseek-cli content (--sequential)", ours_cmd[:1] + ["--sequential"] + ours_cmd[1:], args.runs))
    for name, cmd, _ in peers[1:]:
        rows.append(measure(name, cmd, args.runs))
    walk_row = measure("twinseek-cli walk only", [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", corpus], args.runs)
    for mode in ("name", "size", "name-size"):
        rows.append(measure(f"twinseek-cli {mode}",
                            [CLI, "--compare", mode, "--min-size-mb", "0", "--max-groups", "0", "-q", corpus],
                            args.runs))
    rows.append(walk_row)
    table(rows, rows[0])
    print("\n(ratio: against the first row)")


def by_identity(groups):
    """Groups as sets of (device, inode), groups of one file left out."""
    out = set()
    for g in groups:
        ids = set()
        for path in g:
            try:
                st = os.lstat(path)
            except OSError:
                continue
            ids.add((st.st_dev, st.st_ino))
        if len(ids) > 1:
            out.add(frozenset(ids))
    return out


def peers(args):
    rdfind_out = os.path.join(TOP, "build", "rdfind-results.txt")
    summary = []
    for corpus in (os.path.abspath(c) for c in args.corpus):
        tools = [
            ("twinseek-cli content", [CLI, "--compare", "content", "--no-cache", "--min-size-mb", "0",
                                      "--max-groups", "0", "-q", corpus], parse_ours),
            ("jdupes -r -H -q", ["jdupes", "-r", "-H", "-q", corpus], parse_blank_separated),
            ("rdfind -dryrun true", ["rdfind", "-dryrun", "true", "-outputname", rdfind_out, corpus], None),
            ("fdupes -r -q -n", ["fdupes", "-r", "-q", "-n", corpus], parse_blank_separated),
        ]
        found = []
        for name, cmd, parse in tools:
            text = capture(cmd)
            found.append(by_identity(parse(text) if parse else parse_rdfind(rdfind_out)))
        print(f"\n{corpus} ({'cold' if args.cold else 'warm'} cache): {len(found[0])} groups")
        for (name, _, _), groups in zip(tools[1:], found[1:]):
            verdict = "same groups" if groups == found[0] else f"DIFFERENT ({len(groups)} groups)"
            print(f"  {name:<24} {verdict}")
        rows = [measure(name, cmd, args.runs, cold=args.cold) for name, cmd, _ in tools]
        table(rows, rows[1])
        ours, jdupes, rdfind, fdupes = rows
        summary.append((os.path.basename(corpus), ours["time"] / jdupes["time"], ours["time"] / rdfind["time"],
                        ours["time"] / fdupes["time"], all(f == found[0] for f in found[1:])))
    print(f"\n{'tree':<12} {'/ jdupes':>9} {'/ rdfind':>9} {'/ fdupes':>9}  groups")
    for tree, j, r, f, same in summary:
        print(f"{tree:<12} {j:9.2f} {r:9.2f} {f:9.2f}  {'same' if same else 'DIFFERENT'}")
    print("\n(ratio column of the tables: against jdupes)")


def cache_env():
    """A digest cache of the benchmark's own, empty at first."""
    home = os.path.join(TOP, "build", "bench-cache")
    shutil.rmtree(home, ignore_errors=True)
    return dict(os.environ, XDG_CACHE_HOME=home), os.path.join(home, "twinseek", "sha1-cache.bin")


def content_cmd(corpus):
    return [CLI, "--compare", "content", "--min-size-mb", "0", "--max-groups", "0", "-q", corpus]


def fill_cache(cmd, env):
    # A file is kept only when its times lie two seconds before its reading.
    time.sleep(2.1)
    subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True, env=env)


def rescan(args):
    corpus = os.path.abspath(args.corpus)
    env, cache_file = cache_env()
    cmd = content_cmd(corpus)
    fill_cache(cmd, env)
    walk_row = measure("twinseek-cli walk only", [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", corpus],
                       args.runs)
    second = measure("twinseek-cli content, digests cached", cmd, args.runs, env)
    rows = [walk_row, second, measure("twinseek-cli content --no-cache", cmd + ["--no-cache"], args.runs)]
    table(rows, walk_row)
    with open(cache_file, "rb") as f:
        header = f.read(32)
    entries = struct.unpack_from("=Q", header, 24)[0]
    size = os.path.getsize(cache_file)
    print(f"\ncached scan / walk: {second['time'] / walk_row['time']:.2f}")
    print(f"cache: {entries} files, {size / 2**20:.1f} MB, {size / max(1, entries):.1f} bytes per file")
    same = capture(cmd, env) == capture(cmd + ["--no-cache"])
    print("lists with and without the cache:", "the same" if same else "DIFFERENT")


def edits(args):
    corpus = os.path.abspath(args.corpus)
    env, _ = cache_env()
    cmd = content_cmd(corpus)
    fill_cache(cmd, env)
    paths = sorted(os.path.join(d, f) for d, _, fs in os.walk(corpus) for f in fs)
    counts = [0] * 4
    for k, path in enumerate(paths):
        kind = k % 10
        if kind >= 4 or os.path.getsize(path) == 0:
            continue
        counts[kind] += 1
        if kind == 0:  # other bytes (the first one flipped)
            with open(path, "r+b") as f:
                first = f.read(1)
                f.seek(0)
                f.write(bytes([first[0] ^ 0xFF]))
        elif kind == 1:  # touched
            os.utime(path)
        elif kind == 2:  # other bytes of the same size, the modification time set back
            st = os.stat(path)
            with open(path, "r+b") as f:
                data = f.read()
                f.seek(0)
                f.write(data[::-1] if data[::-1] != data else bytes(b ^ 1 for b in data))
            os.utime(path, ns=(st.st_atime_ns, st.st_mtime_ns))
        else:  # renamed
            os.rename(path, path + ".renamed")
    print(f"{len(paths)} files: {counts[0]} changed, {counts[1]} touched, "
          f"{counts[2]} replaced with size and time kept, {counts[3]} renamed")
    cached = capture(cmd, env)
    reference = capture(cmd + ["--no-cache"])
    groups = len(as_set(parse_ours(reference)))
    print(f"{groups} groups; lists with and without the cache:", "the same" if cached == reference else "DIFFERENT")
    if cached != reference:
        sys.exit(1)


def tree_text(root):
    """Non-empty regular files below root, bytes of their names, bytes of the folder paths
    and the number of empty files.

    Empty files count apart: the scan leaves them out, so they would flatter the figures
    per file. Bytes as stored on Linux, that is UTF-8 for names in that encoding; the
    folder paths in full, root's as given, each folder once."""
    files = name_bytes = folder_bytes = empty = 0
    stack = [os.fsencode(root)]
    while stack:
        folder = stack.pop()
        folder_bytes += len(folder)
        with os.scandir(folder) as entries:
            for entry in entries:
                if entry.is_dir(follow_symlinks=False):
                    stack.append(entry.path)
                elif entry.is_file(follow_symlinks=False):
                    if entry.stat(follow_symlinks=False).st_size == 0:
                        empty += 1
                    else:
                        files += 1
                        name_bytes += len(entry.name)
    return files, name_bytes, folder_bytes, empty


def memory(args):
    with tempfile.TemporaryDirectory(prefix="twinseek-bench-empty-") as void:
        baseline = measure("twinseek-cli walk, empty folder",
                           [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", void], args.runs)
    for tree in (os.path.abspath(t) for t in args.corpus):
        files, name_bytes, folder_bytes, empty = tree_text(tree)
        ours = [
            measure("twinseek-cli walk only", [CLI, "--no-file-clones", "--min-size-mb", "0", "-q", tree],
                    args.runs),
            measure("twinseek-cli size", [CLI, "--compare", "size", "--no-cache", "--min-size-mb", "0",
                                          "--max-groups", "0", "-q", tree], args.runs),
            measure("twinseek-cli content", [CLI, "--compare", "content", "--no-cache", "--min-size-mb", "0",
                                             "--max-groups", "0", "-q", tree], args.runs),
        ]
        jdupes = None if args.no_jdupes else measure("jdupes -r -q", ["jdupes", "-r", "-q", tree], args.runs)
        print(f"\n{tree}: {files} files{f' (and {empty} empty, left out)' if empty else ''}; "
              f"names {name_bytes / 2**20:.1f} MB, folder paths {folder_bytes / 2**20:.1f} MB (UTF-8)")
        print(f"{'command':<32} {'median s':>9} {'peak MB':>8} {'B/file':>7} {'/ jdupes':>8}")
        for r in ours:
            against = f"{r['rss'] / jdupes['rss']:8.2f}" if jdupes else f"{'-':>8}"
            print(f"{r['name']:<32} {r['time']:9.3f} {r['rss'] / 2**20:8.1f} {r['rss'] / max(1, files):7.0f} "
                  f"{against}")
        for r in ([jdupes] if jdupes else []) + [baseline]:
            print(f"{r['name']:<32} {r['time']:9.3f} {r['rss'] / 2**20:8.1f}")
        beyond = (ours[0]["rss"] - baseline["rss"] - name_bytes) / max(1, files)
        print(f"walk: {beyond:.0f} bytes per file beyond its name "
              f"(peak {ours[0]['rss'] / 2**20:.1f} MB - empty-folder walk {baseline['rss'] / 2**20:.1f} MB "
              f"- names {name_bytes / 2**20:.1f} MB, over {files} files)")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("what", choices=["walk", "folders", "clones", "peers", "rescan", "edits", "memory"])
    parser.add_argument("corpus", nargs="+")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--cold", action="store_true", help="peers: drop the page cache before each run")
    parser.add_argument("--no-jdupes", action="store_true", help="memory: leave jdupes out")
    parser.add_argument("--with-rmlint", action="store_true",
                        help="folders: add rmlint's duplicate-directory mode (slow: it reads contents)")
    args = parser.parse_args()
    if args.what not in ("peers", "memory"):
        if len(args.corpus) != 1:
            parser.error(f"{args.what} takes one corpus")
        args.corpus = args.corpus[0]
    {"walk": walk, "peers": peers, "folders": folders, "clones": clones, "rescan": rescan, "edits": edits,
     "memory": memory}[args.what](args)


if __name__ == "__main__":
    main()
