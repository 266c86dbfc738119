#!/usr/bin/python3
"""Walks the tool's main dialog on the accessibility bus (AT-SPI), as a
screen reader does, writes what it finds to a text file and checks it:
every input heard by the name in heard_names.h, each IP-address control one
text field whose text is its address, with its four fields as its parts.

Usage: atspi_walk.py HEARD_NAMES_HEADER OUTPUT
"""
import collections
import re
import sys
import time

import pyatspi

APP = "nolt-pcclient"
INPUT_ROLES = {"push button", "radio button", "combo box", "text", "entry", "check box", "spin button"}
# The addresses atspi_walk.sh put in the settings file, and the fixed mask.
ADDRESSES = {
    "IP": "127.0.1.6",
    "Udp Rec IP": "127.0.1.24",
    "Camera IP": "127.0.1.11",
    "Gateway": "127.0.1.29",
    "Submask": "255.255.255.0",
    "DNS": "127.0.1.30",
}
HEADER = """\
# The tool's main dialog on the accessibility bus (AT-SPI) as a screen reader
# finds it: each object's role and name, a text field's text, and the label
# that names it. Hidden controls and closed lists are left out. The
# addresses are the ones the walk's settings file gave the tool.
# Written by tests/accessibility/atspi_walk.py (ctest -L a11y).

"""


def expected_names(header):
    """The names of kMainDialogHeard, one row a line."""
    text = open(header, encoding="utf-8").read()
    table = re.search(r"kMainDialogHeard\[\] = \{(.*?)\n\};", text, re.S).group(1)
    return [name for _, name in re.findall(r'\{(\d+), L"([^"]*)"\}', table)]


def find_dialog(timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == APP:
                for child in app:
                    if child is not None and child.getRoleName() == "dialog":
                        return child
        time.sleep(0.2)
    return None


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def text_of(obj):
    try:
        return obj.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def labelled_by(obj):
    for rel in obj.getRelationSet():
        if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY and rel.getNTargets():
            return rel.getTarget(0).name
    return None


def describe(obj):
    line = '%s "%s"' % (obj.getRoleName(), obj.name)
    text = text_of(obj)
    if text is not None and obj.getRoleName() in ("text", "entry"):
        line += " text %r" % text
    label = labelled_by(obj)
    if label:
        line += ' labelled by "%s"' % label
    return line


def is_ip_control(obj):
    return obj.getRoleName() == "text" and obj.childCount == 4 and all(
        c.getRoleName() == "text" for c in obj)


def walk(obj, depth, lines, inputs, ip_controls):
    """Showing objects only: hidden controls and closed lists are not heard."""
    lines.append("  " * depth + describe(obj))
    if is_ip_control(obj):
        ip_controls.append(obj)
        inputs.append(obj)
        for part in obj:
            lines.append("  " * (depth + 1) + describe(part))
        return
    if obj.getRoleName() in INPUT_ROLES:
        inputs.append(obj)
        return  # a list's items are not inputs of their own
    for child in obj:
        if child is not None and showing(child):
            walk(child, depth + 1, lines, inputs, ip_controls)


def check(inputs, ip_controls, expected):
    problems = []
    heard = collections.Counter(o.name for o in inputs)
    want = collections.Counter(expected)
    for name in sorted((want - heard).elements()):
        problems.append('not heard: "%s"' % name)
    for name in sorted((heard - want).elements()):
        problems.append('heard but not expected: "%s"' % name)
    for ip in ip_controls:
        if ip.name not in ADDRESSES:
            problems.append('IP-address control "%s" is not one of %s' % (ip.name, sorted(ADDRESSES)))
            continue
        if text_of(ip) != ADDRESSES[ip.name]:
            problems.append('"%s" reads %r, not %r' % (ip.name, text_of(ip), ADDRESSES[ip.name]))
        parts = [p.name for p in ip]
        want_parts = ["%s, part %d of 4" % (ip.name, n) for n in range(1, 5)]
        if parts != want_parts:
            problems.append('"%s" has the parts %s' % (ip.name, parts))
    if len(ip_controls) != len(ADDRESSES):
        problems.append("%d IP-address controls found as one field each, not %d" % (len(ip_controls), len(ADDRESSES)))
    return problems


def main():
    header, output = sys.argv[1], sys.argv[2]
    dialog = find_dialog()
    if dialog is None:
        print("the tool's main dialog did not appear on the accessibility bus")
        return 1
    lines, inputs, ip_controls = [], [], []
    walk(dialog, 0, lines, inputs, ip_controls)
    problems = check(inputs, ip_controls, expected_names(header))
    lines.append("")
    lines.append("%d inputs heard by name, %d IP-address controls heard as one field each" %
                 (len(inputs), len(ip_controls)))
    with open(output, "w", encoding="utf-8") as f:
        f.write(HEADER + "\n".join(lines) + "\n")
    print("\n".join(lines))
    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
