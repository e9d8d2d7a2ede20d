#!/usr/bin/python3
"""Key-to-commit time of IBus engines typing the same words under one private ibus-daemon.

Starts its own session bus and ibus-daemon in a throw-away home (so no engine learns from, or writes
to, the user's data), types the same pinyin words into each engine through an IBus input context,
and prints median and p99 times from the key that commits (the blank) to the commit-text signal.

Usage: ibus_commit_bench.py [--engines libpinyin,pinyin] [--rounds 5] [--warmup 1] [--words N]
IBUS_COMPONENT_PATH in the environment is passed to the daemon (list the system folder first).
"""

import argparse
import collections
import contextlib
import math
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

# Common two-syllable words (and a few longer ones) whose usual first candidate is the word itself.
WORDS = [
    ("nihao", "你好"), ("women", "我们"), ("zhongguo", "中国"), ("shijie", "世界"),
    ("pengyou", "朋友"), ("xuesheng", "学生"), ("laoshi", "老师"), ("gongzuo", "工作"),
    ("shenghuo", "生活"), ("wenti", "问题"), ("shijian", "时间"), ("difang", "地方"),
    ("dianhua", "电话"), ("diannao", "电脑"), ("jiating", "家庭"), ("xuexiao", "学校"),
    ("yisheng", "医生"), ("yinyue", "音乐"), ("dianying", "电影"), ("tianqi", "天气"),
    ("mingtian", "明天"), ("zuotian", "昨天"), ("jintian", "今天"), ("xianzai", "现在"),
    ("kaishi", "开始"), ("jieshu", "结束"), ("zhidao", "知道"), ("xihuan", "喜欢"),
    ("renwei", "认为"), ("keyi", "可以"), ("yinwei", "因为"), ("suoyi", "所以"),
    ("danshi", "但是"), ("ruguo", "如果"), ("ranhou", "然后"), ("yijing", "已经"),
    ("zhengfu", "政府"), ("guojia", "国家"), ("jingji", "经济"), ("wenhua", "文化"),
    ("lishi", "历史"), ("kexue", "科学"), ("jishu", "技术"), ("fazhan", "发展"),
    ("shehui", "社会"), ("renmin", "人民"), ("chengshi", "城市"), ("nongcun", "农村"),
    ("gongsi", "公司"), ("shichang", "市场"), ("jiaoyu", "教育"), ("wenzhang", "文章"),
    ("zhongwen", "中文"), ("yingyu", "英语"), ("hanzi", "汉字"), ("shuru", "输入"),
    ("ruanjian", "软件"), ("wangluo", "网络"), ("shouji", "手机"), ("xinxi", "信息"),
    ("fuwu", "服务"), ("guanli", "管理"), ("zhuyi", "注意"), ("bangzhu", "帮助"),
    ("xiexie", "谢谢"), ("duibuqi", "对不起"), ("meiguanxi", "没关系"), ("zaijian", "再见"),
    ("huanying", "欢迎"), ("kuaile", "快乐"), ("xingfu", "幸福"), ("jiankang", "健康"),
    ("shuijiao", "睡觉"), ("chifan", "吃饭"), ("hecha", "喝茶"), ("kanshu", "看书"),
    ("xiezi", "写字"), ("shangban", "上班"), ("xiaban", "下班"), ("huijia", "回家"),
    ("fangjian", "房间"), ("chuanghu", "窗户"), ("yifu", "衣服"), ("haizi", "孩子"),
    ("qianbi", "铅笔"), ("zhuozi", "桌子"), ("yizi", "椅子"), ("beizi", "杯子"),
    ("baozhi", "报纸"), ("zazhi", "杂志"), ("gushi", "故事"), ("mingzi", "名字"),
    ("taiyang", "太阳"), ("yueliang", "月亮"), ("xingxing", "星星"), ("dahai", "大海"),
    ("gaoshan", "高山"), ("hongse", "红色"), ("lanse", "蓝色"), ("baise", "白色"),
]

# Linux input keycodes (what IBus expects in keycode) of the keys the stream uses.
KEYCODES = {c: code for code, row in ((16, "qwertyuiop"), (30, "asdfghjkl"), (44, "zxcvbnm"))
            for c, code in zip(row, range(code, code + len(row)))}
