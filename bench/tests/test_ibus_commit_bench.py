#!/usr/bin/python3
"""The IBus commit benchmark's own parts: its key codes and statistics, its private daemons against
the compose engine that comes with ibus itself (a dead acute then e commits é), and whole runs against
a small engine of the tests' own (echo_engine.py) found through IBUS_COMPONENT_PATH."""

import contextlib
import io
import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import ibus_commit_bench as bench  # noqa: E402

DEAD_ACUTE = (0xFE51, 40)  # the apostrophe key of a US keyboard, as a dead key


class Figures(unittest.TestCase):
    def test_keys_carry_the_linux_keycodes_of_a_us_keyboard(self):
        # Engines that look at keycodes (layout-independent shortcuts) would see other keys otherwise.
        self.assertEqual(bench.keys("qaz pm19"),
                         [(ord("q"), 16), (ord("a"), 30), (ord("z"), 44), (32, 57), (ord("p"), 25), (ord("m"), 50),
                          (ord("1"), 2), (ord("9"), 10)])
        for untypable in ("N", "你", "\n"):
            with self.assertRaises(ValueError):
                bench.keys("ni" + untypable)

    def test_summary_uses_the_nearest_rank_for_p99(self):
        self.assertIsNone(bench.summary([]))
        self.assertEqual(bench.summary([7]), {"n": 1, "min": 7, "median": 7, "p99": 7, "max": 7})
        # 200 samples: rank ceil(198) is the 198th smallest; 101 samples: the 100th, not the largest.
        self.assertEqual(bench.summary(list(range(200, 0, -1))),
                         {"n": 200, "min": 1, "median": 100.5, "p99": 198, "max": 200})
        self.assertEqual(bench.summary(list(range(1, 102)))["p99"], 100)

    def test_every_engine_gets_the_same_rounds_each_a_whole_shuffled_list(self):
        words = bench.WORDS[:30]
        first, again = bench.stream(words, 3, seed=5), bench.stream(words, 3, seed=5)
        self.assertEqual(first, again)
        for order in first:
            self.assertEqual(sorted(order), sorted(words))
        self.assertNotEqual(first[0], first[1])

    def test_agreement_compares_only_what_both_committed(self):
        self.assertEqual(bench.agreement(["你好", "我们", "中国"], ["你好", "我门"]), (1, 2))

    def test_word_list_is_typable_and_each_pinyin_means_one_word(self):
        for pinyin, hanzi in bench.WORDS:
            bench.keys(pinyin + " ")
            self.assertTrue(all("\u4e00" <= c <= "\u9fff" for c in hanzi), hanzi)


class PrivateDaemons(unittest.TestCase):
    def setUp(self):
        self.home = os.environ.get("HOME", "")
        self.before = set(os.listdir(self.home)) if os.path.isdir(self.home) else set()

    def test_engine_commits_are_timed_and_passed_keys_counted(self):
        with bench.PrivateIBus() as ibus:
            client = bench.Client(ibus.address)
            client.use("xkb:us::eng")
            composed = client.type_keys([DEAD_ACUTE, (ord("e"), 18)])
            plain = client.type_keys([(ord("a"), 30)])
            pids = ibus.all_pids()
            programs = {os.path.basename(os.readlink(f"/proc/{p}/exe")) for p in pids}
            home = ibus.home
        self.assertEqual(composed.text, "é")
        self.assertGreater(composed.commit_ns, 0)
        self.assertLess(composed.commit_ns, 3e9)
        self.assertEqual((len(composed.update_ns), composed.passed), (1, 0))  # the dead key shows as preedit
        self.assertEqual(plain, bench.Typed(None, "", [], 1))
        # The session bus, ibus-daemon and what they started (config, the engine) are all gone.
        self.assertLessEqual({"dbus-daemon", "ibus-daemon", "ibus-engine-simple"}, programs)
        self.assertEqual([p for p in pids if bench._running(p)], [])
        self.assertFalse(os.path.exists(home))
        self.assertEqual(set(os.listdir(self.home)) if os.path.isdir(self.home) else set(), self.before)

    def test_a_failure_inside_still_stops_every_process(self):
        with self.assertRaises(RuntimeError):
            with bench.PrivateIBus() as ibus:
                client = bench.Client(ibus.address)
                client.use("xkb:us::eng")
                pids = ibus.all_pids()
                raise RuntimeError("the benchmark broke")
        self.assertEqual([p for p in pids if bench._running(p)], [])

    def test_each_engine_in_turn_is_the_one_typed_into(self):
        # The daemon has one engine for every context: a second engine replaces the first, and the
        # first must be chosen again, or every figure would be the last engine's.
        with bench.PrivateIBus() as ibus:
            client = bench.Client(ibus.address)
            self.assertLessEqual({"xkb:us::eng", "xkb:fr::fra"}, set(client.engine_names()))
            for engine in ("xkb:us::eng", "xkb:fr::fra", "xkb:us::eng"):
                client.use(engine)
                self.assertEqual(client.engine(), engine)
                self.assertEqual(client.type_keys([DEAD_ACUTE, (ord("e"), 18)]).text, "é")


