// Running the command line's Logo: the whole text is read into a tree first (logo_syntax), so a mistake
// in it costs nothing; the tree then runs on a trial turtle, charging every command, stroke and word
// by its size against the line's steps and watching the clock and the stop flag as it goes.
#include "aquinepad/logo/logo_interpreter.h"

#include "aquinepad/logo/logo_syntax.h"
#include "aquinepad/logo/recording_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace aquinepad::logo {

namespace {

// Nesting costs stack: every REPEAT or IF inside a procedure inside a REPEAT adds frames, and the depth
// limit alone cannot bound them, since each call may sit under dozens of brackets. So a run also
// watches how much of the thread's stack (8 MB for the window's thread) it has used, and stops at 2 MB.
constexpr std::uintptr_t kStackBudget = 2 * 1024 * 1024;

std::uintptr_t stackHere() { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

// ---- running ----

struct Value {
    enum class Kind { Nothing, Number, Word, Boolean, List };
    Kind kind = Kind::Nothing;
    double number = 0;
    std::string word;
    bool truth = false;
    const Node* list = nullptr;

    static Value of(double n) { return {Kind::Number, n}; }
    static Value of(bool b) { return {Kind::Boolean, 0, {}, b}; }
};

Value fromStored(const LogoValue& v) {
    switch (v.kind) {
    case LogoValue::Kind::Number: return Value::of(v.number);
    case LogoValue::Kind::Boolean: return Value::of(v.truth);
    case LogoValue::Kind::Word: return {Value::Kind::Word, 0, v.word};
    }
    return {};
}

std::string numberText(double n) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", n);
    return buffer;
}

// A value as a message shows it (UTF-8).
std::string shown(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Number: return numberText(v.number);
    case Value::Kind::Word: return utf8(v.word);
    case Value::Kind::Boolean: return v.truth ? "TRUE" : "FALSE";
    case Value::Kind::List: return "[...]";
    case Value::Kind::Nothing: break;
    }
    return "";
}

// How a procedure ends early: STOP, or OUTPUT with its value. Like errors, they cross any number of
// nested REPEATs and IFs on their way to the call that ran the procedure.
struct ProcedureEnd {
    Value output;
};

// The stop flag was raised: the line ends where it is, keeping what it did so far.
struct Stopped {};
// A quick try ran past the steps it was allowed (fewer than the limit): the line needs a proper run.
struct NeedsMoreSteps {};

using Procedures = LogoProcedures;

class Machine {
public:
    Machine(Turtle& turtle, const Procedures& procedures, LogoVariables& globals, const LogoLimits& limits,
            const std::atomic<bool>* stop, long maxSteps)
        : m_turtle(turtle), m_procedures(procedures), m_globals(globals), m_limits(limits), m_stop(stop),
          m_maxSteps(maxSteps), m_stackBase(stackHere()), m_started(now()) {}

    long steps() const { return static_cast<long>(std::ceil(m_steps)); }

    void runInstructions(const std::vector<Node>& instructions) {
        const std::uintptr_t here = stackHere();
        if ((here > m_stackBase ? here - m_stackBase : m_stackBase - here) > kStackBudget)
            failWith("方括号和过程一层套一层太深了，已停止：递归是不是少了用 IF … [STOP] 结束的条件？");
        for (const Node& node : instructions) {
            const Value v = evaluate(node);
            if (v.kind != Value::Kind::Nothing)
                failWith("不知道怎样处理这个值：" + shown(v) + "（前面是不是少了一个命令？）");
        }
    }

private:
    std::chrono::steady_clock::time_point now() const {
        return m_limits.clock ? m_limits.clock() : std::chrono::steady_clock::now();
    }

    // Every cost goes through here before (or, for a single stroke, right after) the work it pays for.
    // The clock is read every 256 steps: often enough to end within a blink of the limit.
    void charge(double steps) {
        m_steps += steps;
        if (m_steps > static_cast<double>(m_maxSteps) && m_maxSteps < m_limits.maxSteps)
            throw NeedsMoreSteps{};
        if (m_steps > static_cast<double>(m_maxSteps))
            failWith("已经执行了 " + std::to_string(m_limits.maxSteps) +
                     " 步还没有结束，已停止：是不是写了停不下来的循环或递归？");
        if (m_stop && m_stop->load(std::memory_order_relaxed))
            throw Stopped{};
        if (m_steps >= m_nextClockCheck) {
            m_nextClockCheck = m_steps + 256;
            if (now() - m_started > m_limits.maxTime)
                failWith("已经运行了 " +
                         std::to_string(std::chrono::duration_cast<std::chrono::seconds>(m_limits.maxTime).count()) +
                         " 秒还没有结束，已停止：是不是写了停不下来的循环或递归？");
        }
    }
    void step() { charge(1); }
    void chargeWord(const std::string& word) { charge(static_cast<double>(word.size()) / kCharactersPerStep); }
    void chargePixels(double pixels) { charge(pixels / kPixelsPerStep); }

