#!/usr/bin/env python3
"""The language reference agrees with the language: every name of the name tables has an entry and every
entry names a real name (generate.py --check); every example runs under brindle --console, or, where it
needs a desktop or a server, passes brindle --check; every link of the generated pages resolves.

  reference_test.py BRINDLE NAMES.json SOURCE_DIR GENERATED_DIR
"""

import html.parser
import os
import subprocess
import sys
import tempfile
import unittest

BRINDLE, NAMES, SOURCE, GENERATED = sys.argv[1:5]
sys.path.insert(0, SOURCE)
from reference_source import NameTables, Reference, check  # noqa: E402

reference = Reference(SOURCE)
tables = NameTables(NAMES)


class SourceAgreesWithTables(unittest.TestCase):
    def test_every_name_has_an_entry_and_every_entry_a_name(self):
        self.assertEqual(check(reference, tables), [])

    def test_the_check_finds_a_missing_and_an_invented_name(self):
        # The same check against a source with one entry renamed: both directions must show.
        entry = reference.by_name["trim"]
        saved = entry.names
        entry.names = ["trimm"]
        try:
            problems = "\n".join(check(reference, tables))
        finally:
            entry.names = saved
        self.assertIn("trimm is no name of the language", problems)
        self.assertIn("trim (function) has no entry", problems)


class ExamplesRun(unittest.TestCase):
    def run_example(self, entry, mode):
        with tempfile.TemporaryDirectory() as folder:
            script = os.path.join(folder, "example.tws")
            with open(script, "w", encoding="utf-8") as out:
                out.write(entry.get("example") + "\n")
            environment = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
            environment.update(XDG_CONFIG_HOME=os.path.join(folder, "config"),
                               XDG_DATA_HOME=os.path.join(folder, "data"), HOME=folder,
                               DBUS_SESSION_BUS_ADDRESS="disabled:")
            arguments = [BRINDLE, "--console", script] if mode == "console" else [BRINDLE, "--check", script]
            return subprocess.run(arguments, cwd=folder, env=environment, stdin=subprocess.DEVNULL,
                                  capture_output=True, text=True, timeout=60)

    def test_every_example(self):
        ran = checked = 0
        for entry in reference.entries:
            if not all(tables.is_available(name) for name in entry.names):
                continue  # its group is not built: a run would only report that
            mode = entry.get("runs", "console")
            with self.subTest(entry=entry.name, mode=mode):
                outcome = self.run_example(entry, mode)
                self.assertEqual(outcome.returncode, 0, f"{entry.where()}: {outcome.stderr}")
                self.assertNotIn("Error:", outcome.stderr, entry.where())
                if mode == "console":
                    ran += 1
                else:
                    checked += 1
        self.assertGreater(ran, 100)
        self.assertGreater(checked, 40)


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []
        self.ids = set()

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        if "id" in attributes:
            self.ids.add(attributes["id"])
        for key in ("href", "src"):
            if key in attributes:
                self.links.append(attributes[key])


class PagesLink(unittest.TestCase):
    def test_every_link_resolves(self):
        folder = os.path.join(GENERATED, "html")
        pages = {}
        for name in os.listdir(folder):
            if name.endswith(".html"):
                parser = Links()
                with open(os.path.join(folder, name), encoding="utf-8") as page:
                    parser.feed(page.read())
                pages[name] = parser
        self.assertIn("index.html", pages)
        self.assertIn("names.html", pages)
        count = 0
        for name, parser in pages.items():
            for link in parser.links:
                count += 1
                self.assertNotIn("://", link, f"{name} links out of the reference: {link}")
                target, _, anchor = link.partition("#")
                target = target or name
                self.assertTrue(os.path.exists(os.path.join(folder, target)), f"{name}: {link}")
                if anchor:
                    self.assertIn(anchor, pages[target].ids, f"{name}: {link}")
        self.assertGreater(count, 400)

    def test_unbuilt_groups_say_so(self):
        unavailable = [item["name"] for item in tables.library if not item["available"]]
        with open(os.path.join(GENERATED, "html", "names.html"), encoding="utf-8") as page:
            text = page.read()
        for name in unavailable:
            self.assertIn(f">{name}</a> <span class=\"kind\">", text)
        self.assertEqual(text.count("not available in this version"), len(
            [n for n in reference.by_name if not tables.is_available(n)]))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
