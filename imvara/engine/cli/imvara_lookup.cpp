// imvara-lookup: the input method's engine on the command line. Answers "how do I type this?" and
// shows what the bar would show, with the bar font's metrics (12 px per Chinese character, 6 per ASCII).
//   imvara-lookup pages COMPOSITION [--pages N] [--word-bin FILE]
//   imvara-lookup reverse TEXT [--word-bin FILE]
//   imvara-lookup stats
// Texts are UTF-8 on the command line and on output.
#include "common/file_io.h"
#include "common/gbk_codec.h"
#include "common/numbers.h"
#include "common/program_dir.h"
#include "common/user_files.h"
#include "imvara/engine/candidates.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/lookup.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace imvara;

namespace {

int usage() {
    std::fputs("usage: imvara-lookup pages COMPOSITION [--pages N] [--word-bin FILE]\n"
               "       imvara-lookup reverse TEXT [--word-bin FILE]\n"
               "       imvara-lookup stats\n",
               stderr);
    return 2;
}

void printUtf8(std::string_view gbk) {
    const std::string utf8 = aquine::codec::gbkToUtf8(gbk);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

bool isLowercase(std::string_view s) {
    for (char c : s)
        if (c < 'a' || c > 'z')
            return false;
    return true;
}

int pages(const LookupText& lookup, const std::string& composition, int count) {
    if (!isLowercase(composition)) {
        std::fputs("imvara-lookup: a composition is lowercase letters a-z\n", stderr);
        return 2;
    }
    FixedMeasure measure;
    CandidatePager pager(measure);
    pager.RefreshCandidates(lookup.text(), composition, false, false);
    for (int page = 1; page <= count && !pager.CandidateLine().empty(); ++page) {
        printUtf8(pager.CandidateLine());
        const int before = pager.PageNumber();
        pager.RefreshCandidates(lookup.text(), composition, true, false);
        if (pager.PageNumber() == before)
            break; // no more matches
    }
    return 0;
}

int stats() {
    const std::string_view table = CodeTable();
    std::size_t lines = 0, singles = 0, words = 0, outsideGb2312 = 0;
    std::set<std::string_view> codes, singleCodes, singleChars;
    std::map<std::string_view, int> copies;
    for (std::string_view line : aquine::gbk::splitLines(table)) {
        const auto blank = line.find(' ');
        if (blank == std::string_view::npos)
            continue;
        ++lines;
        const std::string_view code = line.substr(0, blank), word = line.substr(blank + 1);
        codes.insert(code);
        ++copies[line];
        if (word.size() == 2) {
            ++singles;
            singleCodes.insert(code);
            singleChars.insert(word);
        } else {
            ++words;
        }
        for (std::size_t i = 0; i + 1 < word.size(); i += 2) {
            const auto lead = static_cast<unsigned char>(word[i]), trail = static_cast<unsigned char>(word[i + 1]);
            if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) {
                ++outsideGb2312;
                break;
            }
        }
    }
    int repeated = 0, extra = 0;
    for (const auto& [line, n] : copies)
        if (n > 1)
            ++repeated, extra += n - 1;
    std::printf("bytes: %zu\nlines: %zu\ndistinct codes: %zu\ncodes on single-character lines: %zu\n"
                "single-character lines: %zu\nword lines: %zu\nlines with a character outside GB2312 hanzi: %zu\n"
                "distinct single characters: %zu\ndistinct lines occurring more than once: %d\nextra copies: %d\n",
                table.size(), lines, codes.size(), singleCodes.size(), singles, words, outsideGb2312,
                singleChars.size(), repeated, extra);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "stats")
        return argc == 2 ? stats() : usage();
    if (argc < 3)
        return usage();
    const std::string argument = argv[2];
    int pageCount = 1;
    std::optional<std::string> wordBin;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (option == "--pages")
            pageCount = static_cast<int>(aquine::toInteger(argv[++i]));
        else if (option == "--word-bin")
            wordBin = argv[++i];
        else
            return usage();
    }

    // Without --word-bin, the user words where the input method itself keeps them.
    std::optional<LookupText> lookup;
    if (wordBin) {
        // An absent file is no user words, as for the input method; anything else unreadable is said.
        const auto bytes = aquine::readFileBytes(*wordBin, aquine::kSettingsFileLimit);
        std::error_code ec;
        if (!bytes && std::filesystem::exists(*wordBin, ec)) {
            std::fprintf(stderr, "imvara-lookup: %s\n", bytes.reason().c_str());
            return 1;
        }
        lookup.emplace(CodeTable(), bytes ? std::string_view(*bytes) : std::string_view());
    } else {
        const std::filesystem::path wordDir =
            aquine::userFile(aquine::programDirectory(), kWordFileName, aquine::UserFolder::Data).parent_path();
        lookup.emplace(LoadLookupText(CodeTable(), wordDir));
    }

    if (command == "pages")
        return pages(*lookup, argument, pageCount);
    if (command == "reverse") {
        const std::string codes = ReverseLookup(lookup->text(), aquine::codec::utf8ToGbk(argument));
        if (!codes.empty())
            for (std::string_view code : aquine::gbk::splitLines(codes))
                printUtf8(code);
        return 0;
    }
    return usage();
}
