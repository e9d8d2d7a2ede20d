#!/usr/bin/python3
"""The two ends of gnome_shell_typing.sh: a native GTK4 window whose entry reports what it received,
and a typist that presses keys through mutter's RemoteDesktop D-Bus interface.

  gnome_shell_probe.py entry OUT_FILE     writes "ready" to OUT_FILE.ready once the window has the
                                          focus, then the entry's text to OUT_FILE on every change
  gnome_shell_probe.py type TEXT          types TEXT (letters, digits, blanks) as key presses
  gnome_shell_probe.py escape             presses Escape (it leaves the overview)
"""

import os
import sys
import time


def entry(out):
    import gi
    gi.require_version("Gtk", "4.0")
    from gi.repository import Gtk

    app = Gtk.Application(application_id="org.aquine.ShellTypingProbe")

    def write(path, text):
        # Written whole and renamed, so a reader never sees half a text.
        with open(path + ".part", "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(path + ".part", path)

    def activate(app):
        window = Gtk.ApplicationWindow(application=app, title="输入测试")
        field = Gtk.Entry()
        window.set_child(field)
        field.connect("changed", lambda e: write(out, e.get_text()))

        def focused(*_):
            if window.is_active():
                write(out + ".ready", "ready")

        window.connect("notify::is-active", focused)
        window.present()
        field.grab_focus()

    app.connect("activate", activate)
    app.run([])


# X keysyms of the keys we type: Latin-1 characters are their own keysym.
def keysyms(text):
    for ch in text:
        if not (ch.isascii() and (ch.isalnum() or ch == " ")):
            raise ValueError(f"no key types {ch!r}")
        yield ord(ch)


ESCAPE = 0xFF1B


def type_text(text, gap=0.05):
    from gi.repository import Gio, GLib

    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def call(path, interface, method, args=None):
        return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, interface, method, args, None,
                             Gio.DBusCallFlags.NONE, 5000, None)

    session = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession").unpack()[0]
    iface = "org.gnome.Mutter.RemoteDesktop.Session"
    call(session, iface, "Start")
    try:
        # The first key of a new session never arrived here ("nihao " gave "ihao "), so it is Escape:
        # a key that no input method claims and an entry ignores.
        for sym in [ESCAPE] + ([ESCAPE] if text is None else list(keysyms(text))):
            for pressed in (True, False):
                call(session, iface, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (sym, pressed)))
            # A person's pace: the shell hands each key to IBus and waits for its answer.
            time.sleep(gap)
    finally:
        call(session, iface, "Stop")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "entry":
        entry(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "type":
        type_text(sys.argv[2])
    elif sys.argv[1:] == ["escape"]:
        type_text(None)
    else:
        sys.exit(__doc__)
