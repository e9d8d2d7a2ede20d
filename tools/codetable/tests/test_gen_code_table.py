#!/usr/bin/env python3
"""The code table generator's reading rules and its check, on small made-up sources."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import gen_code_table as gen  # noqa: E402


def table(*lines):
    return [(code, gen.gbk(word)) for code, word in (line.split(" ") for line in lines)]


class Readings(unittest.TestCase):
    def test_marked_pinyin_becomes_what_users_type(self):
        self.assertEqual(gen.toneless("lǜ"), "lv")
        self.assertEqual(gen.toneless("nüè"), "nue")
        self.assertEqual(gen.toneless("Zhōng"), "zhong")
        self.assertIsNone(gen.toneless("zhong1"))

    def test_unihan_fields_with_places_and_counts(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="utf-8") as f:
            f.write("# comment\n"
                    "U+4EC5\tkHanyuPinlu\tjǐn(402)\n"
                    "U+4EC5\tkHanyuPinyin\t10110.040:fù,nú,jǐn\n"
                    "U+4EC5\tkXHC1983\t0589.020:jǐn 0592.070:jìn\n"
                    "U+4EC5\tkCantonese\tgan2\n")
        try:
            modern, every = gen.read_unihan(f.name)
        finally:
            os.unlink(f.name)
        self.assertEqual(modern["仅"], {"jin"})
        self.assertEqual(every["仅"], {"jin", "fu", "nu"})

    def test_present_day_readings_win_for_characters_the_dictionaries_cover(self):
        readings = {"仅": {"jin", "fu", "nu"}, "錒": {"a", "ke"}, "嗯": {"n", "ng"}, "鐀": {"gui"}}
        modern = {"仅": {"jin"}, "嗯": {"n", "ng"}}
        every = {"仅": {"jin", "fu", "nu"}, "錒": {"a", "ke"}, "嗯": {"n", "ng"}, "鐀": {"kui"}}
        rime = {("嗯", "en"): 31982, ("錒", "ke"): 28}
        got = gen.character_readings(readings, modern, every, rime)
        self.assertEqual(got["仅"], {"jin"})  # fu and nu belong to an ancient character
        self.assertEqual(got["錒"], {"a", "ke"})  # rare: go-pinyin's readings Unihan confirms
        self.assertEqual(got["嗯"], {"n", "ng", "en"})  # colloquial, weighed heavily by rime
        self.assertNotIn("鐀", got)  # the sources disagree on every reading


class Check(unittest.TestCase):
    readings = {"仅": {"jin"}, "瘟": {"wen"}, "银": {"yin"}, "行": {"hang", "xing"}, "嗯": {"n", "ng"},
                "中": {"zhong"}, "华": {"hua"}, "人": {"ren"}, "民": {"min"}, "共": {"gong"}, "和": {"he"},
                "国": {"guo"}}
    unihan = {ch: set(codes) for ch, codes in readings.items()}

    def verify(self, *lines):
        with open(os.devnull, "w") as quiet:
            stderr, sys.stderr = sys.stderr, quiet
            try:
                gen.verify_table(table(*lines), self.readings, self.unihan)
            finally:
                sys.stderr = stderr

    def test_real_readings_pass(self):
        self.verify("jin 仅", "wen 瘟", "yinhang 银行", "en 嗯", "zhonghuarenm 中华人民共和国")

    def test_a_reading_of_another_character_fails(self):
        # What a mix-up of code points looks like: 仅 under the reading of its neighbour.
        for line in ("wo 瘟", "fu 仅", "yinxin 银行", "zhonghuarenmin 中华人民", "zhonghuaren 中华人民"):
            with self.subTest(line=line), self.assertRaises(SystemExit):
                self.verify(line)

    def test_a_reading_unihan_does_not_confirm_fails(self):
        self.readings = dict(Check.readings, 仅={"jin", "fu"})
        with self.assertRaises(SystemExit):
            self.verify("fu 仅")


if __name__ == "__main__":
    unittest.main()
