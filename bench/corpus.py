#!/usr/bin/env python3
"""Deterministic benchmark corpora.

  bench/corpus.py small   DIR   about 200,000 small files in nested folders
  bench/corpus.py million DIR   997,920 small files in 30,631 folders, made like small's
  bench/corpus.py three   DIR   2,999,700 tiny files (1..512 bytes) in 92,012 folders,
                                for size mode and the walk; 0.8 GB of data, 12 GB on disk
  bench/corpus.py mixed   DIR   about 20,000 files, 3 GB, long-tailed sizes
  bench/corpus.py big     DIR   a few dozen same-size 64 MB files, some duplicates
  bench/corpus.py bigsame DIR   24 same-size 64 MB files: clones and near clones that
                                differ in one byte at the start, the end, the middle or
                                anywhere between

The same preset always gives the same tree, byte for byte. Folder counts include DIR.
"""
import os
import random
import sys


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def block(rng, size):
    return rng.randbytes(size)


def small(root):
    # 40 top folders x 10 subfolders x 10 leaf folders x 50 files = 200,000 files.
    # Sizes cluster (many files share a size) and about one file in eight is a copy.
    rng = random.Random(2021)
    pool = [block(rng, rng.choice([64, 100, 512, 1000, 2048, 4096])) for _ in range(3000)]
    n = 0
    for a in range(40):
        for b in range(10):
            for c in range(10):
                folder = os.path.join(root, f"top{a:02d}", f"mid{b}", f"leaf{c}")
                os.makedirs(folder, exist_ok=True)
                for i in range(50):
                    if rng.random() < 0.125:
                        data = rng.choice(pool)
                    else:
                        data = block(rng, rng.randint(1, 4096))
                    with open(os.path.join(folder, f"file{i:02d}_{n}.dat"), "wb") as f:
                        f.write(data)
                    n += 1
    print(f"{n} files")


def put(dir_fd, name, data):
    # Straight system calls relative to the open folder: at millions of files the cost of
    # a Python file object and a full path lookup per file dominates the generation time.
    fd = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o644, dir_fd=dir_fd)
    try:
        view = memoryview(data)
        while view:
            view = view[os.write(fd, view):]
    finally:
        os.close(fd)


def nested(root, seed, tops, mids, leaves, per_leaf, pool_sizes, pool_count, max_size):
    # small's shape and content at another scale: top/mid/leaf folders, sizes 1..max_size
    # plus a pool of a few fixed sizes, and about one file in eight a copy from the pool.
    rng = random.Random(seed)
    pool = [block(rng, rng.choice(pool_sizes)) for _ in range(pool_count)]
    n = 0
    folders = 1
    for a in range(tops):
        for b in range(mids):
            for c in range(leaves):
                folder = os.path.join(root, f"top{a:03d}", f"mid{b:02d}", f"leaf{c:02d}")
                os.makedirs(folder)
                folders += 1 + (c == 0) + (b == 0 and c == 0)  # the leaf, a new mid, a new top
                dir_fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
                try:
                    for i in range(per_leaf):
                        if rng.random() < 0.125:
                            data = rng.choice(pool)
                        else:
                            data = block(rng, rng.randint(1, max_size))
                        put(dir_fd, f"file{i:02d}_{n}.dat", data)
                        n += 1
                finally:
                    os.close(dir_fd)
    print(f"{n} files in {folders} folders")


def million(root):
    # 30 x 12 x 84 leaf folders x 33 files = 997,920 files; the pool grows with the tree
    # so that a copied content has about as many copies as in small.
    nested(root, 1000000, 30, 12, 84, 33, [64, 100, 512, 1000, 2048, 4096], 15000, 4096)


def three(root):
    # 101 x 10 x 90 leaf folders x 33 files = 2,999,700 files of 1..512 bytes: about
    # 0.8 GB to write and read instead of 6 GB with small's sizes. On disk each file
    # takes one 4 KB block either way, some 12 GB.
    nested(root, 3000000, 101, 10, 90, 33, [16, 64, 100, 256, 512], 45000, 512)


