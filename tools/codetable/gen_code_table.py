#!/usr/bin/env python3
"""Builds imvara's built-in code table (imvara/data/code_table.txt) from open pinyin data.

Readings of single characters come from go-pinyin's pinyin_dict.go, weights and words from
rime's pinyin_simp.dict.yaml. Only regeneration needs them; the build uses the committed table.
"""

import argparse
import collections
import glob
import os
import re
import sys
import tempfile
import unicodedata

MAX_CODE_LETTERS = 12
MAX_WORD_CHARS = 14
DEFAULT_WORD_COUNT = 28000

# go-pinyin only knows dictionary readings; rime also lists a few colloquial ones that everyone
# types (嗯 as "en", 诶 as "e"). Its other extra readings are typing aids for radicals
# (犭 as "fan") or plain mistakes, and they all weigh far less than this.
COLLOQUIAL_MIN_WEIGHT = 1000

RIME_DEFAULTS = ["/usr/share/rime-data/pinyin_simp.dict.yaml"]
READINGS_DEFAULTS = ["/usr/share/gocode/src/github.com/mozillazg/go-pinyin/pinyin_dict.go"]

SYLLABLE = re.compile(r"[a-z]+")


def find_source(explicit, defaults, pattern, what):
    if explicit:
        return explicit
    for path in defaults:
        if os.path.isfile(path):
            return path
    found = sorted(glob.glob(os.path.join("/usr/share", "**", pattern), recursive=True))
    if found:
        return found[0]
    sys.exit(f"gen_code_table: cannot find {what} ({pattern}) under /usr/share; pass its path")


def toneless(pinyin):
    """Turns a marked reading such as "lǜ" into what a user types: "lv".

    The umlaut becomes v, as on every pinyin keyboard. After l and n the syllables lüe/nüe are
    written lue/nue, the spelling rime uses for its words and the one every full-pinyin input
    accepts, so the characters and the words that contain them share one group.
    """
    decomposed = unicodedata.normalize("NFD", pinyin.strip().lower()).replace("u\u0308", "v")
    plain = "".join(c for c in decomposed if not unicodedata.combining(c))
    if plain in ("lve", "nve"):
        plain = plain[0] + "ue"
    return plain if SYLLABLE.fullmatch(plain) else None


def gbk(text):
    """GBK bytes of text when every character is a two-byte GBK character, else None."""
    try:
        data = text.encode("gbk")
    except UnicodeEncodeError:
        return None
    return data if len(data) == 2 * len(text) else None


def is_table_character(ch):
    # Compatibility ideographs (U+F900..) are left out: code page versions disagree on their
    # GBK bytes (glibc's GBK rejects them), so they would not survive the codec.
    return gbk(ch) is not None and (ch == "\u3007" or "CJK UNIFIED IDEOGRAPH" in unicodedata.name(ch, ""))


def is_gb2312_hanzi(two_bytes):
    return 0xB0 <= two_bytes[0] <= 0xF7 and 0xA1 <= two_bytes[1] <= 0xFE


def read_readings(path):
    """{character: set of toneless readings} from go-pinyin's map literal."""
    readings = {}
    entry = re.compile(r'0x([0-9A-Fa-f]+):\s*"([^"]*)"')
    with open(path, encoding="utf-8") as f:
        for match in entry.finditer(f.read()):
            ch = chr(int(match.group(1), 16))
            codes = {toneless(p) for p in match.group(2).split(",")} - {None}
            if codes:
                readings.setdefault(ch, set()).update(codes)
    if not readings:
        sys.exit(f"gen_code_table: no readings found in {path}")
    return readings


def read_rime(path):
    """[(text, [syllables], weight)] from the body of a rime dictionary (after the "..." line)."""
    entries = []
    in_body = False
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not in_body:
                in_body = line == "..."
                continue
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) < 2:
                continue
            syllables = [toneless(s) for s in fields[1].split()]
            if not syllables or None in syllables:
                continue
            try:
                weight = int(fields[2]) if len(fields) > 2 else 0
            except ValueError:
                weight = 0
            entries.append((fields[0], syllables, weight))
    if not entries:
        sys.exit(f"gen_code_table: no entries found in {path}")
    return entries


