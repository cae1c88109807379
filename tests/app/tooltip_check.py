#!/usr/bin/python3
# Waits for a tooltip of the running tarimo on the accessibility bus, as a
# screen reader hears it, and prints its text; fails when none shows within
# five seconds.
#   tooltip_check.py
import sys
import time

import pyatspi


def find(node):
    if node.getRole() == pyatspi.ROLE_TOOL_TIP:
        return node
    for child in node:
        found = find(child) if child is not None else None
        if found is not None:
            return found
    return None


deadline = time.monotonic() + 5
while time.monotonic() < deadline:
    for app in pyatspi.Registry.getDesktop(0):
        tip = find(app) if app is not None and app.name == "tarimo" else None
        if tip is not None:
            print(tip.name)
            sys.exit(0)
    time.sleep(0.1)
print("no tooltip")
sys.exit(1)
