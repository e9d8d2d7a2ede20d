#!/usr/bin/env python3
"""Builds imvara's built-in code table (imvara/data/code_table.txt) from open pinyin data.

Readings of single characters come from Unihan's modern dictionary fields, checked against
go-pinyin's pinyin_dict.go; weights and words from rime's pinyin_simp.dict.yaml and jieba's
dict.txt, plus our own list of recent everyday words. Only regeneration needs them; the build
uses the committed table.
"""

import argparse
import bz2
import collections
import glob
import os
import re
import sys
import tempfile
import unicodedata

MAX_CODE_LETTERS = 12
MAX_WORD_CHARS = 14
DEFAULT_WORD_COUNT = 42000

# go-pinyin only knows dictionary readings; rime also lists a few colloquial ones that everyone
# types (嗯 as "en", 诶 as "e"). Its other extra readings are typing aids for radicals
# (犭 as "fan") or plain mistakes, and they all weigh far less than this.
COLLOQUIAL_MIN_WEIGHT = 1000

# Readings no dictionary source lists but users look for. Every line of the table must carry a
# reading go-pinyin knows for its character, or be explained here; the generator fails otherwise.
READING_EXCEPTIONS = {
    ("嗯", "en"): "colloquial reading, rime weight 31982",
    ("唔", "en"): "colloquial reading, rime weight 1126",
    ("诶", "e"): "colloquial reading, rime weight 1766",
    ("厑", "aes"): "the reading the classic tables give it; users type it to find the character",
    ("许", "hu"): "邪许 (yehu), in the Xiandai Hanyu Cidian; Unihan lacks it",
    ("螫", "zhe"): "bee sting (zhe), in the Xiandai Hanyu Cidian; Unihan lacks it",
}
EXTRA_READINGS = {("厑", "aes")}

# Unihan fields that record present-day readings: the General Standard Chinese Characters
# dictionary (2013) and the Xiandai Hanyu Cidian (1983). kHanyuPinyin (Hanyu Da Zidian) also
# lists readings of ancient characters that merely share a shape with a modern one (仅 as fu or
# nu, 瘟 as wo or yun), and go-pinyin merges them in; for characters these dictionaries cover,
# only their readings count.
MODERN_FIELDS = ("kTGHZ2013", "kXHC1983")

# The head of a group, in this order, where the usual order would differ: the classic order of
# the first group, which users know by heart.
PINNED_CHARACTERS = {"a": "啊阿呵吖嗄腌锕錒"}
# The first words of a group; other words whose codes sort before the last of them are left out
# so that these lead.
PINNED_WORDS = {"a": [("aba", "阿爸"), ("achang", "阿昌")]}

# jieba counts words in edited text; rime weighs what people type. For words both know, rime's
# weight is about 2.35 times jieba's count (median over words rime weighs above 50).
JIEBA_SCALE = 2.35
# Weight of a word from our own list of recent words when neither source weighs it higher.
SUPPLEMENT_WEIGHT = 20000

RIME_DEFAULTS = ["/usr/share/rime-data/pinyin_simp.dict.yaml"]
READINGS_DEFAULTS = ["/usr/share/gocode/src/github.com/mozillazg/go-pinyin/pinyin_dict.go"]
UNIHAN_DEFAULTS = ["/usr/share/unicode/Unihan_Readings.txt.bz2", "/usr/share/unicode/Unihan_Readings.txt"]
JIEBA_DEFAULTS = ["/usr/lib/python3/dist-packages/jieba/dict.txt"]
SUPPLEMENT_DEFAULT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "recent_words.txt")
FREQUENT_CHARACTER_COUNT = 500

SYLLABLE = re.compile(r"[a-z]+")


def find_source(explicit, defaults, pattern, what):
    if explicit:
        if not os.path.isfile(explicit):
            sys.exit(f"gen_code_table: no such file: {explicit}")
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