def mixed(root):
    # Long-tailed sizes up to tens of MB; about a quarter duplicated; same-size files that
    # differ only at the start or only at the end; a few duplicated folder trees.
    rng = random.Random(1984)
    files = 0
    total = 0
    originals = []

    def size_of():
        r = rng.random()
        if r < 0.88:
            return rng.randint(1, 64 * 1024)
        if r < 0.99:
            return rng.randint(64 * 1024, 1024 * 1024)
        if r < 0.998:
            return rng.randint(1024 * 1024, 8 * 1024 * 1024)
        return rng.randint(8 * 1024 * 1024, 40 * 1024 * 1024)

    target_files = 19000
    while files < target_files and total < 3 * 1024**3:
        folder = os.path.join(root, f"d{rng.randint(0, 199):03d}", f"s{rng.randint(0, 9)}")
        path = os.path.join(folder, f"f{files:05d}.bin")
        r = rng.random()
        if originals and r < 0.25:
            src = rng.choice(originals)
            with open(src, "rb") as f:
                data = f.read()
        elif originals and r < 0.30:
            with open(rng.choice(originals), "rb") as f:
                data = bytearray(f.read())
            if rng.random() < 0.5:
                data[0] ^= 0xFF
            else:
                data[-1] ^= 0xFF
            data = bytes(data)
        else:
            data = block(rng, size_of())
            originals.append(path)
        write(path, data)
        files += 1
        total += len(data)
    # A few duplicated folder trees.
    for t in range(5):
        tree = os.path.join(root, f"tree{t}")
        tree_files = []
        for i in range(40):
            tree_files.append((os.path.join(f"sub{i % 4}", f"t{i}.dat"), block(rng, rng.randint(1, 200000))))
        for copy in ("a", "b", "c")[: 2 + t % 2]:
            for rel, data in tree_files:
                write(os.path.join(tree, copy, rel), data)
                files += 1
                total += len(data)
    print(f"{files} files, {total / 1024**3:.2f} GB")


def big(root):
    # 24 files of 64 MB: 12 distinct contents, 8 with one copy, 2 with two, 2 unique.
    rng = random.Random(64)
    size = 64 * 1024 * 1024
    n = 0
    for k in range(12):
        data = block(rng, size)
        copies = 2 if k < 8 else 3
        if k >= 10:
            copies = 1  # unique, but of the same size
        for c in range(copies):
            write(os.path.join(root, f"g{k:02d}", f"copy{c}.bin"), data)
            n += 1
    print(f"{n} files of {size} bytes")


def bigsame(root):
    # 6 contents, each with one clone and two near clones of one changed byte: 24 files of
    # one size, like a camera's raw files or a video library, of 6 groups of 2.
    rng = random.Random(6464)
    size = 64 * 1024 * 1024
    positions = [0, size - 1, size // 2, 4096, size - 4097, size // 2 + 4096 + 7,
                 rng.randrange(size), rng.randrange(size), 1 << 20, size - (1 << 20),
                 rng.randrange(size), 100]
    n = 0
    for k in range(6):
        data = block(rng, size)
        write(os.path.join(root, f"g{k}", "original.bin"), data)
        write(os.path.join(root, f"g{k}", "clone.bin"), data)
        n += 2
        for v in range(2):
            near = bytearray(data)
            near[positions[2 * k + v]] ^= 0x5A
            write(os.path.join(root, f"g{k}", f"near{v}.bin"), bytes(near))
            n += 1
    print(f"{n} files of {size} bytes")


PRESETS = {"small": small, "million": million, "three": three, "mixed": mixed, "big": big,
           "bigsame": bigsame}


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in PRESETS:
        sys.exit(__doc__)
    root = sys.argv[2]
    if os.path.exists(root) and os.listdir(root):
        sys.exit(f"{root} is not empty")
    os.makedirs(root, exist_ok=True)
    PRESETS[sys.argv[1]](root)


if __name__ == "__main__":
    main()