KEYCODES.update({str(d): d + 1 for d in range(1, 10)})
KEYCODES.update({"0": 11, " ": 57})
RELEASE_MASK = 1 << 30


def keys(text):
    """The (keyval, keycode) of each key that types text on a US keyboard."""
    missing = [ch for ch in text if ch not in KEYCODES]
    if missing:
        raise ValueError(f"no key types {missing[0]!r}")
    return [(ord(ch), KEYCODES[ch]) for ch in text]


def summary(samples):
    """n, min, median, p99 (nearest rank) and max of samples, or None when there are none."""
    if not samples:
        return None
    ordered = sorted(samples)
    p99 = ordered[max(0, math.ceil(0.99 * len(ordered)) - 1)]
    return {"n": len(ordered), "min": ordered[0], "median": statistics.median(ordered),
            "p99": p99, "max": ordered[-1]}


def agreement(reference, other):
    """How many commits at the same place in the stream are identical, and how many were compared."""
    compared = min(len(reference), len(other))
    return sum(1 for a, b in zip(reference, other) if a == b), compared


def stream(words, rounds, seed):
    """The words of each round, in an order shuffled per round but the same for every engine."""
    rng = random.Random(seed)
    result = []
    for _ in range(rounds):
        order = list(words)
        rng.shuffle(order)
        result.append(order)
    return result


def descendants(pid):
    """Process ids below pid, children before their own children, read from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                # The command name may hold blanks and parentheses; the parent id follows the last ')'.
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, queue = [], [pid]
    while queue:
        for child in children.get(queue.pop(0), []):
            found.append(child)
            queue.append(child)
    return found


def stop(pids, grace=3.0):
    """Ends the given processes by id: TERM, then KILL what is left after grace seconds."""
    alive = []
    for pid in pids:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGTERM)
            alive.append(pid)
    deadline = time.monotonic() + grace
    while alive and time.monotonic() < deadline:
        alive = [p for p in alive if _running(p)]
        time.sleep(0.02)
    for pid in alive:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)


def _running(pid):
    # A process that has ended but is not yet reaped (a zombie) counts as ended.
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class PrivateIBus:
    """A session bus and an ibus-daemon of our own in a temporary home, stopped by id on exit.

    Everything the daemon starts (engines, config) inherits the temporary home, so user phrases that
    an engine learns start fresh on every run and never reach the user's files."""

    def __init__(self, component_path=None, keep_home=False):
        self.component_path = component_path
        self.keep_home = keep_home
        self.home = None
        self.children = []
        self.env = None
        self.address = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def _start(self):
        self.home = tempfile.mkdtemp(prefix="ibus-bench-")
        runtime = os.path.join(self.home, "run")
        os.mkdir(runtime, 0o700)
        # DISPLAY stays: an engine that is also a Qt program (ours) needs one; the runner gives it Xvfb.
        env = {k: v for k, v in os.environ.items()
               if k not in ("WAYLAND_DISPLAY", "IBUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS")}
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                   XDG_DATA_HOME=os.path.join(self.home, ".local/share"), XDG_RUNTIME_DIR=runtime,
                   GSETTINGS_BACKEND="memory", LC_ALL="C.UTF-8")
        if self.component_path:
            env["IBUS_COMPONENT_PATH"] = self.component_path

        self.log = open(os.path.join(self.home, "daemons.log"), "w")
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address"],
                               stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, stderr=self.log, env=env, text=True)
        self.children.append(bus)
        line = bus.stdout.readline().strip()
        if not line:
            raise RuntimeError("dbus-daemon did not print its address")
        bus.stdout.close()
        env["DBUS_SESSION_BUS_ADDRESS"] = line

        self.address = "unix:path=" + os.path.join(runtime, "ibus")
        env["IBUS_ADDRESS"] = self.address
        daemon = subprocess.Popen(["ibus-daemon", "--panel=disable", "--emoji-extension=disable",
                                   "--config=/usr/libexec/ibus-memconf", "--cache=none", "--replace",
                                   "--address=" + self.address],
                                  stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT, env=env)
        self.children.append(daemon)
        self.env = env
        deadline = time.monotonic() + 20
        while not os.path.exists(os.path.join(runtime, "ibus")):
            if daemon.poll() is not None:
                raise RuntimeError(f"ibus-daemon ended at start (status {daemon.returncode}): {self.daemon_log()}")
            if time.monotonic() > deadline:
                raise RuntimeError("ibus-daemon opened no socket within 20 s")
            time.sleep(0.02)

    def daemon_log(self):
        with open(os.path.join(self.home, "daemons.log")) as f:
            return f.read()[-2000:]

    def all_pids(self):
        """Our daemons and everything they started, the started ones first."""
        ours = [c.pid for c in reversed(self.children)]
        return [p for pid in ours for p in descendants(pid)] + ours

    def __exit__(self, *exc):
        stop(self.all_pids())
        for child in self.children:
            with contextlib.suppress(subprocess.TimeoutExpired):
                child.wait(1)
        self.children = []
        if getattr(self, "log", None):
            self.log.close()
        if self.home and not self.keep_home:
            shutil.rmtree(self.home, ignore_errors=True)
        return False


