// A small Logo for the window's command line: the tutorial's commands, arithmetic, variables, REPEAT,
// IF/IFELSE and procedures with parameters and recursion, driving a Turtle. Qt-free; text is GBK.
#pragma once

#include "aquinepad/logo/turtle.h"
#include "common/result.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace aquinepad::logo {

struct LogoLimits {
    int maxDepth = 500;        // procedure calls inside one another
    long maxSteps = 1'000'000; // commands and procedure calls in one run
};

struct Procedure;

// A Logo value as variables keep it: a number, a word or a truth value.
struct LogoValue {
    enum class Kind { Number, Word, Boolean };
    Kind kind = Kind::Number;
    double number = 0;
    std::string word; // GBK, as typed after the quote
    bool truth = false;
};

class LogoInterpreter {
public:
    explicit LogoInterpreter(LogoLimits limits = {}) : m_limits(limits) {}

    // Runs one line (or several, newlines count as blanks) of GBK text. It either happens whole or not at
    // all: on an error the turtle, its drawing, the variables and the procedures stay as they were, and
    // the reason comes back in Chinese.
    aquine::Result<void> run(std::string_view gbkProgram, Turtle& turtle);

    // Names are kept in upper case: Logo does not tell FD from fd.
    bool knowsProcedure(const std::string& gbkName) const;

private:
    LogoLimits m_limits;
    std::map<std::string, std::shared_ptr<const Procedure>> m_procedures;
    std::map<std::string, LogoValue> m_globals;
};

} // namespace aquinepad::logo
