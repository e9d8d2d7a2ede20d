// Checks the built-in table as a user meets it: through the real lookup and candidate pages of the
// bar, for the words people type every day and the characters they type most.
#include "common/gbk_codec.h"
#include "imvara/engine/candidates.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/lookup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace imvara;

namespace {

std::string G(const std::string& utf8) { return aquine::codec::utf8ToGbk(utf8); }

// The non-comment lines of a UTF-8 data file beside this test, split at blanks.
std::vector<std::vector<std::string>> dataFile(const std::string& name) {
    std::ifstream in(std::string(AQUINE_DATA_TESTS_DIR) + "/" + name);
    EXPECT_TRUE(in) << name;
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.starts_with("#"))
            continue;
        std::istringstream fields(line);
        std::vector<std::string> row;
        for (std::string field; fields >> field;)
            row.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

// The candidate texts of the first page the bar shows for a composition.
std::vector<std::string> firstPage(const std::string& composition) {
    static const LookupText lookup(CodeTable(), "");
    static const FixedMeasure measure;
    CandidatePager pager(measure);
    pager.RefreshCandidates(lookup.text(), composition, false, false);
    std::vector<std::string> texts;
    std::istringstream items(pager.CandidateLine());
    for (std::string item; items >> item;)
        texts.push_back(item.substr(item.find('.') + 1));
    return texts;
}

int placeOnFirstPage(const std::string& composition, const std::string& text) {
    const auto page = firstPage(composition);
    for (std::size_t i = 0; i < page.size(); ++i)
        if (page[i] == text)
            return static_cast<int>(i) + 1;
    return 0;
}

// Every reading under which a character stands on its own line in the table.
std::map<std::string, std::set<std::string>> characterReadings() {
    std::map<std::string, std::set<std::string>> readings;
    const std::string_view table = CodeTable();
    for (std::size_t start = 2, end; start < table.size(); start = end + 2) {
        end = table.find("\r\n", start);
        const std::string_view line = table.substr(start, end - start);
        const auto blank = line.find(' ');
        if (line.size() - blank - 1 == 2)
            readings[std::string(line.substr(blank + 1))].insert(std::string(line.substr(0, blank)));
    }
    return readings;
}

} // namespace

TEST(CodeTableUse, TheFirstGroupStartsAsUsersKnowIt) {
    EXPECT_EQ(firstPage("a"),
              (std::vector<std::string>{G("啊"), G("阿"), G("呵"), G("吖"), G("嗄"), G("腌"), G("锕"), G("錒")}));
    EXPECT_EQ(firstPage("ab").front(), G("阿爸") + "a");
    EXPECT_EQ(placeOnFirstPage("aes", G("厑")), 1);
}

TEST(CodeTableUse, EverydayWordsAreOnTheFirstPageOfTheirPinyin) {
    const auto words = dataFile("everyday_words.txt");
    EXPECT_EQ(words.size(), 200u);
    for (const auto& row : words) {
        ASSERT_EQ(row.size(), 2u);
        // Codes stop at 12 letters, so a long word is typed by its first 12.
        const std::string composition = row[1].substr(0, 12);
        EXPECT_GT(placeOnFirstPage(composition, G(row[0])), 0) << row[0] << " " << composition;
    }
}

TEST(CodeTableUse, OnlyPresentDayReadingsForCommonCharacters) {
    const auto readings = characterReadings();
    // Hanyu Da Zidian readings of ancient characters that share the shape are not offered.
    EXPECT_EQ(readings.at(G("仅")), (std::set<std::string>{"jin"}));
    EXPECT_EQ(readings.at(G("瘟")), (std::set<std::string>{"wen"}));
    EXPECT_EQ(readings.at(G("行")), (std::set<std::string>{"hang", "heng", "xing"}));
    EXPECT_EQ(readings.at(G("的")), (std::set<std::string>{"de", "di"}));
}

TEST(CodeTableUse, TheMostFrequentCharactersLeadAPageOfOneOfTheirReadings) {
    const auto frequent = dataFile("frequent_characters.txt");
    ASSERT_EQ(frequent.size(), 500u);
    const auto readings = characterReadings();
    int withinThree = 0;
    for (const auto& row : frequent) {
        const std::string ch = G(row.at(0));
        int best = 0;
        for (const std::string& reading : readings.at(ch)) {
            const int place = placeOnFirstPage(reading, ch);
            if (place > 0 && (best == 0 || place < best))
                best = place;
        }
        EXPECT_GT(best, 0) << row[0] << " is on no first page of its readings";
        withinThree += best > 0 && best <= 3;
    }
    // Not every one can be among the first three: 是 时 事 使 市 式 are all among them and read only
    // shi. 467 are today; fewer means frequent characters slipped behind rarer ones.
    EXPECT_GE(withinThree, 465);
}
