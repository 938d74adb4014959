"""Reading the reference source (docs/reference/*.ref) and checking it against the name tables.

A source file holds records. A record starts with a line "@group SLUG" or "@entry NAME[, NAME...]" and
holds fields "key: value"; a value may go on over the following lines indented by two blanks (the
indentation is removed). Lines starting with "#" outside a value are comments.
"""

import json
import os
import re

ENTRY_FIELDS = {
    "kind": True, "group": True, "syntax": True, "guide": True, "template": True, "description": False,
    "arguments": False, "result": False, "errors": False, "example": True, "runs": False, "see": False,
}
GROUP_FIELDS = {"title": True, "order": True, "intro": True}
KINDS = ("statement", "block", "function", "command", "variable", "operator")
CARET = "$0"  # where the cursor goes when the editor inserts a completion template


class Record:
    def __init__(self, tag, names, source, line):
        self.tag = tag
        self.names = names
        self.fields = {}
        self.source = source
        self.line = line

    @property
    def name(self):
        return self.names[0]

    def get(self, key, default=""):
        return self.fields.get(key, default)

    def where(self):
        return f"{self.source}:{self.line}"


def parse_file(path):
    records = []
    current = None
    key = None
    with open(path, encoding="utf-8") as source:
        for number, raw in enumerate(source, 1):
            line = raw.rstrip("\n")
            if line.startswith("  ") and key is not None:
                value = current.fields[key]
                current.fields[key] = (value + "\n" if value else "") + line[2:]
                continue
            if line.strip() == "" and key is not None:
                current.fields[key] += "\n"
                continue
            if line.startswith("#") or line.strip() == "":
                key = None
                continue
            if line.startswith("@"):
                tag, _, rest = line[1:].partition(" ")
                names = [n.strip() for n in rest.split(",") if n.strip()]
                if tag not in ("group", "entry") or not names:
                    raise SyntaxError(f"{path}:{number}: a record starts with @group SLUG or @entry NAME")
                current = Record(tag, names, os.path.basename(path), number)
                records.append(current)
                key = None
                continue
            match = re.match(r"([a-z]+):\s?(.*)$", line)
            if not match or current is None:
                raise SyntaxError(f"{path}:{number}: expected 'field: value', got {line!r}")
            key = match.group(1)
            current.fields[key] = match.group(2)
    for record in records:
        for field in record.fields:
            record.fields[field] = record.fields[field].strip("\n")
    return records


class Reference:
    def __init__(self, source_dir):
        self.groups = []
        self.entries = []
        for name in sorted(os.listdir(source_dir)):
            if name.endswith(".ref"):
                for record in parse_file(os.path.join(source_dir, name)):
                    (self.groups if record.tag == "group" else self.entries).append(record)
        self.groups.sort(key=lambda g: int(g.get("order", "999")))
        self.by_name = {}
        for entry in self.entries:
            for name in entry.names:
                self.by_name[name.lower()] = entry

    def entries_of(self, group):
        return [e for e in self.entries if e.get("group") == group.name]

    def group_of(self, entry):
        for group in self.groups:
            if group.name == entry.get("group"):
                return group
        return None


def slug(text):
    return re.sub(r"[^a-z0-9]+", "-", text.lower()).strip("-")


class NameTables:
    """What tw_name_tables printed: the names the interpreter and the library know."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as source:
            tables = json.load(source)
        self.statements = tables["statements"]
        self.functions = sorted(set(tables["functions"]))
        self.library = tables["library"]
        self.variables = tables["variables"]
        self.operators = tables["operators"]
        self.available = {item["name"]: item["available"] for item in self.library}
        self.available.update({item["end"]: item["available"] for item in self.library if item["kind"] == "block"})
        self.library_group = {item["name"]: slug(item["group"]) for item in self.library}
        self.blocks = [item for item in self.library if item["kind"] == "block"]

    def kind_of(self):
        kinds = {}
        for name in self.statements:
            kinds[name] = "statement"
        for name in self.functions:
            kinds[name] = "function"
        for item in self.library:
            kinds[item["name"]] = item["kind"]
            if item["kind"] == "block":
                kinds[item["end"]] = "block"
        for name in self.variables:
            kinds[name.lower()] = "variable"
        for name in self.operators:
            kinds[name] = "operator"
        return kinds

    def is_available(self, name):
        return self.available.get(name.lower(), True)


def check(reference, tables):
    """Every problem between the source and the tables, as readable lines; none when they agree."""
    problems = []
    kinds = tables.kind_of()
    group_names = {g.name for g in reference.groups}
    for group in reference.groups:
        for field, required in GROUP_FIELDS.items():
            if required and not group.get(field):
                problems.append(f"{group.where()}: group {group.name} has no {field}")
    seen = {}
    for entry in reference.entries:
        for field in entry.fields:
            if field not in ENTRY_FIELDS:
                problems.append(f"{entry.where()}: unknown field '{field}' in {entry.name}")
        for field, required in ENTRY_FIELDS.items():
            if required and not entry.get(field):
                problems.append(f"{entry.where()}: {entry.name} has no {field}")
        if entry.get("kind") not in KINDS:
            problems.append(f"{entry.where()}: {entry.name} has kind '{entry.get('kind')}'")
        if entry.get("kind") in ("function",) and not entry.get("result"):
            problems.append(f"{entry.where()}: function {entry.name} says nothing of its result")
        if entry.get("group") not in group_names:
            problems.append(f"{entry.where()}: {entry.name} is in no known group ('{entry.get('group')}')")
        if CARET not in entry.get("template"):
            problems.append(f"{entry.where()}: the template of {entry.name} has no caret mark {CARET}")
        if entry.get("runs", "console") not in ("console", "check"):
            problems.append(f"{entry.where()}: {entry.name} runs its example with '{entry.get('runs')}'")
        for name in entry.names:
            lowered = name.lower()
            if lowered in seen:
                problems.append(f"{entry.where()}: {name} also has an entry at {seen[lowered].where()}")
            seen[lowered] = entry
            if lowered not in kinds:
                problems.append(f"{entry.where()}: {name} is no name of the language")
            elif name == entry.name and kinds[lowered] != entry.get("kind"):
                problems.append(f"{entry.where()}: {name} is a {kinds[lowered]}, not a {entry.get('kind')}")
            if lowered in tables.library_group and tables.library_group[lowered] != entry.get("group"):
                problems.append(f"{entry.where()}: {name} belongs to the group {tables.library_group[lowered]}")
        for see in re.split(r"[,\s]+", entry.get("see")):
            if see and see.lower() not in reference.by_name:
                problems.append(f"{entry.where()}: {entry.name} refers to {see}, which has no entry")
    for name in kinds:
        if name not in seen:
            problems.append(f"{name} ({kinds[name]}) has no entry")
    return problems
