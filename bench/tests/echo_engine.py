#!/usr/bin/python3
"""A tiny IBus engine for the benchmark's tests: letters compose as preedit, the blank commits them in
capitals, except "zz", which commits nothing, as a broken engine would. The tests write its component."""

import gi

gi.require_version("IBus", "1.0")
from gi.repository import GLib, GObject, IBus  # noqa: E402


class EchoEngine(IBus.Engine):
    __gtype_name__ = "AquineEchoEngine"

    def __init__(self):
        super().__init__()
        self.composition = ""

    def show(self):
        text = IBus.Text.new_from_string(self.composition)
        self.update_preedit_text(text, len(self.composition), bool(self.composition))
        self.update_lookup_table(IBus.LookupTable.new(5, 0, True, True), False)

    def do_process_key_event(self, keyval, keycode, state):
        if state & IBus.ModifierType.RELEASE_MASK:
            return False
        if ord("a") <= keyval <= ord("z"):
            self.composition += chr(keyval)
            self.show()
            return True
        if keyval == ord(" ") and self.composition:
            if self.composition != "zz":
                self.commit_text(IBus.Text.new_from_string(self.composition.upper()))
            self.composition = ""
            self.show()
            return True
        return False


def main():
    IBus.init()
    bus = IBus.Bus()
    loop = GLib.MainLoop()
    bus.connect("disconnected", lambda *_: loop.quit())
    factory = IBus.Factory.new(bus.get_connection())
    factory.add_engine("aquine-echo", GObject.type_from_name("AquineEchoEngine"))
    bus.request_name("org.aquine.EchoEngine", 0)
    loop.run()


if __name__ == "__main__":
    main()
