#!/usr/bin/python3
# A Screenshot portal that answers as told, for the answers a real desktop gives only through a person:
# each request gets the next code of RESPONSES (0 hands out a copy of PICTURE in a fresh temporary file,
# 1 is "cancelled by the user", 2 "refused"). Every request is logged as "interactive=0|1 -> CODE FILE".
# Usage: fake_portal.py RESPONSES PICTURE LOG
import shutil
import sys
import tempfile

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.portal.Screenshot">
    <method name="Screenshot">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <property name="version" type="u" access="read"/>
  </interface>
</node>
"""

responses = [int(code) for code in sys.argv[1].split(",")]
picture, log_path = sys.argv[2], sys.argv[3]
loop = GLib.MainLoop()


def log(line):
    with open(log_path, "a") as f:
        f.write(line + "\n")


def answer(connection, sender, path, code):
    results = {}
    written = ""
    if code == 0:
        handle, written = tempfile.mkstemp(prefix="fake-portal-", suffix=".png")
        with open(handle, "wb") as out, open(picture, "rb") as source:
            shutil.copyfileobj(source, out)
        results["uri"] = GLib.Variant("s", "file://" + written)
    connection.emit_signal(sender, path, "org.freedesktop.portal.Request", "Response",
                           GLib.Variant("(ua{sv})", (code, results)))
    return written


def on_call(connection, sender, object_path, interface, method, parameters, invocation):
    _, options = parameters.unpack()
    token = options.get("handle_token", "t")
    path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender[1:].replace(".", "_"), token)
    invocation.return_value(GLib.Variant("(o)", (path,)))
    code = responses.pop(0) if responses else 2
    # Answered from the loop, after the reply, as a real portal does.
    def later():
        written = answer(connection, sender, path, code)
        log("interactive=%d -> %d %s" % (1 if options.get("interactive") else 0, code, written))
        return False
    GLib.timeout_add(20, later)


def on_property(connection, sender, object_path, interface, name):
    return GLib.Variant("u", 3)


def on_bus(connection, name):
    info = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/freedesktop/portal/desktop", info.interfaces[0], on_call, on_property, None)


def on_name(connection, name):
    log("ready")


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.portal.Desktop", Gio.BusNameOwnerFlags.NONE,
                 on_bus, on_name, lambda *a: loop.quit())
loop.run()
