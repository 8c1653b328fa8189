"""What the StatusNotifierItem tests share: a watcher and host written for the tests, waiting on
the GLib loop, and reading PakVue's log."""

import os
import sys
import time

import dbus
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
XEMBED_LINE = "the icons are shown through the XEmbed system tray."
SNI_LINE = "the icons are shown through StatusNotifierItem."


class Watcher(dbus.service.Object):
    """A watcher, with a host registered unless told otherwise: it records the items that
    register."""

    def __init__(self, bus, host=True):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.host = host
        self.refusal = None  # the error text of a watcher that refuses items

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if self.refusal:
            raise dbus.exceptions.DBusException(self.refusal,
                                                name="org.freedesktop.DBus.Error.Failed")
        self.items.append((str(sender), str(service)))

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return {"IsStatusNotifierHostRegistered": self.host, "ProtocolVersion": 0,
                "RegisteredStatusNotifierItems": dbus.Array([s for _, s in self.items], "s")}[name]

    @dbus.service.signal(WATCHER)
    def StatusNotifierHostRegistered(self):
        pass

    def register_host(self):
        self.host = True
        self.StatusNotifierHostRegistered()


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def run_until(condition, seconds):
    """Runs the GLib loop until `condition` holds or `seconds` have passed; whether it held."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        if condition():
            return True
        time.sleep(0.02)
    return condition()


def log_text(work):
    try:
        with open(os.path.join(work, "pakVue.log"), encoding="utf-8", newline="") as f:
            return f.read()
    except FileNotFoundError:  # not written yet
        return ""


def log_count(work, text):
    return log_text(work).count(text)
