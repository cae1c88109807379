#!/usr/bin/python3
# Reads the running tarimo over AT-SPI as a screen reader would: the price of
# the hour, the four zones with SE3 checked; then presses "1" and waits until
# SE1 is the checked zone and the price reads SE1's. Hour h of zone SEn costs
# 100 n + h öre; the argument is the hour when the program started (the next
# hour is right too once the clock has moved on). Prints what it read.
#   accessibility_check.py <hour>
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

start_hour = int(sys.argv[1])


def fail(message):
    print(message)
    sys.exit(1)


def prices(zone):
    return {"%d öre per kWh" % (100 * zone + h) for h in (start_hour, time.localtime().tm_hour)}


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
if not wait_for(lambda: text_of(price) in prices(3), 15):
    fail("the price reads %r, not one of %r" % (text_of(price), prices(3)))
shown = text_of(price)
zones = [find(app, lambda n, name=name: n.getRole() == pyatspi.ROLE_RADIO_BUTTON and n.name == name)
         for name in ("SE1", "SE2", "SE3", "SE4")]
if None in zones:
    fail("not all four zones are radio buttons")
if [checked(z) for z in zones] != [False, False, True, False]:
    fail("SE3 is not the one checked zone")

heard = []


def press_one():
    subprocess.run(["xdotool", "key", "--clearmodifiers", "1"], check=True)
    return False


def stop_when_heard():
    if checked(zones[0]) and text_of(price) in prices(1):
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
GLib.timeout_add_seconds(15, give_up)
pyatspi.Registry.start()

if [checked(z) for z in zones] != [True, False, False, False]:
    fail("after '1' SE1 is not the one checked zone")
if text_of(price) not in prices(1):
    fail("after '1' the price reads %r, not one of %r" % (text_of(price), prices(1)))
if ("object:state-changed:checked", "SE1") not in heard:
    fail("no checked event for SE1: %r" % heard)
if not any(kind.startswith("object:text-changed") and source == "Spot price" for kind, source in heard):
    fail("no text event for the price: %r" % heard)
print("price %r, zones %s, after '1' %r" % (shown, " ".join(z.name for z in zones), text_of(price)))
