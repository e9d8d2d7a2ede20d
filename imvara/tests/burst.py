#!/usr/bin/env python3
"""Bursts of keys for the input method, and what a target must then hold.

  burst.py make SEED KEYS LOOKUP EXPECTED   prints the keys (for `xdotool type`), writes the text
                                            they must type (UTF-8) to EXPECTED
  burst.py compare EXPECTED GOT             prints "lost L wrong W reordered R" for the text that
                                            arrived: characters in the wrong place count as
                                            reordered, characters that are not expected as wrong,
                                            expected ones that never came as lost
"""
import difflib
import random
import re
import subprocess
import sys
from collections import Counter

# Syllables whose first page holds at least five candidates; choice keys 1-5 and Space.
SYLLABLES = ("zhong hao ni wo shi de ren da xiao shang xia tian di ma ba yi er san si wu liu qi "
             "jiu shui huo mu jin tu feng yu yun xue hua cao niao yu chun qiu dong nan bei xi").split()
# Typed straight through (not captured): unshifted and shifted punctuation, 0 and capitals.
THROUGH = list(",./;'-=[]0") + list("!?:\"()ABXZ")


def first_page(lookup, code):
    line = subprocess.run([lookup, "pages", code], check=True, capture_output=True, text=True).stdout
    return [re.sub(r"[a-z0-9 ]", "", c) for c in re.findall(r"\d\.(\S+)", line)]


def make(seed, count, lookup, expected_path):
    rng = random.Random(seed)
    pages = {}
    keys, text = [], []
    while len(keys) < count:
        code = rng.choice(SYLLABLES)
        page = pages.setdefault(code, first_page(lookup, code))
        choice = rng.randrange(min(5, len(page)) + 1)
        keys += list(code) + [" " if choice == 0 else str(choice)]
        text.append(page[max(choice, 1) - 1])
        roll = rng.random()
        if roll < 0.3:  # punctuation, 0 or a capital: passed on in their place
            c = rng.choice(THROUGH)
            keys.append(c)
            text.append(c)
        elif roll < 0.45:  # a digit or blank with nothing composed: typed as itself
            c = rng.choice("123456789 ")
            keys.append(c)
            text.append(c)
    with open(expected_path, "w", encoding="utf-8") as f:
        f.write("".join(text))
    sys.stdout.write("".join(keys))


def compare(expected_path, got_path):
    want = open(expected_path, encoding="utf-8").read()
    got = open(got_path, encoding="utf-8", errors="replace").read()
    missing, extra = Counter(), Counter()
    for op, a1, a2, b1, b2 in difflib.SequenceMatcher(None, want, got, autojunk=False).get_opcodes():
        if op != "equal":
            missing.update(want[a1:a2])
            extra.update(got[b1:b2])
            print(f"  at {a1}: expected {want[max(a1 - 5, 0):a2 + 5]!r}, got {got[max(b1 - 5, 0):b2 + 5]!r}",
                  file=sys.stderr)
    moved = missing & extra
    lost = sum((missing - moved).values())
    wrong = sum((extra - moved).values())
    print(f"lost {lost} wrong {wrong} reordered {sum(moved.values())}")


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "make":
        make(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5])
    elif len(sys.argv) == 4 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
