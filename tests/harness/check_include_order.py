#!/usr/bin/env python3
"""Usage: check_include_order.py SOURCE_DIR

Holds the tree to the code map of docs/ARCHITECTURE.md. Its "folders" block
lists the folders from the bottom up, one a line: a folder may include its
own headers and those of the folders listed above it, or, when its line
goes on with "only", of the folders named there alone. A code file belongs
to the nearest folder of the list that holds it. Its "include-rules" block
gives, a line each, an #include pattern and the only folders (or files)
where it may stand. Its "core-never" block names what the sources of the
core library (nolt_core, as src/*/CMakeLists.txt list them) may never reach
through their includes. Fails naming each place where:
  - an #include "..." runs upward or to a folder its line does not allow;
  - two folders (any two, also within one listed folder) include each other;
  - an #include matches a rule outside the places the rule allows;
  - a code file lies in no folder of the list;
  - a source of the core reaches a folder or file of "core-never";
  - a path the page names in backquotes or links to does not exist;
  - a top-level folder and a folder of src/ share a name.
"""
import fnmatch
import glob
import os
import re
import sys

root = os.path.abspath(sys.argv[1])
page = os.path.join(root, "docs", "ARCHITECTURE.md")
text = open(page, encoding="utf-8").read()
problems = []


def block(name):
    found = re.search(r"^ *```" + name + r"\n(.*?)^ *```", text, re.S | re.M)
    if not found:
        sys.exit(f"{page}: no ```{name} block")
    lines = (line.split("#", 1)[0].split() for line in found.group(1).splitlines())
    return [words for words in lines if words]


order, allowed = [], {}
for folder, *rest in block("folders"):
    order.append(folder)
    if rest[:1] == ["only"]:
        allowed[folder] = set(rest[1:])
rules = [(pattern, places) for pattern, *places in block("include-rules")]
core_never = [place for line in block("core-never") for place in line]


def under(path, place):
    return path == place or path.startswith(place + "/")


def code_files():
    for top, dirs, files in os.walk(root):
        # Build trees (anything CMake configured) and hidden folders are not the code.
        dirs[:] = [d for d in dirs if not d.startswith(".") and d != "packages"
                   and not os.path.exists(os.path.join(top, d, "CMakeCache.txt"))]
        for f in files:
            if f.endswith((".h", ".hpp", ".cpp", ".c", ".rc")):
                yield os.path.relpath(os.path.join(top, f), root).replace(os.sep, "/")


def owner(path):
    folder = os.path.dirname(path)
    while folder and folder not in order:
        folder = os.path.dirname(folder)
    return folder or None


def resolve(path, name):
    # The compilers' search: the file's own folder, then src/, the top, tests/.
    for base in (os.path.dirname(path), "src", "", "tests"):
        candidate = os.path.normpath(os.path.join(base, name)).replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None  # a system or generated header


folder_edges, file_includes = set(), {}
for path in code_files():
    mine = owner(path)
    if mine is None:
        problems.append(f"{path}: in no folder of the code map")
        continue
    for number, line in enumerate(open(os.path.join(root, path), encoding="utf-8", errors="replace"), 1):
        include = re.match(r'\s*#\s*include\s*([<"][^>"]+[>"])', line)
        if not include:
            continue
        where, written = f"{path}:{number}", include.group(1)
        for pattern, places in rules:
            if fnmatch.fnmatchcase(written, pattern) and not any(under(path, p) for p in places):
                problems.append(f"{where}: {written} is allowed only in {' '.join(places)}")
        target = resolve(path, written[1:-1]) if written.startswith('"') else None
        if target:
            file_includes.setdefault(path, []).append(target)
        theirs = target and owner(target)
        if not theirs:
            continue
        if os.path.dirname(path) != os.path.dirname(target):
            folder_edges.add((os.path.dirname(path), os.path.dirname(target)))
        if theirs == mine:
            continue
        if order.index(theirs) > order.index(mine):
            problems.append(f"{where}: {written} runs upward, from {mine} to {theirs}")
        elif mine in allowed and theirs not in allowed[mine]:
            problems.append(f"{where}: {written}: {mine} includes only {' '.join(sorted(allowed[mine]))}")

for a, b in sorted(folder_edges):
    if a < b and (b, a) in folder_edges:
        problems.append(f"{a} and {b} include each other")

core = []
for cmake in glob.glob(os.path.join(root, "src", "**", "CMakeLists.txt"), recursive=True):
    folder = os.path.relpath(os.path.dirname(cmake), root).replace(os.sep, "/")
    for sources in re.findall(r"target_sources\(nolt_core\s+PRIVATE\s+([^)]*)\)", open(cmake).read()):
        core += [f"{folder}/{f}" for f in sources.split() if "$" not in f]
for source in core:
    seen, todo = set(), [source]
    while todo:
        for target in file_includes.get(todo.pop(), []):
            if target not in seen:
                seen.add(target)
                todo.append(target)
    for reached in sorted(t for t in seen if any(under(t, place) for place in core_never)):
        problems.append(f"{source}: a source of the core, reaches {reached} through its includes")

named = set(re.findall(r"`([A-Za-z_.][\w.*@+-]*/[\w./*@+-]*)`", text))
named |= {os.path.normpath(os.path.join("docs", link)) for link in re.findall(r"\]\(([^)#:]+)\)", text)}
for path in sorted(named | set(order)):
    if not glob.glob(os.path.join(root, path)):
        problems.append(f"{page}: names {path}, which does not exist")

tops = {d for d in os.listdir(root) if os.path.isdir(os.path.join(root, d))}
for shared in sorted(tops & {d for d in os.listdir(os.path.join(root, "src"))}):
    problems.append(f"{shared}/ and src/{shared}/ share a name")

for problem in problems:
    print(problem)
print(f"{len(order)} folders in order, {len(folder_edges)} includes between folders, {len(core)} core sources, "
      f"{len(named)} paths named: {len(problems)} problems")
sys.exit(1 if problems else 0)
