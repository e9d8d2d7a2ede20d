// What the benchmark programs share: reading this process's memory, command lines with default flags,
// and a main for benchmarks of the notepad's windows.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace bench {

// A field of /proc/self/status in kB (VmRSS, VmHWM ...); 0 when absent.
inline std::int64_t statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atoll(line.c_str() + key.size());
    return 0;
}

// Starts a new peak-memory measurement (VmHWM) from the current resident size.
inline void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The program's arguments after a set of default flags, so that flags given on the command line come
// later and win. Keeps the strings alive as long as itself.
class Arguments {
public:
    Arguments(int argc, char** argv, std::initializer_list<const char*> defaults)
        : m_defaults(defaults.begin(), defaults.end()) {
        m_args.push_back(argv[0]);
        for (std::string& d : m_defaults)
            m_args.push_back(d.data());
        for (int i = 1; i < argc; ++i)
            m_args.push_back(argv[i]);
        m_count = static_cast<int>(m_args.size());
        m_args.push_back(nullptr);
    }
    int* count() { return &m_count; }
    char** data() { return m_args.data(); }

private:
    std::vector<std::string> m_defaults;
    std::vector<char*> m_args;
    int m_count = 0;
};

} // namespace bench
