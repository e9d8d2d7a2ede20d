// A small Logo for the window's command line: the tutorial's commands, arithmetic, variables, REPEAT,
// IF/IFELSE and procedures with parameters and recursion, driving a Turtle. Qt-free; text is GBK.
#pragma once

#include "aquinepad/logo/turtle.h"
#include "common/result.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace aquinepad::logo {

// A step is what a command costs; drawing and words are charged by their size in steps too, so the
// step limit bounds the real work of a line, whatever it is made of. The rates come from
// bench/aquinepad_logo_bench (BM_AMillionSteps) on the panel, where a command takes about 20 ns, a
// pixel of a line 10 ns, of a circle's outline 30 ns, a character of a word 2 ns: a million steps of
// drawing, the dearest kind, take about a fifth of a second of the processor, and of anything else less.
inline constexpr double kPixelsPerStep = 16;       // pixels of a line inside the view
inline constexpr double kOutlinePixelsPerStep = 5; // pixels of a circle's outline inside the view
inline constexpr double kCharactersPerStep = 16;   // characters of a word read, kept or compared
inline constexpr long kStepsPerClear = 256;        // wiping the whole view

struct LogoLimits {
    int maxDepth = 500;        // procedure calls inside one another
    long maxSteps = 1'000'000; // steps in one line, as counted above
    // However the steps add up, a line ends after this long (waiting for the window to draw included).
    std::chrono::milliseconds maxTime{std::chrono::seconds(30)};
    TurtleView view; // what the canvas shows: drawing outside it costs one step, not its size
    std::function<std::chrono::steady_clock::time_point()> clock; // steady_clock::now when empty
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

using LogoProcedures = std::map<std::string, std::shared_ptr<const Procedure>>;
using LogoVariables = std::map<std::string, LogoValue>;

// How a line ended, with everything it left behind: the turtle where it stopped, and the procedures
// and variables as they stood then (the interpreter's own until keep() takes them over).
struct LogoRun {
    enum class End { Finished, Stopped, Failed };
    End end = End::Finished;
    std::string reason; // Failed: why, in Chinese
    TurtleState turtle;
    long steps = 0;
    LogoProcedures procedures;
    LogoVariables variables;
};

class LogoInterpreter {
public:
    explicit LogoInterpreter(LogoLimits limits = {}) : m_limits(std::move(limits)) {}

    // Runs one line (or several, newlines count as blanks) of GBK text. It either happens whole or not at
    // all: on an error the turtle, its drawing, the variables and the procedures stay as they were, and
    // the reason comes back in Chinese.
    aquine::Result<void> run(std::string_view gbkProgram, Turtle& turtle);
    // The same, for a line that takes at most `steps`; nothing (and nothing changed) for a longer one,
    // which the window then runs on a worker. A failure within those steps is an answer like any other.
    std::optional<aquine::Result<void>> runIfQuick(std::string_view gbkProgram, Turtle& turtle, long steps);

    // Runs a line from the turtle state given, sending each stroke to the canvas as it is made, and
    // changes nothing of the interpreter, so it may run on a thread of its own while the interpreter is
    // otherwise left alone. It ends early, as Stopped, soon after `stop` becomes true. Nothing is undone
    // here: on a failure the caller takes back the strokes it was given.
    LogoRun execute(std::string_view gbkProgram, const TurtleState& start, TurtleCanvas& canvas,
                    const std::atomic<bool>* stop = nullptr) const;
    // Takes over the procedures and variables of a line that finished or was stopped.
    void keep(LogoRun&& run);

    // Names are kept in upper case: Logo does not tell FD from fd.
    bool knowsProcedure(const std::string& gbkName) const;
    const LogoLimits& limits() const { return m_limits; }

private:
    LogoRun execute(std::string_view gbkProgram, const TurtleState& start, TurtleCanvas& canvas,
                    const std::atomic<bool>* stop, long maxSteps) const;

    LogoLimits m_limits;
    LogoProcedures m_procedures;
    LogoVariables m_globals;
};

} // namespace aquinepad::logo
