// aquine-conv: converts GBK text from standard input with the text conversion service and writes the
// result to standard output. Usage: aquine-conv --to traditional|simplified|big5|sjis
#include "common/text_convert.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

namespace {

int usage() {
    std::fputs("usage: aquine-conv --to traditional|simplified|big5|sjis < in.txt > out.txt\n"
               "Reads GBK text on standard input and writes the converted text on standard output.\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage();
        return 0;
    }
    std::string target;
    if (argc == 3 && std::strcmp(argv[1], "--to") == 0)
        target = argv[2];
    else if (argc == 2 && std::strncmp(argv[1], "--to=", 5) == 0)
        target = argv[1] + 5;
    else
        return usage();

    std::string (*convert)(std::string_view) = nullptr;
    if (target == "traditional")
        convert = aquine::ToTraditional;
    else if (target == "simplified")
        convert = aquine::ToSimplified;
    else if (target == "big5")
        convert = aquine::ToBig5;
    else if (target == "sjis")
        convert = aquine::ToShiftJis;
    else
        return usage();

    std::ios::sync_with_stdio(false);
    const std::string input(std::istreambuf_iterator<char>(std::cin), {});
    const std::string output = convert(input);
    std::cout.write(output.data(), static_cast<std::streamsize>(output.size()));
    std::cout.flush();
    return std::cout ? 0 : 1;
}
