#!/usr/bin/env python3
"""Chooses the tests the sanitizer run leaves out.

Builds the tree with gcc's line coverage (build-cov/), runs every test on its
own with its own coverage folder (the programs a test starts write there too),
and reads which lines of the product each test runs.  Then, cheapest per new
line first, it picks tests until every line the whole suite runs is run by
one of them; the tests not picked reach no line the picked ones do not, and go
to tests/sanitizer-skip.txt, which the sanitizer tree does not build.  A test
not in that file (a new one) always runs under the sanitizers.

    scripts/sanitizer-subset.py [--jobs N] [--no-build]
"""
import argparse
import concurrent.futures
import json
import os
import pathlib
import shutil
import subprocess
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build-cov"
SKIP_FILE = ROOT / "tests" / "sanitizer-skip.txt"
# The product: everything the programs are made of, the simulator included.
PRODUCT_DIRS = ("app", "cli", "common", "i18n", "mqtt", "protocol", "serial", "sim", "ui", "assets")


def build():
    env = dict(os.environ, BUILD_TYPE="None")
    subprocess.run([str(ROOT / "scripts" / "build.sh"), str(BUILD), "-DTAVIK_BENCH=OFF",
                    "-DCMAKE_CXX_FLAGS=-O0 --coverage", "-DCMAKE_EXE_LINKER_FLAGS=--coverage"],
                   env=env, check=True)


def test_names():
    out = subprocess.run(["ctest", "--test-dir", str(BUILD), "-N"], capture_output=True, text=True,
                         check=True).stdout
    return [line.split(":", 1)[1].strip() for line in out.splitlines() if line.strip().startswith("Test")
            and ":" in line]


def run_test(name, prefix):
    env = dict(os.environ, GCOV_PREFIX=str(prefix), GCOV_PREFIX_STRIP="0", QT_QPA_PLATFORM="offscreen")
    started = time.monotonic()
    done = subprocess.run(["ctest", "--test-dir", str(BUILD), "-R", f"^{name}$", "--output-on-failure"],
                          env=env, capture_output=True, text=True)
    return name, time.monotonic() - started, done.returncode == 0


def product_source(path):
    try:
        rel = pathlib.Path(path).resolve().relative_to(ROOT)
    except ValueError:
        return None
    return str(rel) if rel.parts and rel.parts[0] in PRODUCT_DIRS else None


def lines_run(prefix):
    """The (file, line) pairs of the product that ran under this prefix."""
    covered = set()
    data_root = prefix / str(BUILD).lstrip("/")
    by_dir = {}
    for gcda in data_root.rglob("*.gcda"):
        by_dir.setdefault(gcda.parent, []).append(gcda)
    for folder, files in by_dir.items():
        objects = BUILD / folder.relative_to(data_root)
        for gcda in files:
            gcno = objects / (gcda.stem + ".gcno")
            if gcno.exists():
                shutil.copy(gcno, folder)
        out = subprocess.run(["gcov", "--json-format", "--stdout", *[str(f) for f in files]],
                             cwd=folder, capture_output=True, text=True).stdout
        for doc in out.splitlines():
            if not doc.startswith("{"):
                continue
            for entry in json.loads(doc).get("files", []):
                source = product_source(entry["file"] if os.path.isabs(entry["file"])
                                        else BUILD / entry["file"])
                if source:
                    covered.update((source, ln["line_number"]) for ln in entry["lines"] if ln["count"] > 0)
    return covered


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--no-build", action="store_true", help="use build-cov/ as it is")
    args = parser.parse_args()
    if not args.no_build:
        build()
    names = test_names()
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="tavik-cov-"))
    seconds, lines = {}, {}
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for name, took, passed in pool.map(lambda n: run_test(n, scratch / n), names):
            if not passed:
                raise SystemExit(f"{name} failed in the coverage tree: fix it first")
            seconds[name] = took
            print(f"{name}: {took:.1f} s", flush=True)
    for name in names:
        lines[name] = lines_run(scratch / name)
    shutil.rmtree(scratch)

    everything = set().union(*lines.values())
    left, picked = set(everything), []
    while left:
        best = max((n for n in names if n not in picked), key=lambda n: len(lines[n] & left) / seconds[n])
        if not lines[best] & left:
            break
        picked.append(best)
        left -= lines[best]
    skipped = sorted(n for n in names if n not in picked)
    whole, part = sum(seconds.values()), sum(seconds[n] for n in picked)
    SKIP_FILE.write_text(
        "# Tests the sanitizer run leaves out: every product line they run is run by\n"
        "# a test the sanitizer run keeps.  Made by scripts/sanitizer-subset.py on\n"
        f"# {time.strftime('%Y-%m-%d')}: {len(everything)} product lines run by the whole suite,\n"
        f"# all of them by the {len(picked)} tests kept ({part:.0f} s of {whole:.0f} s one at a time\n"
        "# in the coverage tree).\n" + "".join(n + "\n" for n in skipped))
    print(f"{len(picked)} of {len(names)} tests reach all {len(everything)} lines; "
          f"{part:.0f} s of {whole:.0f} s")


if __name__ == "__main__":
    main()
