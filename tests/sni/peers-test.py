#!/usr/bin/python3
"""PakVue's StatusNotifierItems against peers on the session bus that are buggy or hostile, on a
bus daemon of the test's own: a forged StatusNotifierHostRegistered with no watcher on the bus
leaves the icons in the XEmbed tray, and the watcher's own moves them; a menu request for
millions of ids is refused and the item stays; two clients flooding menu requests neither grow
PakVue nor keep it from answering another item (the loop that answers draws the pictures too);
a menu item acts only when clicked; and a bus daemon that restarts gets the items again, with a
Warning in the log.
Usage (under an X display with trayer): peers-test.py <pakvue> <work>"""

import os
import signal
import subprocess
import sys
import time

import dbus
import dbus.bus
from dbus.mainloop.glib import DBusGMainLoop

from bus_support import (ITEM, MENU, SNI_LINE, WATCHER, XEMBED_LINE, Watcher, fail, log_count,
                         log_text, run_until)

CONFIG = """{ "icons": [ %s ] }""" % ", ".join(
    """{ "updateInterval": 500, "scrollAmount": 2, "units": "Percentage",
         "graphs": [ { "input": { "type": "win32" }, "output": { "toolTip": "Memory %d", "renderMethod": "bar",
                       "colours": [ { "value": 0, "colour": "#0000ff" } ] } } ] }""" % n
    for n in (1, 2, 3))
EXIT_ID = 7  # the menu's items: "Show details", the context menu's four, a separator, "Exit"


class Bus:
    """A session bus daemon at a fixed address, so that one started again takes the same."""

    def __init__(self, work):
        self.address = "unix:path=" + os.path.join(work, "bus")
        self.daemon = self.connection = self.name = None

    def start(self):
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                        "--address=" + self.address, "--print-address=1"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.daemon.stdout.readline()  # it listens once it says where
        self.connection = dbus.bus.BusConnection(self.address)

    def watch(self, host=True):
        """A watcher under the watcher's name."""
        watcher = Watcher(self.connection, host)
        self.name = dbus.service.BusName(WATCHER, self.connection)
        return watcher

    def stop(self):
        self.name = None  # released while the connection is open
        self.connection.close()
        self.daemon.send_signal(signal.SIGTERM)
        self.daemon.wait(10)


