#!/usr/bin/python3
# Reads the running tarimo over AT-SPI as a screen reader would: the price,
# the four zones with SE3 checked; then presses "1" and waits until SE1 is
# the checked zone and the price's text has changed. Prints what it read.
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def fail(message):
    print(message)
    sys.exit(1)


def find(node, test):
    if test(node):
        return node
    for child in node:
        found = find(child, test) if child is not None else None
        if found is not None:
            return found
    return None


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def wait_for(read, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = read()
        if value:
            return value
        time.sleep(0.1)
    return None


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "tarimo"), None), 10)
if app is None:
    fail("tarimo is not on the accessibility bus")
price = find(app, lambda n: n.getRole() == pyatspi.ROLE_LABEL and n.name == "Spot price")
if price is None:
    fail("no label 'Spot price'")
# A price, or why there is none, once the first load is over.
shown = wait_for(lambda: text_of(price), 15)
if not shown or not re.fullmatch(r"-?\d+ öre per kWh|No price: .+", shown):
    fail("the price reads %r" % shown)
zones = [find(app, lambda n, name=name: n.getRole() == pyatspi.ROLE_RADIO_BUTTON and n.name == name)
         for name in ("SE1", "SE2", "SE3", "SE4")]
if None in zones:
    fail("not all four zones are radio buttons")
if [checked(z) for z in zones] != [False, False, True, False]:
    fail("SE3 is not the one checked zone")

heard = []


def price_changed():
    return any(kind.startswith("object:text-changed") and source == "Spot price" for kind, source in heard)


def press_one():
    subprocess.run(["xdotool", "key", "--clearmodifiers", "1"], check=True)
    return False


def stop_when_heard():
    if checked(zones[0]) and price_changed():
        pyatspi.Registry.stop()
        return False
    return True


def give_up():
    pyatspi.Registry.stop()
    return False


pyatspi.Registry.registerEventListener(lambda event: heard.append((event.type, event.source.name)),
                                       "object:state-changed:checked", "object:text-changed")
GLib.timeout_add(300, press_one)
GLib.timeout_add(100, stop_when_heard)
GLib.timeout_add_seconds(10, give_up)
pyatspi.Registry.start()

if [checked(z) for z in zones] != [True, False, False, False]:
    fail("after '1' SE1 is not the one checked zone")
if ("object:state-changed:checked", "SE1") not in heard:
    fail("no checked event for SE1: %r" % heard)
if not price_changed():
    fail("no text event for the price: %r" % heard)
print("price %r, zones %s, after '1' SE1 checked" % (shown, " ".join(z.name for z in zones)))
