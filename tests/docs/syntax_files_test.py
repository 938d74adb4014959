#!/usr/bin/env python3
"""The editors' syntax files, each checked with the tool of the editor family that reads it: the GtkSourceView
language file against GtkSourceView's own schema (xmllint), the KSyntaxHighlighting definition loaded by
KSyntaxHighlighting's highlighter on a sample script, the Vim file loaded by Vim in -es mode on the same
sample, and the TextMate grammar read as JSON. Each must name every word of the name tables.

  syntax_files_test.py NAMES.json SOURCE_DIR GENERATED_DIR
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

NAMES, SOURCE, GENERATED = sys.argv[1:4]
sys.path.insert(0, SOURCE)
from editor_syntax import Words  # noqa: E402
from reference_source import NameTables  # noqa: E402

SYNTAX = os.path.join(GENERATED, "syntax")
WORDS = Words(NameTables(NAMES))
GTKSOURCEVIEW_SCHEMA = "/usr/share/gtksourceview-4/language-specs/language2.rng"
SAMPLE = """#description: a sample
' a comment with print in it
start:
x = leftpad("7", 3, "0") + 1.5E3
if x > 2 then
  send "|x|{ENTER}"
endif
string letter
  Dear |name|, print is no keyword here
endstring
goto start
"""


def words_in(text):
    return set(re.findall(r"[A-Za-z_][A-Za-z0-9_]*", text))


class GtkSourceView(unittest.TestCase):
    def test_valid_against_the_schema_and_complete(self):
        path = os.path.join(SYNTAX, "tarnwick.lang")
        outcome = subprocess.run(["xmllint", "--noout", "--relaxng", GTKSOURCEVIEW_SCHEMA, path],
                                 capture_output=True, text=True)
        self.assertEqual(outcome.returncode, 0, outcome.stderr)
        with open(path, encoding="utf-8") as source:
            keywords = set(re.findall(r"<keyword>([^<]+)</keyword>", source.read()))
        self.assertEqual(keywords, set(WORDS.statements + WORDS.functions + WORDS.commands + WORDS.variables))


class KSyntaxHighlighting(unittest.TestCase):
    def test_the_highlighter_loads_it_and_colours_a_script(self):
        path = os.path.join(SYNTAX, "tarnwick.xml")
        self.assertEqual(subprocess.run(["xmllint", "--noout", path]).returncode, 0)
        with tempfile.TemporaryDirectory() as home:
            syntax_dir = os.path.join(home, "org.kde.syntax-highlighting", "syntax")
            os.makedirs(syntax_dir)
            shutil.copy(path, syntax_dir)
            sample = os.path.join(home, "sample.tws")
            with open(sample, "w", encoding="utf-8") as out:
                out.write(SAMPLE)
            outcome = subprocess.run(
                ["kate-syntax-highlighter", "--syntax", "Tarnwick", "--output-format", "html", sample],
                env=dict(os.environ, XDG_DATA_HOME=home, QT_QPA_PLATFORM="offscreen"),
                capture_output=True, text=True, timeout=60)
        self.assertEqual(outcome.returncode, 0, outcome.stderr)
        self.assertNotIn("Unknown", outcome.stderr)
        self.assertNotIn("KSyntaxHighlighting", outcome.stderr)
        # Keywords, the comment and the block each get a colour of their own.
        spans = re.findall(r'<span style="([^"]*)">([^<]*)</span>', outcome.stdout)
        style = {text: css for css, text in spans}
        for word in ("leftpad", "send", "if", "goto"):
            self.assertIn(word, style, outcome.stdout)
        self.assertNotEqual(style["leftpad"], style["send"])
        comment = next(css for css, text in spans if text.startswith("' a comment"))
        self.assertNotEqual(comment, style["if"])
        with open(path, encoding="utf-8") as source:
            items = set(re.findall(r"<item>([^<]+)</item>", source.read()))
        self.assertEqual(items, set(WORDS.statements + WORDS.functions + WORDS.commands + WORDS.variables))


class Vim(unittest.TestCase):
    def test_vim_loads_it_on_a_sample_and_names_every_word(self):
        with tempfile.TemporaryDirectory() as folder:
            runtime = os.path.join(folder, "vimfiles")
            shutil.copytree(os.path.join(SYNTAX, "vim"), runtime)
            sample = os.path.join(folder, "sample.tws")
            report = os.path.join(folder, "report.txt")
            with open(sample, "w", encoding="utf-8") as out:
                out.write(SAMPLE)
            probes = [(4, 5, "twFunction"), (6, 3, "twCommand"), (5, 1, "twStatement"), (2, 1, "twComment"),
                      (9, 4, "twBlock"), (9, 10, "twExpansion"), (3, 1, "twLabel"), (1, 1, "twHeader")]
            commands = ["set nocompatible", f"set runtimepath^={runtime}", "filetype on", "syntax on",
                        f"edit {sample}", "redir! > " + report, "echo &filetype", "echo 'errors:' . v:errmsg"]
            commands += [f"echo synIDattr(synID({line}, {column}, 1), 'name')" for line, column, _ in probes]
            commands += ["redir END", "qall!"]
            script = os.path.join(folder, "probe.vim")
            with open(script, "w", encoding="utf-8") as out:
                out.write("\n".join(commands) + "\n")
            outcome = subprocess.run(["vim", "-Nu", "NONE", "-i", "NONE", "-es", "-S", script],
                                     capture_output=True, text=True, timeout=60, env=dict(os.environ, HOME=folder))
            self.assertEqual(outcome.returncode, 0, outcome.stderr)
            with open(report, encoding="utf-8") as lines:
                answers = [line for line in lines.read().split("\n") if line]
        self.assertEqual(answers[0], "tarnwick")
        self.assertEqual(answers[1], "errors:", "Vim reported an error")
        self.assertEqual(answers[2:], [group for _, _, group in probes])
        with open(os.path.join(SYNTAX, "vim", "syntax", "tarnwick.vim"), encoding="utf-8") as source:
            keywords = set()
            for line in source:
                if line.startswith("syn keyword "):
                    keywords |= set(line.split()[3:])
        self.assertEqual(keywords, set(WORDS.statements + WORDS.functions + WORDS.commands + WORDS.variables))


class TextMate(unittest.TestCase):
    def test_the_grammar_is_json_and_names_every_word(self):
        with open(os.path.join(SYNTAX, "tarnwick.tmLanguage.json"), encoding="utf-8") as source:
            grammar = json.load(source)
        self.assertEqual(grammar["scopeName"], "source.tarnwick")
        named = set()
        for rule in grammar["repository"].values():
            for key in ("match", "begin", "end"):
                if key in rule:
                    named |= words_in(rule[key].replace("(?i)", ""))
        for word in WORDS.all():
            self.assertIn(word, named)
        for name, rule in grammar["repository"].items():
            for key in ("match", "begin", "end"):
                if key in rule:
                    re.compile(rule[key].replace("(?i)", ""), re.IGNORECASE)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
