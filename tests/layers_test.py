#!/usr/bin/env python3
"""The layers of the design, as a rule over the sources' includes:

- src/interpreter/ includes only itself, src/text/, src/files/ and the standard library; src/files/ (the files
  and folders every layer shares) only itself and the standard library; operating-system headers only in the
  seam files a port to another system replaces (SEAMS);
- Qt appears only in the GUI folders;
- src/port/ never includes src/interpreter/;
- bench/ compiles no source of tests/.

NOT_MOVED_YET names the files that still make system calls, or reach into the interpreter, directly. The list
may only shrink: a file that no longer needs its entry fails the test until the entry goes.

  layers_test.py SOURCE_DIR
"""

import os
import re
import sys
import tempfile
import unittest

ROOT = sys.argv[1]

# The C++ standard library's headers (and the C library's under their C++ names).
STANDARD = set("""
algorithm any array atomic bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes climits clocale
cmath compare complex concepts condition_variable cstddef cstdint cstdio cstdlib cstring ctime cwchar cwctype
deque exception execution filesystem format forward_list fstream functional future initializer_list iomanip
ios iosfwd iostream istream iterator limits list locale map memory memory_resource mutex new numbers numeric
optional ostream queue random ranges ratio regex scoped_allocator set shared_mutex source_location span
sstream stack stdexcept stop_token streambuf string string_view system_error thread tuple type_traits
typeindex typeinfo unordered_map unordered_set utility valarray variant vector version
""".split())

# The seams to the operating system: the only files of src/interpreter/ and src/files/ with system headers.
SEAMS = {
    "src/files/atomic_file.cpp",
    "src/files/system_folders.cpp",
    "src/files/whole_file.cpp",
    "src/interpreter/file_attributes.cpp",
    "src/interpreter/file_system.cpp",
    "src/interpreter/locale/locale.cpp",
    "src/interpreter/locale/datetime.cpp",
}

# What the files of each of those folders may include of the sources.
LOWER_LAYERS = {
    "src/interpreter": ("interpreter/", "text/", "files/"),
    "src/files": ("files/",),
}

# Includes that break a rule today, to be moved behind the seams (or the shared helpers into a lower layer).
NOT_MOVED_YET = set()

# Widgets live in the qt/ folders; the models beside them stay free of Qt. bench/editor measures the editor's
# page against Qt's own text widgets.
GUI_FOLDERS = ("src/runtime/qt/", "src/catalogue/qt/", "src/dialogs/qt/", "src/dialogs/designer/qt/", "src/editor/qt/",
               "src/recorder/qt/", "bench/editor/", "bench/dialogs/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def sources(root, folder, suffixes=(".cpp", ".h")):
    for directory, _, files in os.walk(os.path.join(root, folder)):
        for name in sorted(files):
            if name.endswith(suffixes):
                path = os.path.join(directory, name)
                yield os.path.relpath(path, root), path


def includes(path):
    with open(path, encoding="utf-8", errors="replace") as source:
        return INCLUDE.findall(source.read())


def interpreter_violations(root):
    """Includes of the interpreter's and the shared file helpers' files that reach past their layer, as
    'file: header' lines."""
    found = []
    for folder, reachable in LOWER_LAYERS.items():
        for relative, path in sources(root, folder):
            for kind, header in includes(path):
                if kind == '"':
                    allowed = header.startswith(reachable)
                else:
                    allowed = header in STANDARD or relative in SEAMS
                if not allowed:
                    found.append(f"{relative}: {header}")
    return found


def port_violations(root):
    return [f"{relative}: {header}" for relative, path in sources(root, "src/port")
            for _, header in includes(path) if header.startswith("interpreter/")]


class Layers(unittest.TestCase):
    def assertOnlyKnown(self, found):
        self.assertEqual(sorted(set(found) - NOT_MOVED_YET), [], "new includes across a layer")

    def test_the_interpreter_reaches_the_system_only_through_the_seams(self):
        self.assertOnlyKnown(interpreter_violations(ROOT))

    def test_the_platform_layer_never_includes_the_interpreter(self):
        self.assertOnlyKnown(port_violations(ROOT))

    def test_the_list_of_files_not_moved_yet_only_shrinks(self):
        present = set(interpreter_violations(ROOT)) | set(port_violations(ROOT))
        self.assertEqual(sorted(NOT_MOVED_YET - present), [], "moved: remove these from NOT_MOVED_YET")

    def test_the_rule_catches_a_system_header(self):
        with tempfile.TemporaryDirectory() as scratch:
            os.makedirs(os.path.join(scratch, "src", "interpreter"))
            with open(os.path.join(scratch, "src", "interpreter", "sneaky.cpp"), "w", encoding="utf-8") as out:
                out.write('#include "interpreter/value.h"\n#include <unistd.h>\n#include <string>\n'
                          '#include "port/desktop.h"\n')
            os.makedirs(os.path.join(scratch, "src", "files"))
            with open(os.path.join(scratch, "src", "files", "helper.cpp"), "w", encoding="utf-8") as out:
                out.write('#include "files/file_text.h"\n#include <fcntl.h>\n#include "interpreter/value.h"\n')
            self.assertEqual(interpreter_violations(scratch),
                             ["src/interpreter/sneaky.cpp: unistd.h", "src/interpreter/sneaky.cpp: port/desktop.h",
                              "src/files/helper.cpp: fcntl.h", "src/files/helper.cpp: interpreter/value.h"])

    def test_qt_only_in_the_gui_folders(self):
        found = []
        for folder in ("src", "tools", "bench"):
            for relative, path in sources(ROOT, folder):
                if relative.startswith(GUI_FOLDERS):
                    continue
                for _, header in includes(path):
                    if re.match(r"Q[A-Za-z]+(/|$)|Qt[A-Z]", header):
                        found.append(f"{relative}: {header}")
        self.assertEqual(found, [])

    def test_benchmarks_compile_no_test_sources(self):
        found = []
        for relative, path in sources(ROOT, "bench", ("CMakeLists.txt",)):
            with open(path, encoding="utf-8") as listing:
                for number, line in enumerate(listing, 1):
                    if re.search(r"(/|\b)tests/", line):
                        found.append(f"{relative}:{number}: {line.strip()}")
        for relative, path in sources(ROOT, "bench", (".cpp", ".h")):
            for kind, header in includes(path):
                if kind == '"' and os.path.exists(os.path.join(ROOT, "tests", header)):
                    found.append(f"{relative}: {header}")
        self.assertEqual(found, [])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