# What typing one word gave: ns from the last key's press to the first commit-text (None without one),
# all text committed while typing it, ns from each earlier key's press to the last preedit or
# lookup-table update it brought before the engine answered, and how many keys were passed on.
Typed = collections.namedtuple("Typed", "commit_ns text update_ns passed")


class Client:
    """An IBus client with one input context per engine, typing keys and timing what comes back."""

    def __init__(self, address):
        import gi
        gi.require_version("IBus", "1.0")
        from gi.repository import Gio, GLib, IBus
        self.GLib, self.IBus = GLib, IBus
        # A connection of our own rather than IBus.Bus, which is one per process and keeps talking to
        # the first daemon it met.
        flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
        try:
            self.connection = Gio.DBusConnection.new_for_address_sync(address, flags, None, None)
        except GLib.Error as e:
            raise RuntimeError(f"could not connect to ibus-daemon at {address}: {e.message}") from e
        self.context = GLib.MainContext.default()
        self.ctx = None
        self.events = []

    def _call(self, interface, method, args):
        return self.connection.call_sync("org.freedesktop.IBus", "/org/freedesktop/IBus", interface, method, args,
                                         None, 0, 10000, None).unpack()

    def run_until(self, done, timeout):
        deadline = time.monotonic() + timeout
        while not done():
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            fired = []
            wake = self.GLib.timeout_add(max(1, int(left * 1000)), lambda: fired.append(1) and False)
            self.context.iteration(True)
            if not fired:
                self.GLib.source_remove(wake)
        return True

    def engine_names(self):
        engines = self.connection.call_sync("org.freedesktop.IBus", "/org/freedesktop/IBus",
                                            "org.freedesktop.DBus.Properties", "Get",
                                            self.GLib.Variant("(ss)", ("org.freedesktop.IBus", "Engines")), None, 0,
                                            10000, None).get_child_value(0).get_variant()
        return sorted(self.IBus.Serializable.deserialize_object(engines.get_child_value(i)).get_name()
                      for i in range(engines.n_children()))

    def use(self, engine):
        """Makes engine the one our input context types into. ibus-daemon 1.5 has one engine for all
        input contexts (the focused one gets it), so engines are switched, not kept side by side."""
        IBus = self.IBus
        if self.ctx is None:
            path = self._call("org.freedesktop.IBus", "CreateInputContext",
                              self.GLib.Variant("(s)", ("ibus-commit-bench",)))[0]
            self.ctx = IBus.InputContext.new(path, self.connection, None)
            caps = IBus.Capabilite.PREEDIT_TEXT | IBus.Capabilite.FOCUS | IBus.Capabilite.LOOKUP_TABLE
            self.ctx.set_capabilities(caps)
            for name in ("commit-text", "update-preedit-text", "update-lookup-table"):
                self.ctx.connect(name, self._on_signal, name)
            self.ctx.focus_in()
        self.ctx.set_engine(engine)
        if not self.run_until(lambda: self.engine() == engine, 30):
            raise RuntimeError(f"engine {engine} did not start within 30 s (the context has {self.engine()})")
        # The context names the new engine before the daemon has finished attaching it: a key sent at
        # once was lost (the tests' echo engine, chosen anew, committed "Z" for "zz").
        self.run_until(lambda: False, 0.2)

    def engine(self):
        """The name of the engine behind our input context, or None."""
        desc = self.ctx.get_engine() if self.ctx else None
        return desc.get_name() if desc else None

    def _on_signal(self, _ctx, *args):
        name = args[-1]
        value = args[0].get_text() if name == "commit-text" else None
        self.events.append((time.perf_counter_ns(), name, value))

    def _send(self, ctx, keyval, keycode, state):
        reply = {}

        def finished(source, result, _data):
            try:
                reply["handled"] = source.process_key_event_async_finish(result)
            except Exception as e:  # a reply that never came is a result of its own, not a crash
                reply["handled"] = None
                reply["error"] = str(e)

        ctx.process_key_event_async(keyval, keycode, state, 5000, None, finished, None)
        return reply

    def type_keys(self, typed):
        """Presses and releases each (keyval, keycode) of typed in turn, each after the engine answered
        the one before, and times the last key, which should commit."""
        ctx = self.ctx
        result = Typed(None, "", [], 0)
        for i, (keyval, keycode) in enumerate(typed):
            last = i == len(typed) - 1
            self.events.clear()
            start = time.perf_counter_ns()
            press = self._send(ctx, keyval, keycode, 0)
            self.run_until(lambda: "handled" in press, 6)
            if last:
                self.run_until(lambda: any(e[1] == "commit-text" for e in self.events), 3)
            while self.context.pending():
                self.context.iteration(False)
            answered = list(self.events)
            release = self._send(ctx, keyval, keycode, RELEASE_MASK)
            self.run_until(lambda: "handled" in release, 6)
            if not press.get("handled"):
                result = result._replace(passed=result.passed + 1)
            commits = [(t, text) for t, name, text in self.events if name == "commit-text"]
            result = result._replace(text=result.text + "".join(text for _, text in commits))
            updates = [t for t, name, _ in answered if name in ("update-preedit-text", "update-lookup-table")]
            if last and commits:
                result = result._replace(commit_ns=commits[0][0] - start)
            elif not last and updates:
                result.update_ns.append(max(updates) - start)
        return result


