// aquine-conv: converts GBK text from standard input with the text conversion service and writes the
// result to standard output. Usage: aquine-conv --to traditional|simplified|big5|sjis
#include "common/file_io.h"
#include "common/text_convert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

int usage() {
    std::fputs("usage: aquine-conv --to traditional|simplified|big5|sjis < in.txt > out.txt\n"
               "Reads GBK text on standard input and writes the converted text on standard output.\n",
               stderr);
    return 2;
}

// All of standard input, or why it cannot be read (a folder, a read error, more than memory allows).
aquine::Result<std::string> readInput() {
    const std::uint64_t limit = aquine::documentSizeLimit();
    std::string input;
    char buffer[64 << 10];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return aquine::fail(aquine::fileFailureReason("无法读取", "标准输入", errno));
        }
        if (n == 0)
            return input;
        if (input.size() + static_cast<std::size_t>(n) > limit)
            return aquine::fail(aquine::tooLargeReason("标准输入", limit));
        input.append(buffer, static_cast<std::size_t>(n));
    }
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

    const aquine::Result<std::string> input = readInput();
    if (!input) {
        std::fprintf(stderr, "aquine-conv: %s\n", input.reason().c_str());
        return 1;
    }
    const std::string output = convert(*input);
    if (std::fwrite(output.data(), 1, output.size(), stdout) != output.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "aquine-conv: %s\n", aquine::fileFailureReason("无法写入", "标准输出", errno).c_str());
        return 1;
    }
    return 0;
}
