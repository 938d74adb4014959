#!/usr/bin/env python3
"""Makes the language reference from its source and the name tables:

  html/            static pages that work from disk: contents by group, an index by name, a page per group
  brindle.1        the program's manual page
  tarnwick-language.7   the language on one manual page
  reference.json   every entry for the editor's help, guide panel and completion list
  TWS.ACP          the editor's completion list (docs/completion-list.md)
  syntax/          the editors' syntax files (editor_syntax.py)

  generate.py --names NAMES.json --source DIR --out DIR --version X.Y.Z [--check]

With --check it only reports where the source and the tables disagree (exit status 1 when they do).
"""

import argparse
import datetime
import gzip
import html
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import editor_syntax  # noqa: E402
from reference_source import CARET, NameTables, Reference, check, slug  # noqa: E402

KIND_WORDS = {"statement": "statement", "block": "block", "function": "function", "command": "command",
              "variable": "system variable", "operator": "operator"}
NOT_AVAILABLE = "not available in this version"


def e(text):
    return html.escape(text, quote=True)


def inline(text):
    """Escapes text and turns `code` spans into <code> and known names in them into links later."""
    return re.sub(r"`([^`]+)`", lambda m: "<code>" + m.group(1) + "</code>", e(text))


def paragraphs(text):
    out = []
    for block in re.split(r"\n\s*\n", text.strip()):
        lines = block.split("\n")
        if all(line.startswith("- ") for line in lines):
            out.append("<ul>" + "".join(f"<li>{inline(line[2:])}</li>" for line in lines) + "</ul>")
        else:
            out.append("<p>" + inline(" ".join(lines)) + "</p>")
    return "\n".join(out)


def pairs(text):
    """'NAME: text' lines (continued by indented lines) as (name, text)."""
    items = []
    for line in text.split("\n"):
        match = re.match(r"^(\S.*?):\s+(.*)$", line)
        if match and not line.startswith(" "):
            items.append([match.group(1), match.group(2)])
        elif items:
            items[-1][1] += " " + line.strip()
        else:
            items.append(["", line])
    return items


class Site:
    def __init__(self, reference, tables, version):
        self.reference = reference
        self.tables = tables
        self.version = version

    def page_of(self, group):
        return slug(group.name) + ".html"

    def link(self, name, text=None):
        entry = self.reference.by_name.get(name.lower())
        if entry is None:
            return e(text or name)
        group = self.reference.group_of(entry)
        return f'<a href="{self.page_of(group)}#{slug(entry.name)}">{e(text or name)}</a>'

    def available(self, entry):
        return all(self.tables.is_available(name) for name in entry.names)

    def frame(self, title, body):
        return f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{e(title)} — tarnwick language reference</title>
