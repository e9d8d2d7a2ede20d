// Reading the command line's Logo: GBK text into words, TO … END out of them, the rest into a tree.
#include "aquinepad/logo/logo_syntax.h"

#include "common/gbk_codec.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace aquinepad::logo {

void failWith(std::string message) { throw LogoError{std::move(message)}; }

std::string utf8(const std::string& gbk) { return aquine::codec::gbkToUtf8(gbk); }
std::string gbk(const char* utf8Text) { return aquine::codec::utf8ToGbk(utf8Text); }

namespace {

constexpr int kMaxNesting = 200; // brackets, parentheses and inputs inside inputs, as typed

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

} // namespace

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

namespace {

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

} // namespace

std::vector<Node> parseInstructions(const std::vector<Token>& tokens, std::size_t begin, std::size_t end,
                                    const Arities& arities) {
    return Parser(tokens, begin, end, arities).instructions();
}

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

} // namespace aquinepad::logo
