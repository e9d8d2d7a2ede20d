// The command line's Logo: GBK text is split into words, procedures are pulled out and the rest parsed
// into a tree before anything runs, so a mistake in the text costs nothing; the tree then runs on a
// trial turtle whose strokes are recorded and handed to the real canvas only when the whole run worked.
#include "aquinepad/logo/logo_interpreter.h"

#include "common/gbk_codec.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace aquinepad::logo {

namespace {

// Errors arise deep inside nested REPEATs and procedure calls and always end the whole run, so they
// travel as an exception that run() alone catches and turns into its Result. Its text is UTF-8.
struct LogoError {
    std::string message;
};

[[noreturn]] void failWith(std::string message) { throw LogoError{std::move(message)}; }

std::string utf8(const std::string& gbk) { return aquine::codec::gbkToUtf8(gbk); }
std::string gbk(const char* utf8Text) { return aquine::codec::utf8ToGbk(utf8Text); }

constexpr int kMaxNesting = 200; // brackets, parentheses and inputs inside inputs, as typed

// Nesting costs stack: every REPEAT or IF inside a procedure inside a REPEAT adds frames, and the depth
// limit alone cannot bound them, since each call may sit under dozens of brackets. So a run also
// watches how much of the thread's stack (8 MB for the window's thread) it has used, and stops at 2 MB.
constexpr std::uintptr_t kStackBudget = 2 * 1024 * 1024;

std::uintptr_t stackHere() { return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)); }

// ---- words ----

struct Token {
    enum class Kind { Word, Number, Variable, Quoted, OpenList, CloseList, OpenParen, CloseParen, Operator };
    Kind kind;
    std::string text;  // Word and Variable: upper case; Quoted: as typed; Operator: its sign
    std::string typed; // as the user wrote it, for messages
    double number = 0;
};

bool isLeadByte(unsigned char c) { return c >= 0x81 && c != 0xFF; }

// Full-width forms as a Chinese keyboard types them (［ ］ ： ＋ ...) become their ASCII forms, and the
// full-width space a blank, so "ＦＤ　１０" means FD 10. Other double-byte characters stay whole, which
// also keeps a trail byte that happens to be '[' or 'a' from being read on its own.
std::string normalised(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isLeadByte(c) && i + 1 < text.size()) {
            const auto t = static_cast<unsigned char>(text[i + 1]);
            if (c == 0xA3 && t >= 0xA1 && t <= 0xFE)
                out += static_cast<char>(t - 0x80);
            else if (c == 0xA1 && t == 0xA1)
                out += ' ';
            else
                out.append(text.substr(i, 2));
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool isDelimiter(char c) { return std::string_view(" \t\r\n[]()+-*/=<>;:\"").find(c) != std::string_view::npos; }

// The run of name characters from i: up to the next delimiter, double-byte characters kept whole.
std::string readName(const std::string& text, std::size_t& i) {
    const std::size_t start = i;
    while (i < text.size() && !isDelimiter(text[i]))
        i += (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    return text.substr(start, i - start);
}

// Upper case for the ASCII letters only: a GBK trail byte is never touched since names are read whole.
std::string upper(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isLeadByte(c) && i + 1 < name.size()) {
            out.append(name, i, 2);
            ++i;
        } else {
            out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
        }
    }
    return out;
}

