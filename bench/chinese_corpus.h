// Generated Chinese prose for benchmarks: clauses built from word lists that lean on phrase-dependent
// conversions, with dates, figures, ASCII terms and some traditional text mixed in, CR LF lines.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

struct Corpus {
    std::string gbk;
    std::string utf8;
    std::size_t lines = 0;
    std::size_t vocabulary = 0;
};

// At least targetGbkBytes of GBK text (and the same text in UTF-8), the same on every run.
Corpus makeCorpus(std::size_t targetGbkBytes);

} // namespace bench
