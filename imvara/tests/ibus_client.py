#!/usr/bin/python3
"""An input context of its own on the test's ibus-daemon, for what only a panel or a client asks of an
engine: activating a property (the engine's menu).

  ibus_client.py activate NAME    activates property NAME (a radio item: checks it) of the engine
"""
import sys

import gi

gi.require_version("IBus", "1.0")
from gi.repository import GLib, IBus  # noqa: E402


def main():
    if len(sys.argv) != 3 or sys.argv[1] != "activate":
        sys.exit(__doc__)
    IBus.init()
    bus = IBus.Bus()
    if not bus.is_connected():
        sys.exit("ibus_client: no ibus-daemon")
    context = bus.create_input_context("test client")
    context.set_capabilities(IBus.Capabilite.PREEDIT_TEXT | IBus.Capabilite.FOCUS)
    context.focus_in()
    context.set_engine("imvara")
    context.property_activate(sys.argv[2], IBus.PropState.CHECKED)
    # The calls are asynchronous: a round trip through the daemon makes sure they were delivered.
    context.get_engine()
    GLib.timeout_add(300, GLib.MainLoop.quit, loop := GLib.MainLoop())
    loop.run()
    context.focus_out()
    context.destroy()


if __name__ == "__main__":
    main()