    // A move draws one segment; what of it lands in the view is paid for once it is known.
    template <typename Move> void chargedMove(Move&& doMove) {
        const TurtlePoint from = m_turtle.state().position;
        doMove();
        if (m_turtle.state().penDown)
            chargePixels(visibleLength(from, m_turtle.state().position, m_limits.view));
    }

    // An outline's visible part is at most the view's own perimeter, however large the circle.
    void circle(double radius) {
        if (m_turtle.state().penDown && !visibleArcs(m_turtle.state().position, radius, radius, m_limits.view).empty())
            charge(std::min(ellipsePerimeter(radius, radius), 2 * (m_limits.view.width + m_limits.view.height)) /
                   kOutlinePixelsPerStep);
        m_turtle.drawCircle(radius);
    }

    Value evaluate(const Node& node) {
        switch (node.kind) {
        case Node::Kind::Number: return Value::of(node.number);
        case Node::Kind::Word: chargeWord(node.name); return {Value::Kind::Word, 0, node.name};
        case Node::Kind::List: return {Value::Kind::List, 0, {}, false, &node};
        case Node::Kind::Variable: return variable(node);
        case Node::Kind::Negate: return Value::of(-number(input(node.children[0], "-"), "-"));
        case Node::Kind::Chain: return chain(node);
        case Node::Kind::Primitive: step(); return primitive(node);
        case Node::Kind::Procedure: step(); return procedure(node);
        }
        return {};
    }

    // An input must be a value; a command that draws outputs nothing.
    Value input(const Node& node, const std::string& forWhom) {
        Value v = evaluate(node);
        if (v.kind == Value::Kind::Nothing)
            failWith(utf8(node.typed) + " 没有输出值，不能作为 " + forWhom + " 的输入");
        return v;
    }

    static double number(const Value& v, const std::string& forWhom) {
        if (v.kind == Value::Kind::Number)
            return v.number;
        if (v.kind == Value::Kind::Word)
            if (const auto n = numberFrom(v.word))
                return *n;
        failWith(forWhom + " 需要一个数，得到的却是：" + shown(v));
    }

    static const Node& list(const Value& v, const std::string& forWhom) {
        if (v.kind != Value::Kind::List)
            failWith(forWhom + " 需要一个方括号括起来的命令表，得到的却是：" + shown(v));
        return *v.list;
    }

    static bool truth(const Value& v, const std::string& forWhom) {
        if (v.kind == Value::Kind::Boolean)
            return v.truth;
        if (v.kind == Value::Kind::Number)
            return v.number != 0;
        if (v.kind == Value::Kind::Word) {
            const std::string w = upper(v.word);
            if (w == "TRUE" || w == "FALSE")
                return w == "TRUE";
        }
        failWith(forWhom + " 需要一个条件（比如 :N > 0），得到的却是：" + shown(v));
    }

    // Finding a variable compares its name, and reading a word copies it: both cost their length.
    Value variable(const Node& node) {
        chargeWord(node.name);
        for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
            if (const auto found = frame->find(node.name); found != frame->end()) {
                chargeWord(found->second.word);
                return found->second;
            }
        if (const auto found = m_globals.find(node.name); found != m_globals.end()) {
            chargeWord(found->second.word);
            return fromStored(found->second);
        }
        failWith("变量 " + utf8(node.typed) + " 还没有值：先用 MAKE 给它一个值");
    }

