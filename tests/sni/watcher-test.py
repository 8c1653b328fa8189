#!/usr/bin/python3
"""PakVue against a StatusNotifierWatcher and host written for the test, on a private session
bus: the item's pixmaps byte for byte, its new pictures over five seconds, Activate, the watcher
restarting, and PAKVUE_TRAY=xembed registering nothing.
Usage (under dbus-run-session and an X display): watcher-test.py <pakvue> <work folder>"""

import os
import subprocess
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        self.items.append((str(sender), str(service)))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0,
                "RegisteredStatusNotifierItems": dbus.Array([s for _, s in self.items], "s")}[name]


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def run_until(condition, seconds):
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        if condition():
            return True
        time.sleep(0.02)
    return condition()


def main():
    program, work = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus)
    watcher = Watcher(bus)

    app = subprocess.Popen([program], cwd=work)
    if not run_until(lambda: watcher.items, 15):
        fail("the icon did not register")
    service = watcher.items[0][1]
    item = bus.get_object(service, "/StatusNotifierItem")
    properties = dbus.Interface(item, dbus.PROPERTIES_IFACE)

    # The configuration's icon shows its background, #12345680, inside a rim of rounded
    # corners and a bar of one pixel at the bottom: the inside, in A, R, G, B order.
    def pixmaps_problem():
        pixmaps = properties.Get(ITEM, "IconPixmap")
        sizes = sorted((int(w), int(h)) for w, h, _ in pixmaps)
        if sizes != [(16, 16), (32, 32)]:
            return "pixmap sizes %s" % sizes
        background = bytes([0x80, 0x12, 0x34, 0x56])
        for width, height, data in pixmaps:
            data = bytes(data)
            if len(data) != width * height * 4:
                return "a %dx%d pixmap of %d bytes" % (width, height, len(data))
            for y in range(1, height - 2):
                row = data[(y * width + 1) * 4:(y * width + width - 1) * 4]
                if row != background * (width - 2):
                    return "row %d of the %dx%d pixmap: %s" % (y, width, height, row[:8].hex())
        return None

    # The first frame may come a moment after the item registers with its first picture.
    problem = [None]

    def pixmaps_right():
        problem[0] = pixmaps_problem()
        return problem[0] is None

    if not run_until(pixmaps_right, 5):
        fail(problem[0])
    for key, value in (("Category", "Hardware"), ("Title", "PakVue"), ("Status", "Active"),
                       ("ItemIsMenu", False), ("Menu", "/MenuBar")):
        if properties.Get(ITEM, key) != value:
            fail("%s is %r" % (key, properties.Get(ITEM, key)))
    if not str(properties.Get(ITEM, "Id")):
        fail("no Id")

    pictures = []
    bus.add_signal_receiver(lambda: pictures.append(1), "NewIcon", ITEM, service)
    run_until(lambda: False, 5)
    if not 3 <= len(pictures) <= 7:
        fail("%d new pictures in 5 seconds" % len(pictures))

    # No hover: the tip carries each graph's name and last value.
    _, _, title, text = properties.Get(ITEM, "ToolTip")
    if title != "PakVue" or not str(text).startswith("Memory: ") or not str(text).endswith("%"):
        fail("the tip is %r, %r" % (title, text))

    dbus.Interface(item, ITEM).Activate(200, 200)
    shown = lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "sdiwindow"],
                                   capture_output=True).returncode == 0
    if not run_until(shown, 10):
        fail("Activate did not show the detail window")

    # A watcher that starts again knows nothing: the item registers anew.
    watcher.items.clear()
    bus.release_name(WATCHER)
    run_until(lambda: False, 0.5)
    bus.request_name(WATCHER)
    if not run_until(lambda: watcher.items, 10):
        fail("the item did not register with the restarted watcher")

    app.terminate()
    if app.wait(10) != 0:
        fail("exit code %d" % app.returncode)

    watcher.items.clear()
    forced = subprocess.Popen([program], cwd=work, env=dict(os.environ, PAKVUE_TRAY="xembed"))
    if run_until(lambda: watcher.items, 3):
        fail("PAKVUE_TRAY=xembed registered an item")
    forced.terminate()
    forced.wait(10)
    del name
    print("sni watcher test passed")


main()