def read_unihan(path):
    """({character: modern readings}, {character: every reading}) from Unihan_Readings.txt."""
    modern = collections.defaultdict(set)
    every = collections.defaultdict(set)
    opener = bz2.open if path.endswith(".bz2") else open
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 3 or not fields[0].startswith("U+"):
                continue
            code_point, field, value = fields
            if field not in MODERN_FIELDS + ("kMandarin", "kHanyuPinyin", "kHanyuPinlu"):
                continue
            ch = chr(int(code_point[2:], 16))
            # "0589.020:jǐn 0592.070:jìn", "10110.040:fù,nú,jǐn", "jǐn(402)": places, then readings.
            for item in value.split():
                for marked in re.sub(r"\(\d+\)$", "", item.rpartition(":")[2]).split(","):
                    code = toneless(marked)
                    if code:
                        every[ch].add(code)
                        if field in MODERN_FIELDS:
                            modern[ch].add(code)
    if not every:
        sys.exit(f"gen_code_table: no readings found in {path}")
    return modern, every


def read_jieba(path):
    """{word: count} from jieba's dict.txt ("word count tag" lines), without personal names.

    jieba's news texts name thousands of officials and athletes (tags nr, nrfg, nrt); nobody
    misses them in an input method, and their rare surname readings are the least certain.
    """
    counts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 3 and fields[2].startswith("nr"):
                continue
            if len(fields) >= 2 and fields[1].isdigit():
                counts[fields[0]] = max(int(fields[1]), counts.get(fields[0], 0))
    if not counts:
        sys.exit(f"gen_code_table: no words found in {path}")
    return counts


def read_supplement(path):
    """[(word, [syllables])] from our list of recent words: "word<TAB>pin yin", # comments."""
    entries = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            word, _, pinyin = line.partition("\t")
            syllables = [toneless(s) for s in pinyin.split()]
            if len(syllables) != len(word) or None in syllables:
                sys.exit(f"gen_code_table: {path}:{number}: pinyin does not fit the word")
            entries.append((word, syllables))
    return entries


def character_readings(readings, modern, unihan_every, rime_weight):
    """{character: set of table readings}.

    For a character the modern dictionaries cover, its readings are theirs, plus those rime weighs,
    as far as go-pinyin confirms them; a rare character keeps every reading go-pinyin gives that
    Unihan confirms. A character left without a reading is left out.
    """
    rime_codes = collections.defaultdict(dict)
    for (ch, code), weight in rime_weight.items():
        rime_codes[ch][code] = weight
    result = {}
    for ch, known in readings.items():
        if not is_table_character(ch):
            continue
        codes = set(known)
        if modern.get(ch):
            codes = (modern[ch] | set(rime_codes[ch])) & known or codes
        codes |= {code for code, weight in rime_codes[ch].items() if weight >= COLLOQUIAL_MIN_WEIGHT}
        if unihan_every.get(ch):
            codes = {code for code in codes if code in unihan_every[ch] or (ch, code) in READING_EXCEPTIONS}
        codes |= {code for c, code in EXTRA_READINGS if c == ch}
        if codes:
            result[ch] = codes
    return result


def single_readings(char_readings):
    """{character: its reading}, for the characters that have only one."""
    return {ch: next(iter(codes)) for ch, codes in char_readings.items() if len(codes) == 1}


def word_candidates(char_readings, readings, rime, jieba, supplement):
    """{(code, word): weight} of every usable word, {(code, word): its source}, and counts of what
    was left out."""
    def real(text, syllables):
        return all(s in char_readings.get(c, ()) for c, s in zip(text, syllables))

    def usable(text):
        return 2 <= len(text) <= MAX_WORD_CHARS and gbk(text) is not None and all(c in char_readings for c in text)

    rime_words = {}  # text -> (syllables, weight) of its heaviest reading
    candidates = {}
    sources = {}
    counts = collections.Counter()

    def add(text, syllables, weight, source):
        if not real(text, syllables):
            counts["left out: a syllable is no reading of its character"] += 1
            return
        key = ("".join(syllables)[:MAX_CODE_LETTERS], gbk(text))
        # Two readings that differ only beyond the 12th letter make one line.
        sources.setdefault(key, source)
        candidates[key] = max(weight, candidates.get(key, weight))

    for text, syllables, weight in rime:
        if usable(text) and len(syllables) == len(text):
            weight = max(weight, round(JIEBA_SCALE * jieba.get(text, 0)))
            add(text, syllables, weight, "word lines from rime")
            if text not in rime_words or weight > rime_words[text][1]:
                rime_words[text] = (syllables, weight)

    single = single_readings(char_readings)

    def derive(text):
        # Readings of the longest rime words inside the word, then of characters with one reading:
        # a character's most frequent reading is no guide (都 reads dou, but du in 大都, 建都).
        syllables = []
        i = 0
        while i < len(text):
            for n in range(len(text) - i, 1, -1):
                known = rime_words.get(text[i:i + n])
                if known:
                    syllables += known[0]
                    i += n
                    break
            else:
                if text[i] not in single:
                    return None
                syllables.append(single[text[i]])
                i += 1
        return syllables

    for text, count in jieba.items():
        if text in rime_words or not usable(text):
            continue
        syllables = derive(text)
        if syllables is None:
            counts["left out: reading of a jieba word uncertain"] += 1
            continue
        add(text, syllables, round(JIEBA_SCALE * count), "word lines from jieba (readings derived)")

    for text, syllables in supplement:
        if not usable(text) or not real(text, syllables):
            sys.exit(f"gen_code_table: recent word {text}: a character or syllable the table lacks")
        add(text, syllables, SUPPLEMENT_WEIGHT, "word lines from our list")
    return candidates, sources, counts