std::optional<double> numberFrom(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<Token> tokenize(std::string_view gbkText) {
    const std::string text = normalised(gbkText);
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == ';') { // a comment, to the end of the line
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '[' || c == ']' || c == '(' || c == ')') {
            const auto kind = c == '['   ? Token::Kind::OpenList
                              : c == ']' ? Token::Kind::CloseList
                              : c == '(' ? Token::Kind::OpenParen
                                         : Token::Kind::CloseParen;
            tokens.push_back({kind, std::string(1, c), std::string(1, c)});
            ++i;
        } else if (c == '<' || c == '>') {
            std::string op(1, c);
            if (i + 1 < text.size() && (text[i + 1] == '=' || (c == '<' && text[i + 1] == '>')))
                op += text[i + 1];
            tokens.push_back({Token::Kind::Operator, op, op});
            i += op.size();
        } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '=') {
            tokens.push_back({Token::Kind::Operator, std::string(1, c), std::string(1, c)});
            ++i;
        } else if (c == ':' || c == '"') {
            ++i;
            const std::string name = readName(text, i);
            if (c == ':' && name.empty())
                failWith("“:”后面要紧跟变量名，例如 :SIZE");
            if (c == ':')
                tokens.push_back({Token::Kind::Variable, upper(name), ":" + name});
            else
                tokens.push_back({Token::Kind::Quoted, name, "\"" + name});
        } else {
            const std::string name = readName(text, i);
            if (const auto number = numberFrom(name))
                tokens.push_back({Token::Kind::Number, name, name, *number});
            else
                tokens.push_back({Token::Kind::Word, upper(name), name});
        }
    }
    return tokens;
}

// ---- the tree ----

enum class Primitive {
    Forward,
    Back,
    Right,
    Left,
    PenUp,
    PenDown,
    Home,
    ClearScreen,
    PenErase,
    PenPaint,
    Circle,
    Repeat,
    If,
    IfElse,
    Make,
    Stop,
    Output,
};

struct PrimitiveInfo {
    Primitive primitive;
    int inputs;
};

// Every name of every built-in command, English and Chinese, in GBK upper case.
const std::map<std::string, PrimitiveInfo>& primitives() {
    static const std::map<std::string, PrimitiveInfo> table = [] {
        std::map<std::string, PrimitiveInfo> t;
        const auto add = [&t](std::initializer_list<const char*> names, Primitive p, int inputs) {
            for (const char* name : names)
                t.emplace(gbk(name), PrimitiveInfo{p, inputs});
        };
        add({"FD", "FORWARD", "前进"}, Primitive::Forward, 1);
        add({"BK", "BACK", "后退"}, Primitive::Back, 1);
        add({"RT", "RIGHT", "右转"}, Primitive::Right, 1);
        add({"LT", "LEFT", "左转"}, Primitive::Left, 1);
        add({"PU", "PENUP", "抬笔"}, Primitive::PenUp, 0);
        add({"PD", "PENDOWN", "落笔"}, Primitive::PenDown, 0);
        add({"HOME", "回家"}, Primitive::Home, 0);
        add({"CS", "CLEARSCREEN", "清屏"}, Primitive::ClearScreen, 0);
        add({"PE", "PENERASE", "橡皮"}, Primitive::PenErase, 0);
        add({"PPT", "PENPAINT", "取消橡皮"}, Primitive::PenPaint, 0);
        add({"CIRCLE", "画圆"}, Primitive::Circle, 1);
        add({"REPEAT", "重复"}, Primitive::Repeat, 2);
        add({"IF", "如果"}, Primitive::If, 2);
        add({"IFELSE"}, Primitive::IfElse, 3);
        add({"MAKE"}, Primitive::Make, 2);
        add({"STOP"}, Primitive::Stop, 0);
        add({"OUTPUT", "OP"}, Primitive::Output, 1);
        return t;
    }();
    return table;
}

struct Node {
    enum class Kind { Number, Word, Variable, List, Primitive, Procedure, Chain, Negate };
    Kind kind;
    double number = 0;
    std::string name;  // Variable and Procedure: upper case; Word: as typed
    std::string typed; // as written, for messages
    Primitive primitive = Primitive::Stop;
    std::vector<Node> children;         // inputs, a list's instructions, or a chain's operands
    std::vector<std::string> operators; // Chain: the sign before each operand after the first
};

} // namespace

struct Procedure {
    std::string typedName;
    std::vector<std::string> parameters; // upper case, without the colon
    std::vector<Node> body;
};

namespace {

using Arities = std::map<std::string, int>;

class Parser {
public:
    Parser(const std::vector<Token>& tokens, std::size_t begin, std::size_t end, const Arities& arities)
        : m_tokens(tokens), m_pos(begin), m_end(end), m_arities(arities) {}