    Value chain(const Node& node) {
        Value left = input(node.children[0], node.operators[0]);
        for (std::size_t i = 1; i < node.children.size(); ++i) {
            const std::string& op = node.operators[i - 1];
            const Value right = input(node.children[i], op);
            if (op == "=" || op == "<>") {
                chargeWord(left.word);
                chargeWord(right.word);
                bool same;
                if (left.kind == Value::Kind::Word || right.kind == Value::Kind::Word) {
                    const auto a = numberFrom(left.word), b = numberFrom(right.word);
                    same = (left.kind == Value::Kind::Number && b)    ? left.number == *b
                           : (right.kind == Value::Kind::Number && a) ? right.number == *a
                                                                      : upper(shown(left)) == upper(shown(right));
                } else {
                    same = left.kind == right.kind && left.number == right.number && left.truth == right.truth;
                }
                left = Value::of(op == "=" ? same : !same);
                continue;
            }
            const double a = number(left, op), b = number(right, op);
            if (op == "+")
                left = Value::of(a + b);
            else if (op == "-")
                left = Value::of(a - b);
            else if (op == "*")
                left = Value::of(a * b);
            else if (op == "/") {
                if (b == 0)
                    failWith("不能除以 0");
                left = Value::of(a / b);
            } else if (op == "<")
                left = Value::of(a < b);
            else if (op == ">")
                left = Value::of(a > b);
            else if (op == "<=")
                left = Value::of(a <= b);
            else
                left = Value::of(a >= b);
        }
        return left;
    }

    Value primitive(const Node& node) {
        const std::string who = utf8(node.typed);
        const auto num = [&](std::size_t i) { return number(input(node.children[i], who), who); };
        switch (node.primitive) {
        case Primitive::Forward: {
            const double distance = num(0);
            chargedMove([&] { m_turtle.forward(distance); });
            break;
        }
        case Primitive::Back: {
            const double distance = num(0);
            chargedMove([&] { m_turtle.back(distance); });
            break;
        }
        case Primitive::Right: m_turtle.right(num(0)); break;
        case Primitive::Left: m_turtle.left(num(0)); break;
        case Primitive::PenUp: m_turtle.penUp(); break;
        case Primitive::PenDown: m_turtle.penDown(); break;
        case Primitive::Home: chargedMove([&] { m_turtle.home(); }); break;
        case Primitive::ClearScreen:
            charge(kStepsPerClear);
            m_turtle.clearScreen();
            break;
        case Primitive::PenErase: m_turtle.setEraser(true); break;
        case Primitive::PenPaint: m_turtle.setEraser(false); break;
        case Primitive::Circle: circle(num(0)); break;
        case Primitive::Repeat: {
            const double times = num(0);
            const Node& body = list(input(node.children[1], who), who);
            for (double n = 0; n < std::trunc(times); ++n) {
                step();
                runInstructions(body.children);
            }
            break;
        }
        case Primitive::If:
            if (truth(input(node.children[0], who), who))
                runInstructions(list(input(node.children[1], who), who).children);
            break;
        case Primitive::IfElse: {
            const bool yes = truth(input(node.children[0], who), who);
            const Value chosen = input(node.children[yes ? 1 : 2], who);
            runInstructions(list(chosen, who).children);
            break;
        }
        case Primitive::Make: {
            const Value name = input(node.children[0], who);
            if (name.kind != Value::Kind::Word || name.word.empty() || numberFrom(name.word))
                failWith("MAKE 的第一个输入是带引号的变量名，例如 MAKE \"SIZE 50");
            const Value value = input(node.children[1], who);
            chargeWord(value.word);
            assign(upper(name.word), value);
            break;
        }
        case Primitive::Stop:
            if (m_frames.empty())
                failWith("STOP 只能用在过程里");
            throw ProcedureEnd{};
        case Primitive::Output: {
            if (m_frames.empty())
                failWith(who + " 只能用在过程里");
            throw ProcedureEnd{input(node.children[0], who)};
        }
        }
        return {};
    }

    void assign(const std::string& name, const Value& v) {
        if (v.kind == Value::Kind::List)
            failWith("这里的变量只能存数或词，不能存命令表");
        for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
            if (const auto found = frame->find(name); found != frame->end()) {
                found->second = v;
                return;
            }
        LogoValue& stored = m_globals[name];
        stored.kind = v.kind == Value::Kind::Number    ? LogoValue::Kind::Number
                      : v.kind == Value::Kind::Boolean ? LogoValue::Kind::Boolean
                                                       : LogoValue::Kind::Word;
        stored.number = v.number;
        stored.truth = v.truth;
        stored.word = v.word;
    }