<link rel="stylesheet" href="style.css">
</head>
<body>
<nav><a href="index.html">Contents</a> · <a href="names.html">Index of names</a></nav>
<main>
{body}
</main>
<footer>tarnwick {e(self.version)}</footer>
</body>
</html>
"""

    def entry_html(self, entry):
        parts = [f'<section class="entry" id="{slug(entry.name)}">']
        for alias in entry.names[1:]:
            parts.append(f'<span id="{slug(alias)}"></span>')
        kind = KIND_WORDS[entry.get("kind")]
        names = ", ".join(f"<code>{e(n)}</code>" for n in entry.names)
        parts.append(f'<h2>{names} <span class="kind">{kind}</span></h2>')
        if not self.available(entry):
            parts.append(f'<p class="unavailable">This {kind} is {NOT_AVAILABLE}: a script that uses it '
                         f'stops with an error saying so.</p>')
        parts.append(f'<p class="guide">{inline(entry.get("guide"))}</p>')
        parts.append(f'<pre class="syntax">{e(entry.get("syntax"))}</pre>')
        if entry.get("description"):
            parts.append(paragraphs(entry.get("description")))
        if entry.get("arguments"):
            parts.append("<h3>Arguments</h3><dl>")
            for name, text in pairs(entry.get("arguments")):
                parts.append(f"<dt><code>{e(name)}</code></dt><dd>{inline(text)}</dd>")
            parts.append("</dl>")
        if entry.get("result"):
            parts.append(f'<h3>Result</h3>{paragraphs(entry.get("result"))}')
        if entry.get("errors"):
            parts.append("<h3>Errors</h3><dl>")
            for name, text in pairs(entry.get("errors")):
                parts.append(f"<dt>{inline(name)}</dt><dd>{inline(text)}</dd>")
            parts.append("</dl>")
        parts.append(f'<h3>Example</h3><pre class="example">{e(entry.get("example"))}</pre>')
        if entry.get("see"):
            links = ", ".join(self.link(n) for n in re.split(r"[,\s]+", entry.get("see")) if n)
            parts.append(f"<p class=\"see\">See also: {links}</p>")
        parts.append("</section>")
        return "\n".join(parts)

    def group_page(self, group):
        entries = self.reference.entries_of(group)
        toc = " · ".join(self.link(entry.name) for entry in entries)
        body = [f"<h1>{e(group.get('title'))}</h1>", paragraphs(group.get("intro")), f'<p class="toc">{toc}</p>']
        body += [self.entry_html(entry) for entry in entries]
        return self.frame(group.get("title"), "\n".join(body))

    def contents_page(self):
        body = ["<h1>tarnwick language reference</h1>",
                "<p>Every statement, block word, built-in function, command and system variable of the script "
                "language, by group. The <a href=\"names.html\">index of names</a> lists them from A to Z. "
                "Run a script with <code>brindle script.tws</code>, or check it with "
                "<code>brindle --check script.tws</code>.</p>"]
        for group in self.reference.groups:
            entries = self.reference.entries_of(group)
            missing = [entry for entry in entries if not self.available(entry)]
            note = ""
            if missing and len(missing) == len(entries):
                note = f' <span class="unavailable">({NOT_AVAILABLE})</span>'
            elif missing:
                note = f' <span class="unavailable">(in part {NOT_AVAILABLE})</span>'
            body.append(f'<h2><a href="{self.page_of(group)}">{e(group.get("title"))}</a>{note}</h2>')
            first = group.get("intro").strip().split("\n\n")[0].replace("\n", " ")
            body.append(f"<p>{inline(first)}</p>")
            body.append('<p class="toc">' + " · ".join(self.link(entry.name) for entry in entries) + "</p>")
        return self.frame("Contents", "\n".join(body))

    def names_page(self):
        names = sorted(self.reference.by_name.items(), key=lambda item: (item[0].lstrip("_"), item[0]))
        rows = []
        letter = None
        for name, entry in names:
            first = name.lstrip("_")[0].upper()
            if first != letter:
                if letter is not None:
                    rows.append("</ul>")
                letter = first
                rows.append(f'<h2 id="letter-{first}">{first}</h2><ul class="names">')
            spelled = next(n for n in entry.names if n.lower() == name)
            kind = KIND_WORDS[entry.get("kind")]
            group = self.reference.group_of(entry)
            extra = "" if self.tables.is_available(spelled) else f' <span class="unavailable">{NOT_AVAILABLE}</span>'
            rows.append(f"<li>{self.link(spelled)} <span class=\"kind\">{kind}, {e(group.get('title'))}</span>"
                        f"{extra}</li>")
        rows.append("</ul>")
        letters = sorted({name.lstrip("_")[0].upper() for name in self.reference.by_name})
        jump = " ".join(f'<a href="#letter-{c}">{c}</a>' for c in letters)
        return self.frame("Index of names", f"<h1>Index of names</h1><p class=\"toc\">{jump}</p>" + "\n".join(rows))

    def write(self, out):
        os.makedirs(out, exist_ok=True)
        write(os.path.join(out, "index.html"), self.contents_page())
        write(os.path.join(out, "names.html"), self.names_page())
        for group in self.reference.groups:
            write(os.path.join(out, self.page_of(group)), self.group_page(group))
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "style.css"), encoding="utf-8") as css:
            write(os.path.join(out, "style.css"), css.read())


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    text = re.sub(r"`([^`]+)`", r"\\fB\1\\fR", text)
    return "\n".join(("\\&" + line) if line.startswith((".", "'")) else line for line in text.split("\n"))


def roff_paragraphs(text):
    return "\n.PP\n".join(roff(" ".join(block.split("\n"))) for block in re.split(r"\n\s*\n", text.strip()))


def language_page(reference, tables, version, date):
    out = [f'.TH TARNWICK\\-LANGUAGE 7 "{date}" "tarnwick {version}" "tarnwick"',
           ".SH NAME", "tarnwick\\-language \\- the script language of tarnwick and brindle",
           ".SH DESCRIPTION",
           "Scripts are text files (\\fB.tws\\fR, UTF\\-8) run by \\fBbrindle\\fR(1). This page lists every "
           "statement, block word, built\\-in function, command and system variable by group; the HTML "
           "reference in /usr/share/doc/tarnwick/reference/ says the same with links."]
    for group in reference.groups:
        out += [".SH " + roff(group.get("title").upper()), roff_paragraphs(group.get("intro"))]
        for entry in reference.entries_of(group):
            names = ", ".join(entry.names)
            out += [".SS " + roff(names), roff(entry.get("guide"))]
            if not all(tables.is_available(n) for n in entry.names):
                out.append(f".br\n({NOT_AVAILABLE})")
            out += [".PP", ".nf", roff(entry.get("syntax")), ".fi"]
            if entry.get("description"):
                out += [".PP", roff_paragraphs(entry.get("description"))]
            for field, title in (("arguments", "Arguments"), ("errors", "Errors")):
                if entry.get(field):
                    out += [".PP", title + ":"]
                    for name, text in pairs(entry.get(field)):
                        out += [".TP", ".B " + roff(name), roff(text)]
            if entry.get("result"):
                out += [".PP", "Result: " + roff(" ".join(entry.get("result").split("\n")))]
            out += [".PP", "Example:", ".RS", ".nf", roff(entry.get("example")), ".fi", ".RE"]
    out += [".SH SEE ALSO", "\\fBbrindle\\fR(1)"]
    return "\n".join(out) + "\n"


def editor_data(reference, tables):
    items = []
    for entry in reference.entries:
        for name in entry.names:
            items.append({
                "name": name,
                "entry": entry.name,
                "kind": entry.get("kind"),
                "group": entry.get("group"),
                "available": tables.is_available(name),
                "syntax": entry.get("syntax"),
                "guide": {"heading": entry.get("guide"), "body": entry.get("description")},
                "template": entry.get("template") if name == entry.name else name + CARET,
                "caret": CARET,
            })
    return json.dumps({"names": items}, indent=1, ensure_ascii=False) + "\n"


def completion_template(entry, name):
    """An alias completes to its entry's template with its own name in front."""
    template = entry.get("template")
    if name != entry.name and template.lower().startswith(entry.name.lower()):
        return name + template[len(entry.name):]
    return template if name == entry.name else name + CARET