def docked_icons():
    """How many PakVue icons are shown in the XEmbed tray."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^PakVue: Memory"],
                           capture_output=True, text=True).stdout.split()
    return len(found)


def items_on(bus):
    return sorted(str(n) for n in bus.list_names() if str(n).startswith(ITEM + "-"))


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def flood(address, service, seconds):
    """Asks for the properties of 1000 menu items, as fast as the bus takes the requests, keeping
    many on their way and never waiting for one."""
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    menu = dbus.Interface(bus.get_object(service, "/MenuBar", introspect=False), MENU)
    ids = dbus.Array(range(1000), signature="i")
    pending = [0]

    def done(*_):
        pending[0] -= 1

    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while pending[0] < 200:
            pending[0] += 1
            menu.GetGroupProperties(ids, dbus.Array([], signature="s"), reply_handler=done,
                                    error_handler=done, timeout=60)
        run_until(lambda: pending[0] < 100, 0.05)


def forged_signal_leaves_the_icons_docked(bus, work):
    subprocess.run(["dbus-send", "--bus=" + bus.address, "--type=signal", "/StatusNotifierWatcher",
                    WATCHER + ".StatusNotifierHostRegistered"], check=True)
    run_until(lambda: False, 3)
    if log_count(work, SNI_LINE) or items_on(bus.connection):
        fail("a forged StatusNotifierHostRegistered moved the icons out of the XEmbed tray")
    if docked_icons() != 3:
        fail("%d icons docked after the forged signal" % docked_icons())


def huge_request_is_refused(connection, service, work):
    warnings = log_text(work).count(" - Warning - ")
    menu = dbus.Interface(connection.get_object(service, "/MenuBar", introspect=False), MENU)
    try:
        menu.GetGroupProperties(dbus.Array([1] * 2_700_000, signature="i"),
                                dbus.Array([], signature="s"), timeout=20)
        fail("2.7 million ids were answered")
    except dbus.DBusException as e:
        if e.get_dbus_name() != "org.freedesktop.DBus.Error.InvalidArgs":
            fail("2.7 million ids: %s" % e)
    properties = dbus.Interface(connection.get_object(service, "/StatusNotifierItem"),
                                dbus.PROPERTIES_IFACE)
    if not str(properties.Get(ITEM, "Id", timeout=5)):
        fail("the item has no Id after the huge request")
    if not run_until(lambda: log_text(work).count(" - Warning - ") > warnings, 5):
        fail("the refused request was not logged")


def flood_leaves_the_program_answering(bus, app, services, work):
    floods = [subprocess.Popen([sys.executable, __file__, "--flood", bus.address, s, "10"])
              for s in services[:2]]
    other = dbus.Interface(bus.connection.get_object(services[2], "/StatusNotifierItem",
                                                     introspect=False), "org.freedesktop.DBus.Peer")
    slowest, largest = 0.0, 0
    end = time.monotonic() + 10
    while time.monotonic() < end:
        start = time.monotonic()
        other.Ping(timeout=5)
        slowest = max(slowest, time.monotonic() - start)
        largest = max(largest, rss_kib(app.pid))
        run_until(lambda: False, 0.05)
    for f in floods:
        f.wait(30)
    print("flood: slowest Ping %.0f ms, largest RSS %d KiB" % (slowest * 1000, largest))
    # A sanitizer's quarantine keeps what the program frees, and its checks slow every call: in
    # such a build the size says nothing, and the answers are given ten times the time.
    sanitized = bool(os.environ.get("PAKVUE_SANITIZED"))
    if largest > 50 * 1024 and not sanitized:
        fail("the flood grew PakVue to %d KiB" % largest)
    if slowest > (1.0 if sanitized else 0.1):
        fail("another item took %.0f ms to answer Ping during the flood" % (slowest * 1000))


def restarted_bus_gets_the_items_again(bus, work):
    """The bus daemon restarts with a watcher that refuses the items with an error text made to
    look like lines of the log, then registers a host and takes them."""
    warnings = log_text(work).count(" - Warning - ")
    bus.stop()
    bus.start()
    watcher = bus.watch()
    watcher.refusal = "no\r\n2030-Jan-01 00:00:00 - Critical - forged"
    escaped = "no\\r\\n2030-Jan-01 00:00:00 - Critical - forged\r\n"
    if not run_until(lambda: log_text(work).count(escaped) == 3, 5):
        fail("the refusals are not in the log, escaped on one line each")
    if log_text(work).count(" - Warning - ") - warnings != 3 + 4:
        fail("not one Warning for each lost connection and each refusal")
    watcher.refusal = None
    watcher.register_host()
    if not run_until(lambda: len(watcher.items) == 3, 5):
        fail("%d items registered within 5 s of the bus daemon's restart" % len(watcher.items))
    return watcher


def main():
    program, work = sys.argv[1], sys.argv[2]
    with open(os.path.join(work, "pakvue.config.json"), "w") as f:
        f.write(CONFIG)
    DBusGMainLoop(set_as_default=True)
    bus = Bus(work)
    bus.start()
    app = subprocess.Popen([program], cwd=work,
                           env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.address))
    try:
        if not run_until(lambda: log_count(work, XEMBED_LINE) == 1 and docked_icons() == 3, 15):
            fail("the icons did not dock in the XEmbed tray")
        forged_signal_leaves_the_icons_docked(bus, work)

        # The watcher's own word is believed: a host that registers with it takes the icons.
        watcher = bus.watch(host=False)
        run_until(lambda: False, 2)
        if log_count(work, SNI_LINE) or watcher.items:
            fail("the icons moved to a watcher without a host")
        watcher.register_host()
        if not run_until(lambda: len(watcher.items) == 3, 10):
            fail("the items did not register when a host registered with the watcher")
        services = [s for _, s in watcher.items]
        exit_item = dbus.Interface(bus.connection.get_object(services[0], "/MenuBar"), MENU)
        try:
            for event in ("hovered", "opened"):
                exit_item.Event(EXIT_ID, event, dbus.Int32(0, variant_level=1), dbus.UInt32(0))
        except dbus.DBusException:
            pass  # gone while answering
        if run_until(lambda: app.poll() is not None, 1):
            fail("hovering over Exit ended the program")

        huge_request_is_refused(bus.connection, services[0], work)
        flood_leaves_the_program_answering(bus, app, services, work)
        watcher = restarted_bus_gets_the_items_again(bus, work)

        services = [s for _, s in watcher.items]
        exit_item = dbus.Interface(bus.connection.get_object(services[0], "/MenuBar"), MENU)
        exit_item.Event(EXIT_ID, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
        if app.wait(10) != 0:
            fail("exit code %d after Exit was clicked" % app.returncode)
        if not log_text(work).endswith(" - Info - shutting down.\r\n"):
            fail("the log does not end with shutting down.")
    finally:
        if app.poll() is None:
            app.kill()
        bus.stop()
    print("sni peers test passed")


if __name__ == "__main__":
    if sys.argv[1] == "--flood":
        flood(sys.argv[2], sys.argv[3], float(sys.argv[4]))
    else:
        main()
