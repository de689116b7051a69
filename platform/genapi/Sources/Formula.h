#pragma once
// The formula language of SwissKnife, IntSwissKnife, Converter and
// IntConverter nodes: parsed once into a flat tree, then evaluated either in
// signed 64-bit integer arithmetic or in double arithmetic. Formulas come
// from device files, so the parser bounds the nesting depth and evaluation
// never performs an undefined operation (division by zero raises, overflow
// wraps).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace GenApi {

// Which property of a variable's node a formula reads (X, X.Value, X.Min...).
enum class VarProperty { Value, Min, Max, Inc };

// Supplies the values of a formula's variables by the index the name lookup
// gave them at parse time.
class FormulaVariables {
public:
    virtual ~FormulaVariables() = default;
    virtual int64_t IntVariable(int index, VarProperty property) const = 0;
    virtual double FloatVariable(int index, VarProperty property) const = 0;
};

class Formula {
public:
    // Deepest nesting a formula may have; deeper ones are refused at parse time.
    static constexpr int kMaxDepth = 128;

    // Maps a variable name to its index, or -1 when the name is unknown.
    using NameLookup = std::function<int(std::string_view)>;

    // Parses the text; raises RuntimeException on a syntax error or an
    // unknown name.
    static Formula Parse(std::string_view text, const NameLookup& lookup);

    int64_t EvaluateInt(const FormulaVariables& variables) const;
    double EvaluateFloat(const FormulaVariables& variables) const;

    const std::string& Text() const { return m_sText; }

    enum class Op : uint8_t {
        Number,
        Variable,
        Negate,
        Plus,
        BitNot,
        LogicalNot,
        Ternary,
        Or,
        And,
        BitOr,
        BitXor,
        BitAnd,
        Equal,
        NotEqual,
        Less,
        Greater,
        LessEqual,
        GreaterEqual,
        ShiftLeft,
        ShiftRight,
        Add,
        Subtract,
        Multiply,
        Divide,
        Modulo,
        Power,
        Sgn,
        Neg,
        Atan,
        Cos,
        Sin,
        Tan,
        Abs,
        Exp,
        Ln,
        Lg,
        Sqrt,
        Trunc,
        Floor,
        Ceil,
        Round,
        Asin,
        Acos
    };
    struct Node {
        Op op = Op::Number;
        int a = -1, b = -1, c = -1;  // operand node indices
        int64_t intValue = 0;        // literal or variable index
        double floatValue = 0;
        VarProperty property = VarProperty::Value;
    };

private:
    friend class FormulaParser;
    template <class T>
    friend class FormulaEvaluator;
    std::string m_sText;
    std::vector<Node> m_Nodes;
    int m_iRoot = -1;
};

// Converts a double to int64 without undefined behaviour: NaN gives 0 and
// values beyond the range saturate.
int64_t SaturatingToInt64(double value);

}  // namespace GenApi
