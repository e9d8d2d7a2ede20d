// The Logo of the command line as words and a tree: what the interpreter runs, read in full before
// anything runs. Internal to the interpreter (logo_interpreter.cpp); text is GBK, messages UTF-8.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aquinepad::logo {

// Errors arise deep inside nested REPEATs and procedure calls and always end the whole run, so they
// travel as an exception that the interpreter's run() alone catches and turns into its Result.
struct LogoError {
    std::string message; // UTF-8
};

[[noreturn]] void failWith(std::string message);

std::string utf8(const std::string& gbk);
std::string gbk(const char* utf8Text);
// Upper case for the ASCII letters only: a GBK trail byte is never touched since names are read whole.
std::string upper(const std::string& name);
std::optional<double> numberFrom(std::string_view text);

struct Token {
    enum class Kind { Word, Number, Variable, Quoted, OpenList, CloseList, OpenParen, CloseParen, Operator };
    Kind kind;
    std::string text;  // Word and Variable: upper case; Quoted: as typed; Operator: its sign
    std::string typed; // as the user wrote it, for messages
    double number = 0;
};

std::vector<Token> tokenize(std::string_view gbkText);

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
const std::map<std::string, PrimitiveInfo>& primitives();

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

struct Procedure {
    std::string typedName;
    std::vector<std::string> parameters; // upper case, without the colon
    std::vector<Node> body;
};

// Inputs each procedure takes, by upper-case name.
using Arities = std::map<std::string, int>;

// The instructions among tokens[begin, end).
std::vector<Node> parseInstructions(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
                                    const Arities& arities);

struct Definition {
    std::string name;
    std::shared_ptr<Procedure> procedure;
    std::size_t bodyBegin;
    std::size_t bodyEnd;
};

// Takes TO … END out of the words, leaving the instructions to run in order.
std::vector<Definition> definitions(const std::vector<Token>& tokens, std::vector<Token>& rest);

} // namespace aquinepad::logo
