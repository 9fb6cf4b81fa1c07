#!/usr/bin/env python3
"""Checks the tree's rules that no compiler checks, and prints every file that breaks one:

- the overlay engine's folders form layers: a file includes from its own folder, from folders
  of a lower layer, or from outside the engine, never from a higher layer;
- every C++ file is as clang-format (the repository's .clang-format) would write it.

Exit code 0 when all hold, 1 otherwise."""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ENGINE = "overlay/engine"
# The engine's folders from the bottom up; a folder may include any folder of a lower rank.
ENGINE_LAYERS = {"settings": 0, "pixels": 0, "calibration": 1, "outputs": 1, "capture": 1, "handout": 1, "": 2, "bench": 3}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_SUFFIXES = (".cpp", ".h")


def tracked_sources():
    out = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, capture_output=True, check=True).stdout
    return [p for p in out.decode().split("\0") if p.endswith(SOURCE_SUFFIXES)]


def engine_folder(path):
    """The engine folder a path lies in ("" for the engine's root), or None outside the engine."""
    if not path.startswith(ENGINE + "/"):
        return None
    parts = path[len(ENGINE) + 1:].split("/")
    folder = parts[0] if len(parts) > 1 else ""
    return folder


def layer_faults(files):
    faults = []
    for path in files:
        here = engine_folder(path)
        if here is None:
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for included in INCLUDE.findall(text):
            there = engine_folder(included)
            if there is None or there == here:
                continue
            if there not in ENGINE_LAYERS or here not in ENGINE_LAYERS:
                faults.append(f"{path}: {included} lies in an engine folder with no layer")
            elif ENGINE_LAYERS[there] >= ENGINE_LAYERS[here]:
                faults.append(f"{path}: includes {included}, which is not below it")
    return faults


def format_faults(files):
    clang_format = os.environ.get("CLANG_FORMAT", "clang-format")
    result = subprocess.run([clang_format, "--dry-run", "--Werror", *files], cwd=ROOT, capture_output=True,
                            text=True)
    # Each place it would change is reported as "path:line:column: error: ..."; one line a file here.
    unformatted = sorted({line.split(":", 1)[0] for line in result.stderr.splitlines() if ": error: " in line})
    faults = [f"{path}: not formatted (clang-format -i {path})" for path in unformatted]
    if result.returncode != 0 and not faults:
        faults.append(f"clang-format failed: {result.stderr.strip()[:200]}")
    return faults


def main():
    files = tracked_sources()
    faults = layer_faults(files) + format_faults(files)
    for fault in faults:
        print(fault)
    if faults:
        print(f"check_tree: {len(faults)} fault(s)")
        return 1
    print(f"check_tree: {len(files)} files, layers and formatting hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())