    Value procedure(const Node& node) {
        chargeWord(node.name); // found by it, and written out for each input's messages
        const auto found = m_procedures.find(node.name);
        if (found == m_procedures.end())
            failWith("不认识的命令：" + utf8(node.typed));
        const Procedure& proc = *found->second;
        if (proc.parameters.size() != node.children.size())
            failWith("过程 " + utf8(proc.typedName) + " 的输入个数已经改了，请重新定义用到它的过程");
        std::map<std::string, Value> frame;
        for (std::size_t i = 0; i < node.children.size(); ++i)
            frame[proc.parameters[i]] = input(node.children[i], utf8(node.typed));
        if (static_cast<int>(m_frames.size()) >= m_limits.maxDepth)
            failWith("过程一层套一层已经超过 " + std::to_string(m_limits.maxDepth) +
                     " 层，已停止：递归是不是少了用 IF … [STOP] 结束的条件？");
        m_frames.push_back(std::move(frame));
        Value output;
        try {
            runInstructions(proc.body);
        } catch (ProcedureEnd& end) {
            output = std::move(end.output);
        } catch (...) {
            m_frames.pop_back();
            throw;
        }
        m_frames.pop_back();
        return output;
    }

    Turtle& m_turtle;
    const Procedures& m_procedures;
    LogoVariables& m_globals;
    const LogoLimits& m_limits;
    const std::atomic<bool>* m_stop;
    long m_maxSteps;
    std::vector<std::map<std::string, Value>> m_frames; // the running procedures' inputs, innermost last
    double m_steps = 0;
    double m_nextClockCheck = 0;
    std::uintptr_t m_stackBase;
    std::chrono::steady_clock::time_point m_started;
};

} // namespace

LogoRun LogoInterpreter::execute(std::string_view gbkProgram, const TurtleState& start, TurtleCanvas& canvas,
                                 const std::atomic<bool>* stop) const {
    return execute(gbkProgram, start, canvas, stop, m_limits.maxSteps);
}

LogoRun LogoInterpreter::execute(std::string_view gbkProgram, const TurtleState& start, TurtleCanvas& canvas,
                                 const std::atomic<bool>* stop, long maxSteps) const {
    LogoRun out;
    Procedures procedures = m_procedures;
    LogoVariables globals = m_globals;
    Turtle trial(canvas);
    trial.setState(start);
    Machine machine(trial, procedures, globals, m_limits, stop, std::min(maxSteps, m_limits.maxSteps));
    try {
        const std::vector<Token> tokens = tokenize(gbkProgram);
        std::vector<Token> main;
        std::vector<Definition> defined = definitions(tokens, main);

        Arities arities;
        for (const auto& [name, proc] : m_procedures)
            arities[name] = static_cast<int>(proc->parameters.size());
        for (const Definition& d : defined)
            arities[d.name] = static_cast<int>(d.procedure->parameters.size());
        for (const Definition& d : defined) {
            d.procedure->body = parseInstructions(tokens, d.bodyBegin, d.bodyEnd, arities);
            procedures[d.name] = d.procedure;
        }
        const std::vector<Node> program = parseInstructions(main, 0, main.size(), arities);
        machine.runInstructions(program);
        out.end = LogoRun::End::Finished;
    } catch (const LogoError& error) {
        out.end = LogoRun::End::Failed;
        out.reason = error.message;
    } catch (const Stopped&) {
        out.end = LogoRun::End::Stopped;
    } catch (const NeedsMoreSteps&) {
        out.end = LogoRun::End::Failed;
        out.steps = -1;
        return out;
    }
    out.turtle = trial.state();
    out.steps = machine.steps();
    if (out.end != LogoRun::End::Failed) {
        out.procedures = std::move(procedures);
        out.variables = std::move(globals);
    }
    return out;
}

void LogoInterpreter::keep(LogoRun&& run) {
    if (run.end == LogoRun::End::Failed)
        return;
    m_procedures = std::move(run.procedures);
    m_globals = std::move(run.variables);
}

// The strokes wait in a recording until the whole line has worked, so a failure draws nothing.
std::optional<aquine::Result<void>> LogoInterpreter::runIfQuick(std::string_view gbkProgram, Turtle& turtle,
                                                                long steps) {
    RecordingCanvas recording;
    LogoRun result = execute(gbkProgram, turtle.state(), recording, nullptr, steps);
    if (result.steps < 0)
        return std::nullopt;
    if (result.end == LogoRun::End::Failed)
        return aquine::Result<void>(aquine::fail(result.reason));
    recording.replay(turtle.canvas());
    turtle.setState(result.turtle);
    keep(std::move(result));
    return aquine::Result<void>();
}

aquine::Result<void> LogoInterpreter::run(std::string_view gbkProgram, Turtle& turtle) {
    return *runIfQuick(gbkProgram, turtle, m_limits.maxSteps);
}

bool LogoInterpreter::knowsProcedure(const std::string& gbkName) const { return m_procedures.count(upper(gbkName)); }

} // namespace aquinepad::logo
