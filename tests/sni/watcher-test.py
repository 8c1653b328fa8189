#!/usr/bin/python3
"""PakVue against a StatusNotifierWatcher and host written for the test, on a private session
bus: the icons moving from the XEmbed tray to a host that starts late, the item's pixmaps byte
for byte, no new picture announced while it stays the same, the menu's check mark, Activate,
the watcher restarting, the icons going
back to the XEmbed tray when the watcher is gone for good, and PAKVUE_TRAY=xembed registering
nothing.
Usage (under dbus-run-session and an X display with a tray): watcher-test.py <pakvue> <work>
where <work> holds pakvue.config.json and the tray picture `pakvue --render` drew of it."""

import os
import struct
import subprocess
import sys
import zlib

import dbus
from dbus.mainloop.glib import DBusGMainLoop

from bus_support import (ITEM, MENU, SNI_LINE, WATCHER, XEMBED_LINE, Watcher, fail, log_count,
                         run_until)


def read_png(path):
    """Width, height and the R, G, B, A rows of an 8-bit RGBA PNG as PakVue writes it: every row
    after the filter byte of no filter."""
    with open(path, "rb") as f:
        data = f.read()
    position, idat = 8, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    raw, stride = zlib.decompress(idat), width * 4 + 1
    if any(raw[y * stride] != 0 for y in range(height)):
        fail("%s uses a row filter" % path)
    return width, height, [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]


def tray_frame_argb(work):
    """The tray picture --render drew, eight times enlarged, back at its size in A, R, G, B."""
    width, height, rows = read_png(os.path.join(work, "rendered", "icon1-tray.png"))
    frame = b""
    for y in range(0, height, 8):
        for x in range(0, width, 8):
            r, g, b, a = rows[y][x * 4:x * 4 + 4]
            frame += bytes([a, r, g, b])
    return width // 8, height // 8, frame