ECHO_COMPONENT = """<?xml version="1.0" encoding="utf-8"?>
<component>
    <name>org.aquine.EchoEngine</name>
    <description>Echo</description>
    <exec>/usr/bin/python3 {script} --ibus</exec>
    <version>1.0</version>
    <author>Aquine</author>
    <license>GPL</license>
    <textdomain>aquine-echo</textdomain>
    <engines>
        <engine>
            <name>aquine-echo</name>
            <language>en</language>
            <license>GPL</license>
            <author>Aquine</author>
            <layout>us</layout>
            <longname>Echo</longname>
            <description>Echo</description>
            <rank>0</rank>
        </engine>
    </engines>
</component>
"""


class WholeRuns(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "echo_engine.py")
        with open(os.path.join(self.folder, "echo.xml"), "w") as f:
            f.write(ECHO_COMPONENT.format(script=script))
        self.saved = os.environ.get("IBUS_COMPONENT_PATH")
        # As for our engine: ibus-daemon 1.5.27 reads a second folder only after the system one.
        os.environ["IBUS_COMPONENT_PATH"] = "/usr/share/ibus/component:" + self.folder

    def tearDown(self):
        if self.saved is None:
            os.environ.pop("IBUS_COMPONENT_PATH")
        else:
            os.environ["IBUS_COMPONENT_PATH"] = self.saved
        shutil.rmtree(self.folder)

    def run_main(self, *args):
        out = io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(io.StringIO()):
            bench.main(list(args))
        return out.getvalue()

    def test_every_word_of_every_measured_round_is_timed_and_compared(self):
        printed = self.run_main("--engines", "aquine-echo", "--rounds", "2", "--warmup", "1", "--words", "4")
        row = next(line for line in printed.splitlines() if line.startswith("aquine-echo"))
        fields = row.split()
        self.assertEqual(fields[1], "8")  # 4 words x 2 rounds, the warm-up left out
        self.assertNotIn("-", fields[2:8])  # commit and letter figures all present
        self.assertEqual(fields[8:], ["0/8", "8/8"])  # nothing as the word list expects; same as itself
        self.assertIn("NIHAO for 你好", printed)
        self.assertNotIn("words without a commit", printed)

    def test_an_engine_is_chosen_again_then_given_up_when_it_commits_nothing(self):
        with bench.PrivateIBus(os.environ["IBUS_COMPONENT_PATH"]) as ibus:
            client = bench.Client(ibus.address)
            result = {"chosen_again": 0}
            bench.choose(client, "aquine-echo", "nihao", result)
            self.assertEqual(result["chosen_again"], 0)
            with self.assertRaisesRegex(RuntimeError, "aquine-echo committed nothing for 'zz'"):
                bench.choose(client, "aquine-echo", "zz", result)
            self.assertEqual(result["chosen_again"], 3)

    def test_an_engine_the_daemon_does_not_know_is_named_with_those_it_knows(self):
        with self.assertRaises(SystemExit) as stopped:
            self.run_main("--engines", "aquine-echo,no-such-engine")
        self.assertIn("no-such-engine", str(stopped.exception))
        self.assertIn("aquine-echo", str(stopped.exception).split("known:")[1])

    def test_report_says_which_median_is_slower_and_copes_with_an_engine_without_commits(self):
        ms = 1_000_000
        results = {
            "ours": {"commit_ns": [2 * ms] * 3, "letter_ns": [ms], "texts": ["你好"] * 3, "missing": 0, "passed": 0,
                     "chosen_again": 0},
            "peer": {"commit_ns": [ms] * 3, "letter_ns": [], "texts": ["你好", "泥好", "你好"], "missing": 0,
                     "passed": 0, "chosen_again": 0},
            "dead": {"commit_ns": [], "letter_ns": [], "texts": [None] * 3, "missing": 3, "passed": 18,
                     "chosen_again": 0},
        }
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            bench.report(results, ["ours", "peer", "dead"], "ours", ["你好"] * 3)
        printed = out.getvalue()
        self.assertIn("median ours 2.00 ms, peer 1.00 ms: ours is slower (2.00x)", printed)
        self.assertNotIn("median ours 2.00 ms, dead", printed)
        self.assertIn("dead: 3 words without a commit, 18 keys passed on", printed)
        self.assertRegex(printed, r"peer .* 2/3 +2/3")


if __name__ == "__main__":
    unittest.main()
