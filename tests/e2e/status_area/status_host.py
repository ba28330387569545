#!/usr/bin/python3
"""A stand-in for a desktop's status area on a private session bus, for the
end-to-end test: "watcher" owns org.kde.StatusNotifierWatcher, with a host
registered, and serves until it is ended; the other commands act as the
panel that shows the icons does, on the one item registered:

  tooltip        prints the item's tooltip (title, then the text)
  icon           prints the sizes of the item's pixmaps ("16x16 22x22 ...")
                 and whether a pixmap has dark pixels on its sheet
  activate       a click on the icon
  menu           prints the menu's entries, one per line
  click LABEL    chooses the menu entry LABEL

A command waits up to ten seconds for an item and exits 1 without one."""
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, WATCHER_PATH)
        self.items = []

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        path = service if service.startswith("/") else "/StatusNotifierItem"
        name = sender if service.startswith("/") else service
        self.items.append(name + path)
        self.StatusNotifierItemRegistered(name + path)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    # Qt reads the properties through the introspection data, which
    # dbus-python does not write for them.
    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        xml = super().Introspect(object_path, connection)
        properties = ('<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                      '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                      '<property name="ProtocolVersion" type="i" access="read"/>')
        return xml.replace('<interface name="%s">' % WATCHER,
                           '<interface name="%s">%s' % (WATCHER, properties))

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }


def serve():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus)
    watcher = Watcher(bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, watcher


def the_item(bus):
    for _ in range(100):
        try:
            watcher = bus.get_object(WATCHER, WATCHER_PATH)
            items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems",
                                dbus_interface=PROPERTIES)
            for item in items:
                name, _, path = str(item).partition("/")
                if bus.name_has_owner(name):
                    return bus.get_object(name, "/" + path), name
        except dbus.DBusException:
            pass
        time.sleep(0.1)
    print("no status-area item registered", file=sys.stderr)
    sys.exit(1)


def item_property(item, name):
    return item.Get(ITEM, name, dbus_interface=PROPERTIES)


def dark_sheet(width, height, data):
    # ARGB32 in network order; the middle of the sheet holds the number.
    dark = 0
    for y in range(height // 2, height * 7 // 8):
        for x in range(width // 4, width * 3 // 4):
            a, r, g, b = data[4 * (y * width + x):4 * (y * width + x) + 4]
            if a > 128 and r < 100 and g < 100 and b < 100:
                dark += 1
    return dark


def menu_entries(bus, name, item):
    menu = bus.get_object(name, item_property(item, "Menu"))
    try:
        menu.AboutToShow(dbus.Int32(0), dbus_interface=MENU)
    except dbus.DBusException:
        pass
    _, layout = menu.GetLayout(dbus.Int32(0), dbus.Int32(-1), dbus.Array([], signature="s"),
                               dbus_interface=MENU)
    entries = []
    for child in layout[2]:
        ident, props = int(child[0]), child[1]
        if str(props.get("type", "")) == "separator" or not props.get("visible", True):
            continue
        entries.append((str(props.get("label", "")).replace("&", ""), ident))
    return menu, entries


def main():
    command = sys.argv[1]
    if command == "watcher":
        serve()
        return
    bus = dbus.SessionBus()
    item, name = the_item(bus)
    if command == "tooltip":
        tip = item_property(item, "ToolTip")
        print(str(tip[2]))
        print(str(tip[3]))
    elif command == "icon":
        pixmaps = item_property(item, "IconPixmap")
        print(" ".join("%dx%d" % (int(w), int(h)) for w, h, _ in pixmaps))
        w, h, data = max(pixmaps, key=lambda p: int(p[0]))
        print("dark %d" % dark_sheet(int(w), int(h), bytes(data)))
    elif command == "activate":
        item.Activate(dbus.Int32(10), dbus.Int32(10), dbus_interface=ITEM)
    elif command == "menu":
        _, entries = menu_entries(bus, name, item)
        for label, _ in entries:
            print(label)
    elif command == "click":
        menu, entries = menu_entries(bus, name, item)
        ident = dict(entries)[sys.argv[2]]
        menu.Event(dbus.Int32(ident), "clicked", dbus.Int32(0), dbus.UInt32(0),
                   dbus_interface=MENU)


main()