def build_table(readings, rime, word_count):
    rime_weight = {}
    for text, syllables, weight in rime:
        if len(text) == 1 and len(syllables) == 1:
            key = (text, syllables[0])
            rime_weight[key] = max(weight, rime_weight.get(key, weight))

    char_readings = {ch: set(codes) for ch, codes in readings.items() if is_table_character(ch)}
    for (ch, code), weight in rime_weight.items():
        if ch in char_readings and weight >= COLLOQUIAL_MIN_WEIGHT:
            char_readings[ch].add(code)

    groups = collections.defaultdict(list)  # reading -> [(sort key, [lines])]
    for ch, codes in char_readings.items():
        ordered = sorted(codes)
        word = gbk(ch)
        for code in ordered:
            weight = rime_weight.get((ch, code))
            # Simplified characters of GB2312 first, then the rest (extension area: rare and
            # traditional forms). Within each, readings rime weighs come first by weight; readings
            # only go-pinyin knows are rare ones and follow in GBK order.
            key = (0 if is_gb2312_hanzi(word) else 1, 0 if weight is not None else 1, -(weight or 0), word)
            lines = [(code, word)]
            if code != ordered[0]:
                lines.append((ordered[0], word))
            groups[code].append((key, lines))

    words = {}
    for text, syllables, weight in rime:
        if len(text) < 2 or len(text) > MAX_WORD_CHARS or len(syllables) != len(text):
            continue
        word = gbk(text)
        if word is None or syllables[0] not in groups:
            continue
        code = "".join(syllables)[:MAX_CODE_LETTERS]
        # Two readings that differ only beyond the 12th letter make one line.
        words[(code, word)] = max(weight, words.get((code, word), weight))
    heaviest = sorted(((-weight, code, word) for (code, word), weight in words.items()))
    if word_count < len(heaviest):
        # Words tied with the last one kept are kept too, so no tie is broken alphabetically.
        cutoff = heaviest[word_count - 1][0] if word_count > 0 else None
        heaviest = [w for w in heaviest if cutoff is not None and w[0] <= cutoff]

    # A word goes to the longest reading its code begins with, not to its first syllable: the
    # lookup lists matches in table order, so "fangan 反感" filed under fan would come before
    # 方 and 放 for anyone typing "fang", and "dier 第二" before 爹 for "die".
    longest_reading = max(len(r) for r in groups)
    group_words = collections.defaultdict(list)
    for neg_weight, code, word in heaviest:
        group = next(code[:n] for n in range(min(len(code), longest_reading), 0, -1) if code[:n] in groups)
        group_words[group].append((code, neg_weight, word))

    table = []
    for reading in sorted(groups):
        for _, lines in sorted(groups[reading]):
            table.extend(lines)
        table.extend((code, word) for code, _, word in sorted(group_words[reading]))
    return table, char_readings


def encode_table(table):
    out = bytearray(b"\r\n")
    for code, word in table:
        out += code.encode("ascii") + b" " + word + b"\r\n"
    return bytes(out)


def statistics(table, data, char_readings):
    single = [(c, w) for c, w in table if len(w) == 2]
    counts = collections.Counter(table)
    # Word lines are left out of the step count: a group's words run past the next group's
    # reading ("ayi" before "ai"), which is expected; only the single-character lines must
    # climb, except where a pair's second line repeats a character's first reading.
    steps_back = 0
    previous = None
    for code, _ in single:
        if previous is not None and code < previous:
            steps_back += 1
        previous = code
    outside = sum(1 for _, w in table if any(not is_gb2312_hanzi(w[i:i + 2]) for i in range(0, len(w), 2)))
    return [
        ("bytes", len(data)),
        ("lines", len(table)),
        ("distinct codes", len({c for c, _ in table})),
        ("distinct codes on single-character lines", len({c for c, _ in single})),
        ("single-character lines", len(single)),
        ("word lines", len(table) - len(single)),
        ("lines with a character outside GB2312 hanzi", outside),
        ("distinct single characters", len({w for _, w in single})),
        ("characters with several readings", sum(1 for r in char_readings.values() if len(r) > 1)),
        ("distinct lines occurring more than once", sum(1 for n in counts.values() if n > 1)),
        ("extra copies", sum(n - 1 for n in counts.values())),
        ("max copies of one line", max(counts.values())),
        ("places where codes step backwards (single-character lines)", steps_back),
    ]


def write_atomically(path, data):
    directory = os.path.dirname(os.path.abspath(path))
    os.makedirs(directory, exist_ok=True)
    fd, tmp = tempfile.mkstemp(dir=directory, prefix=".code_table.")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(tmp, 0o644)
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise


def main():
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rime", help="rime pinyin_simp.dict.yaml (default: found under /usr/share)")
    parser.add_argument("--readings", help="go-pinyin pinyin_dict.go (default: found under /usr/share)")
    parser.add_argument("--output", default=os.path.join(repo, "imvara", "data", "code_table.txt"))
    parser.add_argument("--words", type=int, default=DEFAULT_WORD_COUNT,
                        help="how many words of two or more characters to keep, heaviest first")
    args = parser.parse_args()

    rime_path = find_source(args.rime, RIME_DEFAULTS, "pinyin_simp.dict.yaml", "rime-data-pinyin-simp")
    readings_path = find_source(args.readings, READINGS_DEFAULTS, "pinyin_dict.go",
                                "golang-github-mozillazg-go-pinyin-dev")

    table, char_readings = build_table(read_readings(readings_path), read_rime(rime_path), args.words)
    data = encode_table(table)
    write_atomically(args.output, data)

    print(f"readings: {readings_path}")
    print(f"words:    {rime_path}")
    print(f"wrote:    {args.output}")
    for name, value in statistics(table, data, char_readings):
        print(f"  {name}: {value}")


if __name__ == "__main__":
    main()