def choose(client, engine, word, result):
    """Chooses engine and types word unmeasured: the daemon makes the engine anew on every choice, and
    its first word would time that, not typing. Chooses again, up to three times, until it commits."""
    for _ in range(3):
        client.use(engine)
        if client.type_keys(keys(word + " ")).commit_ns is not None:
            return
        result["chosen_again"] += 1
    raise RuntimeError(f"engine {engine} committed nothing for {word!r} after being chosen three times")


def report(results, engines, reference, expected):
    head = (f"{'engine':<12}{'commits':>8}{'min':>8}{'median':>8}{'p99':>8}{'max':>8}   "
            f"{'letter median':>13}{'p99':>7}   {'as expected':>11}  {'same as ' + reference:>16}")
    print("key-to-commit (blank to commit-text) and key-to-update (letter to preedit/lookup table), ms")
    print(head)
    for engine in engines:
        r = results[engine]
        c, letter = summary(r["commit_ns"]), summary(r["letter_ns"])
        hits = sum(1 for text, want in zip(r["texts"], expected) if text == want)
        same, compared = agreement(results[reference]["texts"], r["texts"])
        cols = (f"{c['min'] / 1e6:8.2f}{c['median'] / 1e6:8.2f}{c['p99'] / 1e6:8.2f}{c['max'] / 1e6:8.2f}"
                if c else f"{'-':>8}" * 4)
        lcols = f"{letter['median'] / 1e6:13.2f}{letter['p99'] / 1e6:7.2f}" if letter else f"{'-':>13}{'-':>7}"
        print(f"{engine:<12}{len(r['commit_ns']):>8}{cols}   {lcols}   {hits:>5}/{len(expected):<5}  "
              f"{same:>7}/{compared:<8}")
        if r["missing"] or r["passed"] or r["chosen_again"]:
            print(f"  {engine}: {r['missing']} words without a commit, {r['passed']} keys passed on to the application, "
                  f"chosen again {r['chosen_again']} times after committing nothing")
    base = summary(results[reference]["commit_ns"])
    for engine in engines:
        other = summary(results[engine]["commit_ns"])
        if engine != reference and base and other:
            verdict = "no slower" if base["median"] <= other["median"] else "slower"
            print(f"median {reference} {base['median'] / 1e6:.2f} ms, {engine} {other['median'] / 1e6:.2f} ms: "
                  f"{reference} is {verdict} ({base['median'] / other['median']:.2f}x)")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--engines", default="libpinyin,pinyin", help="comma-separated engine names")
    parser.add_argument("--rounds", type=int, default=5, help="measured rounds over the word list")
    parser.add_argument("--warmup", type=int, default=1, help="rounds typed first and not counted")
    parser.add_argument("--words", type=int, default=len(WORDS), help="use the first N words of the list")
    parser.add_argument("--seed", type=int, default=20)
    parser.add_argument("--keep-home", action="store_true", help="keep the temporary home (engine logs)")
    args = parser.parse_args(argv)
    engines = [e for e in args.engines.split(",") if e]
    words = WORDS[:args.words]
    # Stopped from outside, the daemons are still ours to end.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    with PrivateIBus(os.environ.get("IBUS_COMPONENT_PATH"), args.keep_home) as ibus:
        client = Client(ibus.address)
        known = client.engine_names()
        absent = [e for e in engines if e not in known]
        if absent:
            raise SystemExit(f"engines not registered with ibus-daemon: {', '.join(absent)} "
                             f"(known: {', '.join(known)})")
        for engine in engines:
            client.use(engine)
        results = {e: {"commit_ns": [], "letter_ns": [], "texts": [], "missing": 0, "passed": 0, "chosen_again": 0}
                   for e in engines}
        expected = []
        rounds = stream(words, args.warmup + args.rounds, args.seed)
        started = time.monotonic()
        for number, order in enumerate(rounds):
            measured = number >= args.warmup
            if measured:
                expected += [hanzi for _, hanzi in order]
            # A different engine goes first each round, so a slow spell of the machine is shared out.
            turn = engines[number % len(engines):] + engines[:number % len(engines)]
            for engine in turn:
                r = results[engine]
                choose(client, engine, order[-1][0], r)
                misses = 0
                for pinyin, _ in order:
                    typed = client.type_keys(keys(pinyin + " "))
                    misses = misses + 1 if typed.commit_ns is None else 0
                    if misses == 3:
                        # Seen once in many runs: a freshly chosen engine that committed nothing for a
                        # whole round. Choose it again rather than wait out every word.
                        choose(client, engine, pinyin, r)
                        misses = 0
                    if not measured:
                        continue
                    r["texts"].append(typed.text)
                    r["passed"] += typed.passed
                    r["letter_ns"] += typed.update_ns
                    if typed.commit_ns is None:
                        r["missing"] += 1
                    else:
                        r["commit_ns"].append(typed.commit_ns)
            print(f"round {number + 1}/{len(rounds)}{'' if measured else ' (warm-up)'} done", file=sys.stderr,
                  flush=True)
        print(f"{len(words)} words x {args.rounds} rounds per engine after {args.warmup} warm-up round(s); "
              f"{time.monotonic() - started:.0f} s; {os.cpu_count()} cores, "
              f"load average {open('/proc/loadavg').read().split()[0]}")
        report(results, engines, engines[0], expected)
        for engine in engines:
            wrong = sorted({(want, text) for want, text in zip(expected, results[engine]["texts"]) if want != text})
            if wrong:
                print(f"  {engine} committed " + ", ".join(f"{text or '(nothing)'} for {want}" for want, text in wrong[:8]))
        reference = results[engines[0]]["texts"]
        for engine in engines[1:]:
            differ = sorted({(ref, text) for ref, text in zip(reference, results[engine]["texts"]) if ref != text},
                            key=str)
            for ref, text in differ[:10]:
                print(f"  {engine} committed {text!r} where {engines[0]} committed {ref!r}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
