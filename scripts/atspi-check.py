#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader meets in the running main window (through at-spi): the names of the
# toolbar buttons, the tree and the lists, and the order and names of the Tab stops, Tab
# pressed with xdotool. Prints what it found; exits 1 on a fault.
#   scripts/atspi-check.py WINDOW_ID
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

window_id = sys.argv[1]
faults = []


def find_app():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "corvelle":
                return app
        time.sleep(0.1)
    sys.exit("at-spi: the program did not appear on the accessibility bus")


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def role(node):
    return node.getRoleName()


app = find_app()
nodes = list(walk(app))

# Toolbar buttons: each named by its tooltip.
toolbars = [n for n in nodes if role(n) == "tool bar"]
# Push buttons, and the view modes' toggles (check boxes to at-spi); the hidden extension
# button that Qt keeps for a toolbar too narrow for its buttons is not one of them.
buttons = [c for t in toolbars for c in walk(t)
           if role(c) in ("push button", "toggle button", "check box")
           and c.getState().contains(pyatspi.STATE_SHOWING)]
names = [b.name for b in buttons]
print("toolbar buttons:", names)
if len(buttons) != 14:
    faults.append(f"{len(buttons)} toolbar buttons, not 14")
for b in buttons:
    if not b.name:
        faults.append("a toolbar button without a name")

for wanted in ("フォルダツリー", "ファイル一覧", "処理ログ"):
    found = [n for n in nodes if n.name == wanted]
    print(f"{wanted}:", [role(n) for n in found])
    if not found:
        faults.append(f"nothing named {wanted}")


# Focus as a screen reader learns it: from the focus events (a cell or a page tab may keep
# saying "focused" while something else has the focus).
last_focus = []


def on_focus(event):
    if event.detail1 == 1:
        last_focus.append(event.source)


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
context = GLib.MainContext.default()


def pump(seconds):
    end = time.time() + seconds
    while time.time() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)


def focused():
    # The focus event of this Tab (a busy machine may take a while), then a moment for any
    # that follow it.
    seen = len(last_focus)
    end = time.time() + 3
    while len(last_focus) == seen and time.time() < end:
        pump(0.05)
    pump(0.2)
    return last_focus[-1] if last_focus else None


# Tab through the window: every stop named, and the cycle comes round.
order = []
# A busy machine may still be starting the window manager: try again for a while.
for _ in range(50):
    if subprocess.run(["xdotool", "windowactivate", "--sync", window_id],
                      stderr=subprocess.DEVNULL, check=False).returncode == 0:
        break
    time.sleep(0.2)
time.sleep(0.3)
# The program sends focus events only once it has heard that someone listens; on a busy
# machine that news comes late. Tab until the first event arrives, then start counting.
end = time.time() + 30
while not last_focus and time.time() < end:
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    focused()
if not last_focus:
    # The program never heard of the listener: a start-up race, not a fault of the window.
    print("at-spi: no focus events from the program")
    sys.exit(3)
for _ in range(40):
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    n = focused()
    stop = (role(n), n.name) if n is not None else ("(none)", "")
    if order and stop == order[0]:
        break
    order.append(stop)
print("Tab order:")
for r, name in order:
    print(f"  {r}: {name or '(no name)'}")
# The window's stops, in order, wherever the cycle was entered.
expected = [("tree", "フォルダツリー"), ("radio button", "単独フォルダ配下の階層を上げる"),
            ("check box", "サブフォルダも検索対象とする"), ("push button", "検索開始"),
            ("page tab list", "ファイル名"), ("list", "ファイル一覧")]
if len(order) != len(expected) or any(
        order == expected[i:] + expected[:i] for i in range(len(expected))) is False:
    faults.append("Tab order is not: " + ", ".join(n for _, n in expected))
for r, name in order:
    if not name:
        faults.append(f"a Tab stop without a name ({r})")

if faults:
    print("at-spi check failed:", *faults, sep="\n  ")
    sys.exit(1)
print("at-spi check passed")