def build_table(readings, modern, unihan_every, rime, jieba, supplement, word_count):
    rime_weight = {}
    for text, syllables, weight in rime:
        if len(text) == 1 and len(syllables) == 1:
            key = (text, syllables[0])
            rime_weight[key] = max(weight, rime_weight.get(key, weight))

    char_readings = character_readings(readings, modern, unihan_every, rime_weight)

    groups = collections.defaultdict(list)  # reading -> [(sort key, [lines])]
    for ch, codes in char_readings.items():
        ordered = sorted(codes)
        word = gbk(ch)
        for code in ordered:
            weight = rime_weight.get((ch, code))
            # Simplified characters of GB2312 first, then the rest (extension area: rare and
            # traditional forms). Within each, readings rime weighs come first by weight; readings
            # only the dictionaries know are rare ones and follow in GBK order.
            pinned = PINNED_CHARACTERS.get(code, "")
            if ch in pinned:
                key = (-1, pinned.index(ch), 0, word)
            else:
                key = (0 if is_gb2312_hanzi(word) else 1, 0 if weight is not None else 1, -(weight or 0), word)
            lines = [(code, word)]
            if code != ordered[0]:
                lines.append((ordered[0], word))
            groups[code].append((key, lines))

    candidates, sources, counts = word_candidates(char_readings, readings, rime, jieba, supplement)
    heaviest = sorted(((-weight, code, word) for (code, word), weight in candidates.items()))
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
        group = next((code[:n] for n in range(min(len(code), longest_reading), 0, -1) if code[:n] in groups), None)
        if group is not None:
            group_words[group].append((code, neg_weight, word))

    for group, pins in PINNED_WORDS.items():
        pinned = [(code, gbk(word)) for code, word in pins]
        last = pinned[-1][0]
        rest = [w for w in group_words[group] if w[0] >= last and (w[0], w[2]) not in pinned]
        counts["left out to keep the pinned words first"] += len(group_words[group]) - len(rest)
        group_words[group] = rest
    for words in group_words.values():
        counts.update(sources[(code, word)] for code, _, word in words)
    counts.update(sources.get((code, gbk(word)), "word lines from our list") for pins in PINNED_WORDS.values()
                  for code, word in pins)
    table = []
    for reading in sorted(groups):
        for _, lines in sorted(groups[reading]):
            table.extend(lines)
        if reading in PINNED_WORDS:
            table.extend((code, gbk(word)) for code, word in PINNED_WORDS[reading])
        table.extend((code, word) for code, _, word in sorted(group_words[reading]))
    return table, char_readings, counts, rime_weight


def frequent_characters(char_readings, rime_weight, count):
    """The count characters rime weighs most, over all their readings, heaviest first."""
    total = collections.Counter()
    for (ch, _), weight in rime_weight.items():
        if ch in char_readings and is_gb2312_hanzi(gbk(ch)):
            total[ch] += weight
    return [ch for ch, _ in sorted(total.items(), key=lambda item: (-item[1], item[0]))[:count]]