    std::vector<Node> instructions() {
        std::vector<Node> out;
        while (m_pos < m_end) {
            if (peek().kind == Token::Kind::CloseList)
                failWith("多余的“]”");
            if (peek().kind == Token::Kind::CloseParen)
                failWith("多余的“)”");
            out.push_back(expression());
        }
        return out;
    }

private:
    const Token& peek() const { return m_tokens[m_pos]; }
    bool atOperator(std::initializer_list<const char*> signs) const {
        if (m_pos >= m_end || peek().kind != Token::Kind::Operator)
            return false;
        for (const char* sign : signs)
            if (peek().text == sign)
                return true;
        return false;
    }

    struct Nest {
        explicit Nest(int& depth) : m_depth(depth) {
            if (++m_depth > kMaxNesting)
                failWith("括号或输入套得太深，请把这一行拆开来写");
        }
        ~Nest() { --m_depth; }
        int& m_depth;
    };

    Node expression() { return chain({"=", "<", ">", "<=", ">=", "<>"}, &Parser::sum); }
    Node sum() { return chain({"+", "-"}, &Parser::product); }
    Node product() { return chain({"*", "/"}, &Parser::unary); }

    // Operators of one level are kept side by side, not nested, so a long sum never deepens the tree.
    Node chain(std::initializer_list<const char*> signs, Node (Parser::*operand)()) {
        Node first = (this->*operand)();
        if (!atOperator(signs))
            return first;
        Node node{Node::Kind::Chain};
        node.children.push_back(std::move(first));
        while (atOperator(signs)) {
            node.operators.push_back(peek().text);
            ++m_pos;
            node.children.push_back((this->*operand)());
        }
        return node;
    }

    Node unary() {
        if (atOperator({"-"})) {
            Nest nest(m_depth);
            ++m_pos;
            Node node{Node::Kind::Negate};
            node.children.push_back(unary());
            return node;
        }
        return primary();
    }

    Node primary() {
        Nest nest(m_depth);
        if (m_pos >= m_end)
            failWith("这一行没写完：还缺少输入");
        const Token& t = m_tokens[m_pos++];
        switch (t.kind) {
        case Token::Kind::Number: return Node{Node::Kind::Number, t.number, t.text, t.typed};
        case Token::Kind::Variable: return Node{Node::Kind::Variable, 0, t.text, t.typed};
        case Token::Kind::Quoted: return Node{Node::Kind::Word, 0, t.text, t.typed};
        case Token::Kind::OpenList: return list();
        case Token::Kind::OpenParen: {
            Node inner = expression();
            if (m_pos >= m_end || peek().kind != Token::Kind::CloseParen)
                failWith("缺少“)”");
            ++m_pos;
            return inner;
        }
        case Token::Kind::CloseList: failWith("多余的“]”");
        case Token::Kind::CloseParen: failWith("多余的“)”");
        case Token::Kind::Operator: failWith("“" + t.text + "”前面少了一个数");
        case Token::Kind::Word: break;
        }
        if (t.text == "TO" || t.text == "END")
            failWith(t.text == "TO" ? "TO 只能写在最外层，不能放在方括号里" : "多余的 END：前面没有 TO");
        Node call;
        int inputs = 0;
        if (const auto p = primitives().find(t.text); p != primitives().end()) {
            call = Node{Node::Kind::Primitive, 0, t.text, t.typed, p->second.primitive};
            inputs = p->second.inputs;
        } else if (const auto q = m_arities.find(t.text); q != m_arities.end()) {
            call = Node{Node::Kind::Procedure, 0, t.text, t.typed};
            inputs = q->second;
        } else {
            failWith("不认识的命令：" + utf8(t.typed));
        }
        for (int n = 0; n < inputs; ++n) {
            if (m_pos >= m_end || peek().kind == Token::Kind::CloseList || peek().kind == Token::Kind::CloseParen)
                failWith(utf8(t.typed) + " 缺少输入：它需要 " + std::to_string(inputs) + " 个");
            call.children.push_back(expression());
        }
        return call;
    }

