#!/usr/bin/python3
"""A GTK 3 text entry to type into through IBus: writes its whole text, UTF-8, to the file named on the
command line after every change (through a temporary file and a rename), so a test reads what arrived."""
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def main():
    out = sys.argv[1]

    def record(text):
        temporary = out + ".part"
        with open(temporary, "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(temporary, out)

    window = Gtk.Window(title="gtk entry")
    window.set_default_size(420, 60)
    window.move(20, 300)
    entry = Gtk.Entry()
    entry.connect("changed", lambda e: record(e.get_text()))
    window.add(entry)
    window.connect("destroy", Gtk.main_quit)
    record("")
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main()