def fits_readings(code, word, known, cut=False):
    """Whether code spells word, syllable by syllable, in readings known gives for each character.
    A code cut at 12 letters (cut) may end anywhere, inside a syllable too."""
    if not word or not code:
        return not code and (not word or cut)
    return any(cut and len(code) < len(s) and s.startswith(code)
               or code.startswith(s) and fits_readings(code[len(s):], word[1:], known, cut)
               for s in known(word[0]))


def verify_table(table, readings, unihan_every):
    """Fails unless every line's code is made of real readings of its characters: those go-pinyin
    gives that Unihan confirms (where Unihan knows the character), or a listed exception."""
    def known(ch):
        confirmed = unihan_every.get(ch)
        return {code for code in readings.get(ch, ()) if not confirmed or code in confirmed} | {
            code for c, code in READING_EXCEPTIONS if c == ch}

    bad = []
    for code, word in table:
        text = word.decode("gbk")
        if not (1 <= len(code) <= MAX_CODE_LETTERS and SYLLABLE.fullmatch(code)):
            bad.append((code, text, "code"))
        elif not fits_readings(code, text, known, len(code) == MAX_CODE_LETTERS):
            bad.append((code, text, "reading"))
    if bad:
        for code, text, why in bad[:40]:
            print(f"gen_code_table: {why} mismatch: {code} {text}", file=sys.stderr)
        sys.exit(f"gen_code_table: {len(bad)} lines fail the reading check; nothing written")


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
    fd, tmp = tempfile.mkstemp(dir=directory, prefix=".gen_code_table.")
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
    parser.add_argument("--unihan", help="Unihan_Readings.txt[.bz2] (default: from unicode-data)")
    parser.add_argument("--jieba", help="jieba dict.txt (default: from python3-jieba)")
    parser.add_argument("--recent", default=SUPPLEMENT_DEFAULT, help="our list of recent words")
    parser.add_argument("--output", default=os.path.join(repo, "imvara", "data", "code_table.txt"))
    parser.add_argument("--frequent", default=os.path.join(repo, "imvara", "data", "tests", "frequent_characters.txt"),
                        help=f"where to write the {FREQUENT_CHARACTER_COUNT} most frequent characters")
    parser.add_argument("--words", type=int, default=DEFAULT_WORD_COUNT,
                        help="how many words of two or more characters to keep, heaviest first")
    args = parser.parse_args()

    rime_path = find_source(args.rime, RIME_DEFAULTS, "pinyin_simp.dict.yaml", "rime-data-pinyin-simp")
    readings_path = find_source(args.readings, READINGS_DEFAULTS, "pinyin_dict.go",
                                "golang-github-mozillazg-go-pinyin-dev")
    unihan_path = find_source(args.unihan, UNIHAN_DEFAULTS, "Unihan_Readings.txt*", "unicode-data")
    jieba_path = find_source(args.jieba, JIEBA_DEFAULTS, "jieba/dict.txt", "python3-jieba")

    readings = read_readings(readings_path)
    modern, unihan_every = read_unihan(unihan_path)
    rime = read_rime(rime_path)
    table, char_readings, counts, rime_weight = build_table(
        readings, modern, unihan_every, rime, read_jieba(jieba_path), read_supplement(args.recent), args.words)
    verify_table(table, readings, unihan_every)
    data = encode_table(table)
    write_atomically(args.output, data)
    frequent = frequent_characters(char_readings, rime_weight, FREQUENT_CHARACTER_COUNT)
    write_atomically(args.frequent, (
        f"# The {len(frequent)} characters rime-data-pinyin-simp weighs most (all readings added up),\n"
        "# heaviest first. Written by tools/codetable/gen_code_table.py.\n" + "".join(c + "\n" for c in frequent)
    ).encode("utf-8"))

    print(f"readings: {readings_path}")
    print(f"checked:  {unihan_path}")
    print(f"words:    {rime_path}")
    print(f"          {jieba_path}")
    print(f"          {args.recent}")
    print(f"wrote:    {args.output}")
    print(f"          {args.frequent}")
    for name, value in statistics(table, data, char_readings) + sorted(counts.items()):
        print(f"  {name}: {value}")


if __name__ == "__main__":
    main()