    Node list() {
        Node node{Node::Kind::List};
        while (true) {
            if (m_pos >= m_end)
                failWith("缺少“]”");
            if (peek().kind == Token::Kind::CloseList)
                break;
            if (peek().kind == Token::Kind::CloseParen)
                failWith("多余的“)”");
            node.children.push_back(expression());
        }
        ++m_pos;
        return node;
    }

    const std::vector<Token>& m_tokens;
    std::size_t m_pos;
    std::size_t m_end;
    const Arities& m_arities;
    int m_depth = 0;
};

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

using Procedures = std::map<std::string, std::shared_ptr<const Procedure>>;

class Machine {
public:
    Machine(Turtle& turtle, const Procedures& procedures, std::map<std::string, LogoValue>& globals, LogoLimits limits)
        : m_turtle(turtle), m_procedures(procedures), m_globals(globals), m_limits(limits), m_stackBase(stackHere()) {}

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
    void step() {
        if (++m_steps > m_limits.maxSteps)
            failWith("已经执行了 " + std::to_string(m_limits.maxSteps) +
                     " 步还没有结束，已停止：是不是写了停不下来的循环或递归？");
    }

    Value evaluate(const Node& node) {
        switch (node.kind) {
        case Node::Kind::Number: return Value::of(node.number);
        case Node::Kind::Word: return {Value::Kind::Word, 0, node.name};
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

    Value variable(const Node& node) {
        for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
            if (const auto found = frame->find(node.name); found != frame->end())
                return found->second;
        if (const auto found = m_globals.find(node.name); found != m_globals.end())
            return fromStored(found->second);
        failWith("变量 " + utf8(node.typed) + " 还没有值：先用 MAKE 给它一个值");
    }

    Value chain(const Node& node) {
        Value left = input(node.children[0], node.operators[0]);
        for (std::size_t i = 1; i < node.children.size(); ++i) {
            const std::string& op = node.operators[i - 1];
            const Value right = input(node.children[i], op);
            if (op == "=" || op == "<>") {
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
        case Primitive::Forward: m_turtle.forward(num(0)); break;
        case Primitive::Back: m_turtle.back(num(0)); break;
        case Primitive::Right: m_turtle.right(num(0)); break;
        case Primitive::Left: m_turtle.left(num(0)); break;
        case Primitive::PenUp: m_turtle.penUp(); break;
        case Primitive::PenDown: m_turtle.penDown(); break;
        case Primitive::Home: m_turtle.home(); break;
        case Primitive::ClearScreen: m_turtle.clearScreen(); break;
        case Primitive::PenErase: m_turtle.setEraser(true); break;
        case Primitive::PenPaint: m_turtle.setEraser(false); break;
        case Primitive::Circle: m_turtle.drawCircle(num(0)); break;
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
            assign(upper(name.word), input(node.children[1], who));
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
    std::map<std::string, LogoValue>& m_globals;
    LogoLimits m_limits;
    std::vector<std::map<std::string, Value>> m_frames; // the running procedures' inputs, innermost last
    long m_steps = 0;
    std::uintptr_t m_stackBase;
};

// The trial run's strokes, kept to be drawn for real once the run has worked.
class RecordingCanvas : public TurtleCanvas {
public:
    void drawLine(TurtlePoint from, TurtlePoint to, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Line, from, to, ink});
    }
    void drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Ellipse, centre, {rx, ry}, ink});
    }
    void drawText(TurtlePoint at, const std::string& gbkText, Ink ink) override {
        m_strokes.push_back({Stroke::Kind::Text, at, {static_cast<double>(m_texts.size()), 0}, ink});
        m_texts.push_back(gbkText);
    }
    void clear() override {
        m_strokes.clear(); // nothing drawn before a clear can show
        m_texts.clear();
        m_clearFirst = true;
    }