def main():
    program, work = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    frame = tray_frame_argb(work)

    # No host yet: the icons go to the XEmbed tray, and to the host as soon as it starts.
    app = subprocess.Popen([program], cwd=work)
    if not run_until(lambda: log_count(work, XEMBED_LINE) == 1, 15):
        fail("the icons did not start in the XEmbed tray")
    name = dbus.service.BusName(WATCHER, bus)
    watcher = Watcher(bus)
    if not run_until(lambda: watcher.items, 10):
        fail("the icon did not register with a host that started late")
    # The log has a writer of its own: the line may come a moment after the item registers.
    if not run_until(lambda: log_count(work, SNI_LINE) == 1, 5):
        fail("the move to StatusNotifierItem was not logged")
    service = watcher.items[0][1]
    item = bus.get_object(service, "/StatusNotifierItem")
    properties = dbus.Interface(item, dbus.PROPERTIES_IFACE)

    # The small pixmap is the tray's own frame, the one --render drew, byte for byte; the large
    # one is drawn at its size: the configuration's background #12345680 inside a rim of
    # rounded corners and a bar of one pixel at the bottom, in A, R, G, B order.
    def pixmaps_problem():
        pixmaps = {(int(w), int(h)): bytes(data)
                   for w, h, data in properties.Get(ITEM, "IconPixmap")}
        if sorted(pixmaps) != [(16, 16), (32, 32)]:
            return "pixmap sizes %s" % sorted(pixmaps)
        if frame != (16, 16, pixmaps[(16, 16)]):
            return "the 16x16 pixmap is not the tray frame: %s" % pixmaps[(16, 16)][:16].hex()
        background, large = bytes([0x80, 0x12, 0x34, 0x56]), pixmaps[(32, 32)]
        if len(large) != 32 * 32 * 4:
            return "a 32x32 pixmap of %d bytes" % len(large)
        for y in range(1, 30):
            row = large[(y * 32 + 1) * 4:(y * 32 + 31) * 4]
            if row != background * 30:
                return "row %d of the 32x32 pixmap: %s" % (y, row[:8].hex())
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
    # The configuration's bar stays flat under its maximum: a host is not asked to read back a
    # picture like the last one. (The panel test sees a changing picture announced.)
    if pictures:
        fail("%d NewIcon signals in 5 seconds for a picture that did not change" % len(pictures))

    # No hover: the tip carries each graph's name and last value.
    _, _, title, text = properties.Get(ITEM, "ToolTip")
    if title != "PakVue" or not str(text).startswith("Memory: ") or not str(text).endswith("%"):
        fail("the tip is %r, %r" % (title, text))

    # "Start at login" is a check item whose mark follows the autostart entry: set when it is
    # chosen, and read again when a host is about to show the menu, with the menu's change
    # announced, as after the entry was removed behind PakVue's back.
    menu = dbus.Interface(bus.get_object(service, "/MenuBar"), MENU)

    def start_at_login():
        _, (_, _, children) = menu.GetLayout(0, -1, dbus.Array([], signature="s"))
        for number, item_properties, _ in children:
            if item_properties.get("label") == "_Start at login":
                return int(number), item_properties
        fail("the menu has no \"Start at login\"")

    number, item_properties = start_at_login()
    if item_properties.get("toggle-type") != "checkmark" or item_properties.get("toggle-state") != 0:
        fail("\"Start at login\" is %r" % dict(item_properties))
    revisions = []
    bus.add_signal_receiver(lambda revision, parent: revisions.append(int(revision)),
                            "LayoutUpdated", MENU, service)
    menu.Event(number, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
    entry = os.path.join(os.environ["XDG_CONFIG_HOME"], "autostart", "pakvue.desktop")
    checked = lambda: os.path.exists(entry) and start_at_login()[1].get("toggle-state") == 1
    if not run_until(lambda: checked() and revisions, 5):
        fail("choosing \"Start at login\" did not write %s and check the item" % entry)
    os.remove(entry)
    if not menu.AboutToShow(0):
        fail("AboutToShow did not tell the host to read the changed menu again")
    if start_at_login()[1].get("toggle-state") != 0 or not run_until(lambda: len(revisions) == 2, 5):
        fail("a removed entry still shows checked, or the change was not announced")

    # A position inside the icon's widget, as waybar 0.9 sends it, far from the pointer: the
    # icon stands at the top right corner, under a bar the detail window must not cover.
    dbus.Interface(item, ITEM).Activate(11, 14)
    detail = lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                     "^PakVue details: "],
                                    capture_output=True, text=True).stdout.split()
    if not run_until(detail, 10):
        fail("Activate did not show the detail window")
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", detail()[0]],
                              capture_output=True, text=True).stdout
    place = dict(line.split("=") for line in geometry.split())
    x, y, width = int(place["X"]), int(place["Y"]), int(place["WIDTH"])
    if y < 48 or not 1920 - 32 <= x + width <= 1920:
        fail("the detail window at %d,%d (%d wide) is not below the top right corner" % (x, y, width))

    # A watcher that starts again knows nothing: the item registers anew.
    watcher.items.clear()
    bus.release_name(WATCHER)
    run_until(lambda: False, 0.5)
    bus.request_name(WATCHER)
    if not run_until(lambda: watcher.items, 10):
        fail("the item did not register with the restarted watcher")

    if log_count(work, XEMBED_LINE) != 1:
        fail("a watcher that restarted at once sent the icons to the XEmbed tray")

    # A watcher gone for good: after a grace for restarts, the icons go back to XEmbed.
    bus.release_name(WATCHER)
    gone = lambda: log_count(work, XEMBED_LINE) == 2 and not bus.name_has_owner(service)
    if not run_until(gone, 20):
        fail("the icons stayed with a watcher that was gone")

    app.terminate()
    if app.wait(10) != 0:
        fail("exit code %d" % app.returncode)

    bus.request_name(WATCHER)
    watcher.items.clear()
    forced = subprocess.Popen([program], cwd=work, env=dict(os.environ, PAKVUE_TRAY="xembed"))
    if run_until(lambda: watcher.items, 3):
        fail("PAKVUE_TRAY=xembed registered an item")
    forced.terminate()
    forced.wait(10)
    del name
    print("sni watcher test passed")


main()
