// Checks the committed built-in code table against what the lookup relies on: its byte format,
// the group order that is the candidate order, and a few lines every user would miss.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Line {
    std::string code;
    std::string word;
    bool operator==(const Line&) const = default;
};

std::string convert(std::string_view text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open failed");
    std::string out(text.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error("not convertible at byte " + std::to_string(text.size() - inLeft));
    out.resize(out.size() - outLeft);
    return out;
}

std::string gbk(std::string_view utf8) { return convert(utf8, "GBK", "UTF-8"); }

const std::string& rawTable() {
    static const std::string bytes = [] {
        std::ifstream in(AQUINE_CODE_TABLE_PATH, std::ios::binary);
        if (!in)
            throw std::runtime_error("cannot open " AQUINE_CODE_TABLE_PATH);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

// Lines as the lookup sees them: every line is the text between two CR LF.
const std::vector<Line>& lines() {
    static const std::vector<Line> parsed = [] {
        std::vector<Line> result;
        const std::string& t = rawTable();
        for (size_t start = 2, end; start < t.size(); start = end + 2) {
            end = t.find("\r\n", start);
            if (end == std::string::npos)
                end = t.size();
            const std::string text = t.substr(start, end - start);
            const size_t blank = text.find(' ');
            result.push_back(blank == std::string::npos ? Line{text, ""}
                                                        : Line{text.substr(0, blank), text.substr(blank + 1)});
        }
        return result;
    }();
    return parsed;
}

bool isSingle(const Line& l) { return l.word.size() == 2; }

// The second line of a pair repeats the previous line's character under an earlier reading.
bool isPairSecond(size_t i) {
    const auto& ls = lines();
    return i > 0 && isSingle(ls[i]) && ls[i - 1].word == ls[i].word && ls[i].code < ls[i - 1].code;
}

bool contains(const Line& wanted) { return std::ranges::find(lines(), wanted) != lines().end(); }

} // namespace

TEST(CodeTable, IsCrLfSeparatedGbkWithCodeBlankWord) {
    const std::string& t = rawTable();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t.substr(0, 2), "\r\n");
    EXPECT_EQ(t.substr(t.size() - 2), "\r\n");
    EXPECT_NO_THROW(convert(t, "UTF-8", "GBK"));

    for (const Line& l : lines()) {
        SCOPED_TRACE(l.code + " " + l.word);
        ASSERT_TRUE(l.code.size() >= 1 && l.code.size() <= 12);
        ASSERT_TRUE(std::ranges::all_of(l.code, [](char c) { return c >= 'a' && c <= 'z'; }));
        ASSERT_TRUE(l.word.size() >= 2 && l.word.size() <= 28 && l.word.size() % 2 == 0);
        for (size_t i = 0; i < l.word.size(); i += 2) {
            const auto lead = static_cast<unsigned char>(l.word[i]);
            const auto trail = static_cast<unsigned char>(l.word[i + 1]);
            ASSERT_TRUE(lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F);
        }
    }
}

TEST(CodeTable, GroupsAscendWithCharactersBeforeWordsAndPairsAsTheOnlyStepsBack) {
    const auto& ls = lines();
    std::string group;
    bool inWords = false;
    std::set<std::string> words;
    for (size_t i = 0; i < ls.size(); ++i) {
        const Line& l = ls[i];
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + l.code);
        if (isPairSecond(i))
            continue;
        if (isSingle(l)) {
            // Single-character lines only ever step back as the second line of a pair.
            ASSERT_GE(l.code, group);
            ASSERT_TRUE(l.code == group ? !inWords : true) << "character after the group's words";
            if (l.code != group)
                inWords = false;
            group = l.code;
        } else {
            ASSERT_TRUE(l.code.starts_with(group) && !group.empty());
            ASSERT_TRUE(!inWords || l.code >= ls[i - 1].code) << "words out of order";
            ASSERT_TRUE(words.insert(l.code + " " + l.word).second) << "word listed twice";
            inWords = true;
        }
    }
}

TEST(CodeTable, EachCharacterStandsAloneOnceUnderTheReadingItsPairsRepeat) {
    const auto& ls = lines();
    std::map<std::string, std::string> alone;
    for (size_t i = 0; i < ls.size(); ++i) {
        if (isSingle(ls[i]) && !isPairSecond(i) && (i + 1 == ls.size() || !isPairSecond(i + 1))) {
            ASSERT_TRUE(alone.emplace(ls[i].word, ls[i].code).second) << "alone twice: " << ls[i].code;
        }
    }
    for (size_t i = 0; i < ls.size(); ++i) {
        if (!isPairSecond(i))
            continue;
        const auto it = alone.find(ls[i].word);
        ASSERT_NE(it, alone.end()) << "pair without a lone line: " << ls[i - 1].code;
        EXPECT_EQ(it->second, ls[i].code);
    }
}

TEST(CodeTable, TypingAFullReadingShowsItsCharactersFirst) {
    std::set<std::string> readings;
    for (const Line& l : lines())
        if (isSingle(l))
            readings.insert(l.code);
    // The first line matching a composition is the first line carrying that prefix.
    std::set<std::string> seen;
    for (const Line& l : lines()) {
        for (size_t n = 1; n <= l.code.size(); ++n) {
            const std::string prefix = l.code.substr(0, n);
            if (readings.contains(prefix) && seen.insert(prefix).second) {
                EXPECT_TRUE(isSingle(l)) << prefix << " is led by the word of " << l.code;
            }
        }
    }
}

TEST(CodeTable, HoldsWhatUsersTypeEveryDay) {
    const auto& ls = lines();
    ASSERT_GE(ls.size(), 2u);
    EXPECT_EQ(ls[0], (Line{"a", gbk("啊")}));
    EXPECT_EQ(ls[1], (Line{"a", gbk("阿")}));
    EXPECT_TRUE(contains({"zhong", gbk("中")}));
    EXPECT_TRUE(contains({"ni", gbk("你")}));
    EXPECT_TRUE(contains({"lv", gbk("绿")}));
    EXPECT_TRUE(contains({"nv", gbk("女")}));
    EXPECT_TRUE(contains({"lue", gbk("略")}));
    EXPECT_TRUE(contains({"anquanshengc", gbk("安全生产")}));
    EXPECT_TRUE(contains({"zhongguo", gbk("中国")}));
    EXPECT_TRUE(contains({"weixin", gbk("微信")}));
    EXPECT_TRUE(contains({"bukeqi", gbk("不客气")}));
    EXPECT_TRUE(contains({"yilupingan", gbk("一路平安")}));
    EXPECT_TRUE(contains({"zhonghuarenm", gbk("中华人民共和国")}));
    EXPECT_TRUE(contains({"aes", gbk("厑")}));
    // The rare forms of the extension area are reachable too.
    EXPECT_TRUE(contains({"a", gbk("錒")}));
}