    void replay(TurtleCanvas& canvas) const {
        if (m_clearFirst)
            canvas.clear();
        for (const Stroke& s : m_strokes) {
            switch (s.kind) {
            case Stroke::Kind::Line: canvas.drawLine(s.a, s.b, s.ink); break;
            case Stroke::Kind::Ellipse: canvas.drawEllipse(s.a, s.b.x, s.b.y, s.ink); break;
            case Stroke::Kind::Text: canvas.drawText(s.a, m_texts[static_cast<std::size_t>(s.b.x)], s.ink); break;
            }
        }
    }

private:
    struct Stroke {
        enum class Kind { Line, Ellipse, Text };
        Kind kind;
        TurtlePoint a;
        TurtlePoint b; // a line's end, an ellipse's radii, or a text's place in m_texts
        Ink ink;
    };
    // A run may leave up to a million strokes before it is known to work: they are kept small.
    std::vector<Stroke> m_strokes;
    std::vector<std::string> m_texts;
    bool m_clearFirst = false;
};

struct Definition {
    std::string name;
    std::shared_ptr<Procedure> procedure;
    std::size_t bodyBegin;
    std::size_t bodyEnd;
};

// Takes TO … END out of the words, leaving the instructions to run in order.
std::vector<Definition> definitions(const std::vector<Token>& tokens, std::vector<Token>& rest) {
    std::vector<Definition> found;
    int brackets = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Kind::OpenList)
            ++brackets;
        if (t.kind == Token::Kind::CloseList)
            --brackets;
        if (t.kind != Token::Kind::Word || t.text != "TO") {
            rest.push_back(t);
            continue;
        }
        if (brackets > 0)
            failWith("TO 只能写在最外层，不能放在方括号里");
        if (i + 1 >= tokens.size() || tokens[i + 1].kind != Token::Kind::Word)
            failWith("TO 后面要跟过程的名字，例如 TO SQUARE :SIZE");
        const Token& name = tokens[++i];
        if (primitives().count(name.text) || name.text == "END" || name.text == "TO")
            failWith(utf8(name.typed) + " 是 Logo 自带的命令，不能重新定义");
        auto proc = std::make_shared<Procedure>();
        proc->typedName = name.typed;
        while (i + 1 < tokens.size() && tokens[i + 1].kind == Token::Kind::Variable)
            proc->parameters.push_back(tokens[++i].text);
        const std::size_t begin = i + 1;
        std::size_t end = begin;
        while (end < tokens.size() && !(tokens[end].kind == Token::Kind::Word && tokens[end].text == "END")) {
            if (tokens[end].kind == Token::Kind::Word && tokens[end].text == "TO")
                failWith("过程 " + utf8(name.typed) + " 还没有 END，又遇到了 TO");
            ++end;
        }
        if (end >= tokens.size())
            failWith("过程 " + utf8(name.typed) + " 缺少 END");
        found.push_back({name.text, proc, begin, end});
        i = end;
    }
    return found;
}

} // namespace

aquine::Result<void> LogoInterpreter::run(std::string_view gbkProgram, Turtle& turtle) {
    try {
        const std::vector<Token> tokens = tokenize(gbkProgram);
        std::vector<Token> main;
        std::vector<Definition> defined = definitions(tokens, main);

        Arities arities;
        for (const auto& [name, proc] : m_procedures)
            arities[name] = static_cast<int>(proc->parameters.size());
        for (const Definition& d : defined)
            arities[d.name] = static_cast<int>(d.procedure->parameters.size());
        Procedures procedures = m_procedures;
        for (const Definition& d : defined) {
            d.procedure->body = Parser(tokens, d.bodyBegin, d.bodyEnd, arities).instructions();
            procedures[d.name] = d.procedure;
        }
        const std::vector<Node> program = Parser(main, 0, main.size(), arities).instructions();

        RecordingCanvas recording;
        Turtle trial(recording);
        trial.setState(turtle.state());
        std::map<std::string, LogoValue> globals = m_globals;
        Machine(trial, procedures, globals, m_limits).runInstructions(program);

        recording.replay(turtle.canvas());
        turtle.setState(trial.state());
        m_procedures = std::move(procedures);
        m_globals = std::move(globals);
        return {};
    } catch (const LogoError& error) {
        return aquine::fail(error.message);
    }
}

bool LogoInterpreter::knowsProcedure(const std::string& gbkName) const { return m_procedures.count(upper(gbkName)); }

} // namespace aquinepad::logo
