// Tokeniser and precedence-climbing parser of the formula language.
#include <cctype>
#include <charconv>
#include <cmath>

#include "Formula.h"
#include "GenApi/GenICamException.h"

namespace GenApi {

namespace {

enum class Tok { End, Number, Name, Op, LParen, RParen, Comma, Question, Colon };

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
    int64_t intValue = 0;
    double floatValue = 0;
    bool isFloat = false;
};

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

}  // namespace

class FormulaParser {
public:
    FormulaParser(std::string_view text, const Formula::NameLookup& lookup, Formula& out)
        : m_sText(text), m_Lookup(lookup), m_Out(out) {}

    void Run() {
        Next();
        if (m_Tok.kind == Tok::End) {
            Fail("empty formula");
        }
        int root = ParseTernary();
        if (m_Tok.kind != Tok::End) {
            Fail("unexpected text");
        }
        m_Out.m_iRoot = root;
    }

private:
    struct BinaryLevel {
        std::string_view ops[4];
        Formula::Op codes[4];
    };

    [[noreturn]] void Fail(const char* what) const {
        GENICAM_RAISE(RuntimeException, "Formula '%.200s': %s at position %zu",
                      std::string(m_sText).c_str(), what, m_nTokenStart);
    }

    void Next() {
        while (m_nPos < m_sText.size() &&
               std::isspace(static_cast<unsigned char>(m_sText[m_nPos]))) {
            ++m_nPos;
        }
        m_nTokenStart = m_nPos;
        m_Tok = Token{};
        if (m_nPos >= m_sText.size()) {
            return;
        }
        const char c = m_sText[m_nPos];
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && m_nPos + 1 < m_sText.size() &&
             std::isdigit(static_cast<unsigned char>(m_sText[m_nPos + 1])))) {
            LexNumber();
            return;
        }
        if (IsNameStart(c)) {
            size_t end = m_nPos;
            while (end < m_sText.size() && IsNameChar(m_sText[end])) {
                ++end;
            }
            // A property suffix (.Value, .Min, .Max, .Inc) belongs to the name.
            if (end < m_sText.size() && m_sText[end] == '.' && end + 1 < m_sText.size() &&
                IsNameStart(m_sText[end + 1])) {
                ++end;
                while (end < m_sText.size() && IsNameChar(m_sText[end])) {
                    ++end;
                }
            }
            m_Tok.kind = Tok::Name;
            m_Tok.text = m_sText.substr(m_nPos, end - m_nPos);
            m_nPos = end;
            return;
        }
        static constexpr std::string_view kOps[] = {
            "**", "<<", ">>", "<=", ">=", "<>", "==", "!=", "&&", "||", "+", "-",
            "*",  "/",  "%",  "&",  "|",  "^",  "~",  "!",  "=",  "<",  ">"};
        for (std::string_view op : kOps) {
            if (m_sText.substr(m_nPos, op.size()) == op) {
                m_Tok.kind = Tok::Op;
                m_Tok.text = op;
                m_nPos += op.size();
                return;
            }
        }
        m_Tok.text = m_sText.substr(m_nPos, 1);
        ++m_nPos;
        switch (c) {
            case '(':
                m_Tok.kind = Tok::LParen;
                return;
            case ')':
                m_Tok.kind = Tok::RParen;
                return;
            case ',':
                m_Tok.kind = Tok::Comma;
                return;
            case '?':
                m_Tok.kind = Tok::Question;
                return;
            case ':':
                m_Tok.kind = Tok::Colon;
                return;
            default:
                Fail("unknown character");
        }
    }

    void LexNumber() {
        const char* begin = m_sText.data() + m_nPos;
        const char* end = m_sText.data() + m_sText.size();
        m_Tok.kind = Tok::Number;
        if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
            // Hexadecimal literals are bit patterns: 0xFFFFFFFFFFFFFFFF is -1.
            uint64_t value = 0;
            auto [p, ec] = std::from_chars(begin + 2, end, value, 16);
            if (p == begin + 2 || ec != std::errc()) {
                Fail("bad hexadecimal literal");
            }
            m_Tok.intValue = static_cast<int64_t>(value);
            m_Tok.floatValue = static_cast<double>(value);
            m_nPos += static_cast<size_t>(p - begin);
            return;
        }
        const char* p = begin;
        while (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
            ++p;
        }
        const bool isFloat = p < end && (*p == '.' || *p == 'e' || *p == 'E');
        if (!isFloat) {
            uint64_t value = 0;
            auto [q, ec] = std::from_chars(begin, p, value, 10);
            if (ec != std::errc() || value > static_cast<uint64_t>(INT64_MAX)) {
                Fail("integer literal too large");
            }
            m_Tok.intValue = static_cast<int64_t>(value);
            m_Tok.floatValue = static_cast<double>(value);
            m_nPos += static_cast<size_t>(q - begin);
            return;
        }
        double value = 0;
        auto [q, ec] = std::from_chars(begin, end, value);
        if (ec != std::errc()) {
            Fail("bad number");
        }
        m_Tok.isFloat = true;
        m_Tok.floatValue = value;
        m_Tok.intValue = SaturatingToInt64(value);
        m_nPos += static_cast<size_t>(q - begin);
    }

    int Add(Formula::Node node, std::initializer_list<int> operands) {
        int depth = 1;
        for (int o : operands) {
            depth = std::max(depth, m_Depth[static_cast<size_t>(o)] + 1);
        }
        if (depth > Formula::kMaxDepth) {
            Fail("formula nested too deeply");
        }
        m_Out.m_Nodes.push_back(node);
        m_Depth.push_back(depth);
        return static_cast<int>(m_Out.m_Nodes.size() - 1);
    }

    struct DepthGuard {
        explicit DepthGuard(FormulaParser& p) : parser(p) {
            if (++parser.m_iNesting > 2 * Formula::kMaxDepth) {  // two frames per parenthesis
                parser.Fail("formula nested too deeply");
            }
        }
        ~DepthGuard() { --parser.m_iNesting; }
        FormulaParser& parser;
    };

    int ParseTernary() {
        DepthGuard guard(*this);
        int cond = ParseBinary(0);
        if (m_Tok.kind != Tok::Question) {
            return cond;
        }
        Next();
        int yes = ParseTernary();
        if (m_Tok.kind != Tok::Colon) {
            Fail("':' expected");
        }
        Next();
        int no = ParseTernary();
        Formula::Node n;
        n.op = Formula::Op::Ternary;
        n.a = cond;
        n.b = yes;
        n.c = no;
        return Add(n, {cond, yes, no});
    }

    int ParseBinary(size_t level) {
        using O = Formula::Op;
        static const BinaryLevel kLevels[] = {
            {{"||"}, {O::Or}},
            {{"&&"}, {O::And}},
            {{"|"}, {O::BitOr}},
            {{"^"}, {O::BitXor}},
            {{"&"}, {O::BitAnd}},
            {{"=", "<>", "==", "!="}, {O::Equal, O::NotEqual, O::Equal, O::NotEqual}},
            {{"<", ">", "<=", ">="}, {O::Less, O::Greater, O::LessEqual, O::GreaterEqual}},
            {{"<<", ">>"}, {O::ShiftLeft, O::ShiftRight}},
            {{"+", "-"}, {O::Add, O::Subtract}},
            {{"*", "/", "%"}, {O::Multiply, O::Divide, O::Modulo}},
            {{"**"}, {O::Power}},
        };
        constexpr size_t kPowerLevel = std::size(kLevels) - 1;
        if (level > kPowerLevel) {
            return ParseUnary();
        }
        // Nesting is counted in ParseTernary and ParseUnary; the levels of one
        // binary chain add a fixed number of frames per parenthesis.
        int left = ParseBinary(level + 1);
        for (;;) {
            if (m_Tok.kind != Tok::Op) {
                return left;
            }
            const BinaryLevel& l = kLevels[level];
            int match = -1;
            for (int i = 0; i < 4; ++i) {
                if (!l.ops[i].empty() && l.ops[i] == m_Tok.text) {
                    match = i;
                }
            }
            if (match < 0) {
                return left;
            }
            Next();
            // Power binds to the right: 2**3**2 is 2**9.
            int right = level == kPowerLevel ? ParseBinary(level) : ParseBinary(level + 1);
            Formula::Node n;
            n.op = l.codes[match];
            n.a = left;
            n.b = right;
            left = Add(n, {left, right});
            if (level == kPowerLevel) {
                return left;
            }
        }
    }

    int ParseUnary() {
        DepthGuard guard(*this);
        if (m_Tok.kind == Tok::Op) {
            using O = Formula::Op;
            O op;
            if (m_Tok.text == "-") {
                op = O::Negate;
            } else if (m_Tok.text == "+") {
                op = O::Plus;
            } else if (m_Tok.text == "~") {
                op = O::BitNot;
            } else if (m_Tok.text == "!") {
                op = O::LogicalNot;
            } else {
                Fail("operand expected");
            }
            Next();
            int operand = ParseUnary();
            Formula::Node n;
            n.op = op;
            n.a = operand;
            return Add(n, {operand});
        }
        return ParsePrimary();
    }

    int ParsePrimary() {
        if (m_Tok.kind == Tok::Number) {
            Formula::Node n;
            n.intValue = m_Tok.intValue;
            n.floatValue = m_Tok.floatValue;
            Next();
            return Add(n, {});
        }
        if (m_Tok.kind == Tok::LParen) {
            Next();
            int inner = ParseTernary();
            if (m_Tok.kind != Tok::RParen) {
                Fail("')' expected");
            }
            Next();
            return inner;
        }
        if (m_Tok.kind == Tok::Name) {
            std::string_view name = m_Tok.text;
            Next();
            return ParseName(name);
        }
        Fail("operand expected");
    }

    int ParseName(std::string_view name) {
        // Variables come first, so that a variable named like a constant wins.
        VarProperty property = VarProperty::Value;
        std::string_view base = name;
        if (size_t dot = name.find('.'); dot != std::string_view::npos) {
            base = name.substr(0, dot);
            std::string_view suffix = name.substr(dot + 1);
            if (suffix == "Value") {
                property = VarProperty::Value;
            } else if (suffix == "Min") {
                property = VarProperty::Min;
            } else if (suffix == "Max") {
                property = VarProperty::Max;
            } else if (suffix == "Inc") {
                property = VarProperty::Inc;
            } else {
                Fail("unknown property of a variable");
            }
        }
        if (int index = m_Lookup ? m_Lookup(base) : -1; index >= 0) {
            Formula::Node n;
            n.op = Formula::Op::Variable;
            n.intValue = index;
            n.property = property;
            return Add(n, {});
        }
        if (base.size() != name.size()) {
            Fail("unknown variable");
        }
        if (name == "PI" || name == "E") {
            Formula::Node n;
            n.floatValue = name == "PI" ? M_PI : M_E;
            n.intValue = SaturatingToInt64(n.floatValue);
            return Add(n, {});
        }
        using O = Formula::Op;
        static const struct {
            std::string_view name;
            O op;
        } kFunctions[] = {{"SGN", O::Sgn},     {"NEG", O::Neg},   {"ATAN", O::Atan},
                          {"COS", O::Cos},     {"SIN", O::Sin},   {"TAN", O::Tan},
                          {"ABS", O::Abs},     {"EXP", O::Exp},   {"LN", O::Ln},
                          {"LG", O::Lg},       {"SQRT", O::Sqrt}, {"TRUNC", O::Trunc},
                          {"FLOOR", O::Floor}, {"CEIL", O::Ceil}, {"ROUND", O::Round},
                          {"ASIN", O::Asin},   {"ACOS", O::Acos}};
        for (const auto& f : kFunctions) {
            if (f.name != name) {
                continue;
            }
            if (m_Tok.kind != Tok::LParen) {
                Fail("'(' expected after a function name");
            }
            Next();
            Formula::Node n;
            n.op = f.op;
            n.a = ParseTernary();
            if (f.op == O::Round && m_Tok.kind == Tok::Comma) {
                Next();
                n.b = ParseTernary();
            }
            if (m_Tok.kind != Tok::RParen) {
                Fail("')' expected");
            }
            Next();
            return n.b >= 0 ? Add(n, {n.a, n.b}) : Add(n, {n.a});
        }
        Fail("unknown name");
    }

    std::string_view m_sText;
    const Formula::NameLookup& m_Lookup;
    Formula& m_Out;
    size_t m_nPos = 0;
    size_t m_nTokenStart = 0;
    Token m_Tok;
    int m_iNesting = 0;
    std::vector<int> m_Depth;
};

Formula Formula::Parse(std::string_view text, const NameLookup& lookup) {
    Formula f;
    f.m_sText = std::string(text);
    FormulaParser parser(f.m_sText, lookup, f);
    parser.Run();
    return f;
}

int64_t SaturatingToInt64(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 9223372036854775807.0) {
        return INT64_MAX;
    }
    if (value <= -9223372036854775808.0) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(value);
}

}  // namespace GenApi
