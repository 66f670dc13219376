# SPDX-License-Identifier: Apache-2.0
"""Reads QL5Config's window from the accessibility bus as a screen reader
does, and checks the names and the warning that atspi_lab_test.sh expects,
and that the status line announces its changes when the list is refreshed."""
import sys
import time

import pyatspi
from gi.repository import GLib


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


def status_announcements(app, seconds):
    """Presses Refresh List and collects the names that labels announce."""
    refresh = next((n for n in nodes(app)
                    if n.getRoleName() == "push button" and "Refresh" in n.name), None)
    if refresh is None:
        return None
    announced = []

    def heard(event):
        if event.source is not None and event.source.getRoleName() == "label":
            announced.append(event.source.name)

    pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")

    def press():
        refresh.queryAction().doAction(0)
        return False

    GLib.timeout_add(500, press)
    GLib.timeout_add(seconds * 1000, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(heard, "object:property-change:accessible-name")
    return announced


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
    announced = status_announcements(app, 6)
    if announced is None:
        failures.append("no Refresh List button")
    elif not any(name.endswith("converters found") for name in announced):
        failures.append(f"the status line announced no count after a refresh: {announced!r}")
    for failure in failures:
        print("atspi: " + failure)
    if not failures:
        print(f"atspi: {len(seen)} objects read; the names and the warning found; "
              f"the status line announced {announced!r}")
    return 1 if failures else 0


sys.exit(main())