def completion_list(reference):
    """The editor's completion list; docs/completion-list.md describes the format."""
    # The editor shows no guide for the first entry, so it is a heading no word at the caret can match.
    out = ["# The script editor's completion list, made from the language reference. A copy in",
           "# $XDG_DATA_HOME/tarnwick/ is read instead of this one.",
           "[Tarnwick Script]",
           "comment=Tarnwick Script|Ctrl+J completes the word before the caret", ""]
    for entry in sorted(reference.entries, key=lambda e: e.name.lower()):
        heading = " ".join(entry.get("guide").split())
        if "|" in heading:
            raise ValueError(f"{entry.where()}: the guide of {entry.name} holds '|', which ends a heading")
        body = entry.get("syntax").replace("\n", "\\n")
        for name in entry.names:
            out.append(f"[{name}]")
            out.append(f"comment={heading}|{body}")
            out += ["|" + line for line in completion_template(entry, name).split("\n")]
            out.append("")
    return "\n".join(out)


def write(path, text):
    # Written beside and renamed, so a build stopped half-way leaves no half page behind.
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path + ".part", "w", encoding="utf-8") as out:
        out.write(text)
    os.replace(path + ".part", path)


def write_gzip(path, text):
    # As Debian packages keep manual pages and change logs: best compression, no name, no time stamp.
    with open(path + ".part", "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as out:
            out.write(text.encode("utf-8"))
    os.replace(path + ".part", path)


def change_log(version, when):
    return (f"tarnwick ({version}) unstable; urgency=medium\n\n"
            "  * Built from this release; what changed is in the project's history.\n\n"
            f" -- The tarnwick developers <developers@tarnwick.invalid>  {when.strftime('%a, %d %b %Y %H:%M:%S %z')}\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--names", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--out")
    parser.add_argument("--version", default="")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    reference = Reference(args.source)
    tables = NameTables(args.names)
    problems = check(reference, tables)
    if args.check:
        for problem in problems:
            print(problem)
        print(f"{len(reference.entries)} entries, {len(problems)} problems")
        return 1 if problems else 0
    for problem in problems:
        print("reference: " + problem, file=sys.stderr)
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    utc = datetime.timezone.utc
    when = datetime.datetime.fromtimestamp(int(epoch), utc) if epoch else datetime.datetime.now(utc)
    date = when.strftime("%Y-%m-%d")
    Site(reference, tables, args.version).write(os.path.join(args.out, "html"))
    for program in ("brindle.1", "tarnwick.1"):
        with open(os.path.join(args.source, program + ".in"), encoding="utf-8") as template:
            page = template.read().replace("@VERSION@", args.version).replace("@DATE@", date)
        write(os.path.join(args.out, program), page)
        write_gzip(os.path.join(args.out, program + ".gz"), page)
    language = language_page(reference, tables, args.version, date)
    write(os.path.join(args.out, "tarnwick-language.7"), language)
    write_gzip(os.path.join(args.out, "tarnwick-language.7.gz"), language)
    write_gzip(os.path.join(args.out, "changelog.gz"), change_log(args.version, when))
    write(os.path.join(args.out, "reference.json"), editor_data(reference, tables))
    write(os.path.join(args.out, "TWS.ACP"), completion_list(reference))
    for name, text in editor_syntax.files(tables).items():
        write(os.path.join(args.out, "syntax", name), text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
