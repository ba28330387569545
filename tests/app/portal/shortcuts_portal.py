#!/usr/bin/python3
"""A stand-in for the desktop portal's GlobalShortcuts interface on a private
session bus, for the tests: it answers CreateSession and BindShortcuts as
the portal does (through Request objects and their Response signal),
remembers what was bound, and emits Activated when the test asks
(org.velmora.Test.Activate). Its first argument chooses how it answers:
"grant", "refuse" (response 2) or "silent" (never)."""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL = "org.freedesktop.portal.Desktop"
PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"
MODE = sys.argv[1] if len(sys.argv) > 1 else "grant"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.session = ""
        self.bound = []

    def request(self, sender, options):
        token = str(options.get("handle_token", "t"))
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (
            sender[1:].replace(".", "_"), token)
        return Request(self.bus, path), path

    def answer(self, request, results):
        if MODE == "silent":
            return
        code = 0 if MODE == "grant" else 2
        GLib.timeout_add(20, lambda: request.Response(dbus.UInt32(code), results) and False)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == SHORTCUTS and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o",
                         sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        request, path = self.request(sender, options)
        self.session = "/org/freedesktop/portal/desktop/session/%s/%s" % (
            sender[1:].replace(".", "_"), options.get("session_handle_token", "s"))
        self.answer(request, {"session_handle": dbus.String(self.session)})
        return path

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender=None):
        request, path = self.request(sender, options)
        self.bound = [(str(i), str(o.get("description", "")), str(o.get("preferred_trigger", "")))
                      for i, o in shortcuts]
        self.answer(request, {"shortcuts": shortcuts})
        return path

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.method("org.velmora.Test", in_signature="", out_signature="s")
    def Bound(self):
        """What was bound: "id|description|trigger" entries joined by ";"."""
        return ";".join("|".join(entry) for entry in self.bound)

    @dbus.service.method("org.velmora.Test", in_signature="s", out_signature="")
    def Activate(self, shortcut_id):
        self.Activated(dbus.ObjectPath(self.session), shortcut_id, dbus.UInt64(0), {})


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
portal = Portal(bus)
name = dbus.service.BusName(PORTAL, bus)
print("ready", flush=True)
GLib.MainLoop().run()
