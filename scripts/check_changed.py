#!/usr/bin/env python3
"""Formatting (.clang-format) and static analysis (.clang-tidy) of the C++ lines changed since a commit, so
that new code follows both without a reformat of the whole tree.

  check_changed.py BUILD_DIR [BASE]     BUILD_DIR holds compile_commands.json; BASE defaults to HEAD~1

Exit status 1 when a changed line is formatted otherwise or draws a warning.
"""

import concurrent.futures
import json
import os
import re
import subprocess
import sys


def changed_lines(base):
    diff = subprocess.run(["git", "diff", "-U0", "--no-color", base, "--", "*.cpp", "*.h"],
                          capture_output=True, text=True, check=True).stdout
    lines = {}
    path = None
    for line in diff.splitlines():
        if line.startswith("+++ "):
            path = line[6:] if line.startswith("+++ b/") else None
        match = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
        if match and path and os.path.exists(path):
            first, count = int(match.group(1)), int(match.group(2) or "1")
            if count > 0:
                lines.setdefault(path, []).append([first, first + count - 1])
    return diff, lines


def main():
    build = sys.argv[1]
    base = sys.argv[2] if len(sys.argv) > 2 else "HEAD~1"
    if subprocess.run(["git", "rev-parse", "--verify", "-q", base], capture_output=True).returncode != 0:
        print(f"no commit {base} to compare with: nothing to check")
        return 0
    diff, lines = changed_lines(base)
    if not lines:
        print("no C++ lines changed")
        return 0
    failed = False
    formatting = subprocess.run(["clang-format-diff-14", "-p1"], input=diff, capture_output=True, text=True)
    if formatting.stdout.strip():
        print(formatting.stdout)
        print("formatting: the changed lines above are not laid out as .clang-format says")
        failed = True
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as database:
        compiled = {os.path.realpath(entry["file"]) for entry in json.load(database)}
    line_filter = json.dumps([{"name": path, "lines": ranges} for path, ranges in lines.items()])
    sources = [path for path in lines if path.endswith(".cpp") and os.path.realpath(path) in compiled]

    def tidy(source):
        return subprocess.run(["clang-tidy-14", "-p", build, "--quiet", f"--line-filter={line_filter}", source],
                              capture_output=True, text=True)

    # Each file is analysed whole (the filter only picks the warnings), so files run side by side.
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        for result in pool.map(tidy, sources):
            if result.returncode != 0:
                print(result.stdout + result.stderr)
                failed = True
    print(f"changed files: {len(lines)}, analysed: {len(sources)}, {'problems found' if failed else 'clean'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
