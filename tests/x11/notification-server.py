#!/usr/bin/python3
"""A desktop notification server written for the tests: it owns org.freedesktop.Notifications
on the session bus and writes each notification it is sent to a file, one line each: the
application's name, the summary and the body with its line ends as \\n, separated by tabs.
Usage (under dbus-run-session): notification-server.py <file>"""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFICATIONS = "org.freedesktop.Notifications"


class Server(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record = record
        self.sent = 0

    @dbus.service.method(NOTIFICATIONS, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, application, replaces, icon, summary, body, actions, hints, timeout):
        with open(self.record, "a", encoding="utf-8") as f:
            f.write("%s\t%s\t%s\n" % (application, summary, body.replace("\n", "\\n")))
        self.sent += 1
        return self.sent

    @dbus.service.method(NOTIFICATIONS, out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NOTIFICATIONS, out_signature="ssss")
    def GetServerInformation(self):
        return "test", "PakVue", "1", "1.2"


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    server = Server(bus, sys.argv[1])
    name = dbus.service.BusName(NOTIFICATIONS, bus)
    GLib.MainLoop().run()
    del server, name


if __name__ == "__main__":
    main()
