# SPDX-License-Identifier: Apache-2.0
"""Reads QL5Config's window from the accessibility bus as a screen reader
does, and checks the names and the warning that atspi_lab_test.sh expects."""
import sys
import time

import pyatspi


def find_application(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.5)
    return None


def nodes(node, depth=0):
    yield node
    if depth < 12:
        for child in node:
            if child is not None:
                yield from nodes(child, depth + 1)


def main():
    app = find_application("QL5Config", 20)
    if app is None:
        print("atspi: QL5Config did not appear on the accessibility bus")
        return 1
    deadline = time.time() + 20
    while True:
        seen = [(n.getRoleName(), n.name, n.description) for n in nodes(app)]
        warned = [s for s in seen if s[0] == "table cell" and "same IP address" in s[2]]
        if warned or time.time() > deadline:
            break
        time.sleep(0.5)
    failures = []
    for role, name in [("tree", "List of Converters"), ("text", "Filter"),
                       ("push button", "Clear the filter")]:
        if not any(s[0] == role and s[1] == name for s in seen):
            failures.append(f"no {role} named {name!r}")
    if not warned:
        failures.append("no row describes its warning")
    for failure in failures:
        print("atspi: " + failure)
    if not failures:
        print(f"atspi: {len(seen)} objects read; the names and the warning found")
    return 1 if failures else 0


sys.exit(main())
