// Evaluation of a parsed formula in integer or in float arithmetic.
#include <cmath>

#include "Formula.h"
#include "GenApi/GenICamException.h"

namespace GenApi {

namespace {

// Two's-complement arithmetic without undefined behaviour: results wrap.
int64_t Wrap(uint64_t v) {
    return static_cast<int64_t>(v);
}
int64_t AddInt(int64_t a, int64_t b) {
    return Wrap(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
int64_t SubInt(int64_t a, int64_t b) {
    return Wrap(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
int64_t MulInt(int64_t a, int64_t b) {
    return Wrap(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

[[noreturn]] void DivisionByZero(const std::string& text) {
    GENICAM_RAISE(RuntimeException, "Formula '%.200s': division by zero", text.c_str());
}

int64_t DivInt(int64_t a, int64_t b, const std::string& text) {
    if (b == 0) {
        DivisionByZero(text);
    }
    if (a == INT64_MIN && b == -1) {
        return INT64_MIN;
    }
    return a / b;
}

int64_t ModInt(int64_t a, int64_t b, const std::string& text) {
    if (b == 0) {
        DivisionByZero(text);
    }
    if (b == -1) {
        return 0;
    }
    return a % b;
}

int64_t ShiftLeft(int64_t a, int64_t n) {
    if (n < 0 || n > 63) {
        return 0;
    }
    return Wrap(static_cast<uint64_t>(a) << n);
}

int64_t ShiftRight(int64_t a, int64_t n) {
    // Arithmetic shift: a negative value keeps its sign.
    if (n < 0 || n > 63) {
        return a < 0 ? -1 : 0;
    }
    return a >> n;
}

int64_t PowerInt(int64_t base, int64_t exponent, const std::string& text) {
    if (exponent < 0) {
        if (base == 0) {
            DivisionByZero(text);
        }
        if (base == 1) {
            return 1;
        }
        if (base == -1) {
            return (exponent % 2 == 0) ? 1 : -1;
        }
        return 0;
    }
    int64_t result = 1;
    while (exponent > 0) {
        if (exponent & 1) {
            result = MulInt(result, base);
        }
        base = MulInt(base, base);
        exponent >>= 1;
    }
    return result;
}

double RoundTo(double x, double digits) {
    const double scale = std::pow(10.0, std::trunc(digits));
    if (!std::isfinite(scale) || scale == 0) {
        return std::round(x);
    }
    return std::round(x * scale) / scale;
}

}  // namespace

template <class T>
class FormulaEvaluator {
public:
    FormulaEvaluator(const Formula& f, const FormulaVariables& v) : m_F(f), m_V(v) {}

    T Eval(int index) const {
        const Formula::Node& n = m_F.m_Nodes[static_cast<size_t>(index)];
        using O = Formula::Op;
        switch (n.op) {
            case O::Number:
                if constexpr (kInt) {
                    return n.intValue;
                } else {
                    return n.floatValue;
                }
            case O::Variable:
                if constexpr (kInt) {
                    return m_V.IntVariable(static_cast<int>(n.intValue), n.property);
                } else {
                    return m_V.FloatVariable(static_cast<int>(n.intValue), n.property);
                }
            case O::Ternary:
                return Eval(n.a) != T(0) ? Eval(n.b) : Eval(n.c);
            case O::Or:
                return (Eval(n.a) != T(0) || Eval(n.b) != T(0)) ? T(1) : T(0);
            case O::And:
                return (Eval(n.a) != T(0) && Eval(n.b) != T(0)) ? T(1) : T(0);
            case O::Negate:
                if constexpr (kInt) {
                    return SubInt(0, Eval(n.a));
                } else {
                    return -Eval(n.a);
                }
            case O::Plus:
                return Eval(n.a);
            case O::LogicalNot:
                return Eval(n.a) == T(0) ? T(1) : T(0);
            case O::BitNot:
                return T(~AsInt(Eval(n.a)));
            default:
                break;
        }
        if (IsBinary(n.op)) {
            return Binary(n.op, Eval(n.a), Eval(n.b));
        }
        return Function(n.op, Eval(n.a), n.b >= 0 ? Eval(n.b) : T(0));
    }

private:
    static constexpr bool kInt = std::is_same_v<T, int64_t>;

    static int64_t AsInt(T v) {
        if constexpr (kInt) {
            return v;
        } else {
            return SaturatingToInt64(v);
        }
    }

    static bool IsBinary(Formula::Op op) {
        return op >= Formula::Op::Or && op <= Formula::Op::Power;
    }

    T Binary(Formula::Op op, T a, T b) const {
        using O = Formula::Op;
        const std::string& text = m_F.m_sText;
        switch (op) {
            case O::BitOr:
                return T(AsInt(a) | AsInt(b));
            case O::BitXor:
                return T(AsInt(a) ^ AsInt(b));
            case O::BitAnd:
                return T(AsInt(a) & AsInt(b));
            case O::Equal:
                return a == b ? T(1) : T(0);
            case O::NotEqual:
                return a != b ? T(1) : T(0);
            case O::Less:
                return a < b ? T(1) : T(0);
            case O::Greater:
                return a > b ? T(1) : T(0);
            case O::LessEqual:
                return a <= b ? T(1) : T(0);
            case O::GreaterEqual:
                return a >= b ? T(1) : T(0);
            case O::ShiftLeft:
                return T(ShiftLeft(AsInt(a), AsInt(b)));
            case O::ShiftRight:
                return T(ShiftRight(AsInt(a), AsInt(b)));
            default:
                break;
        }
        if constexpr (kInt) {
            switch (op) {
                case O::Add:
                    return AddInt(a, b);
                case O::Subtract:
                    return SubInt(a, b);
                case O::Multiply:
                    return MulInt(a, b);
                case O::Divide:
                    return DivInt(a, b, text);
                case O::Modulo:
                    return ModInt(a, b, text);
                case O::Power:
                    return PowerInt(a, b, text);
                default:
                    break;
            }
        } else {
            switch (op) {
                case O::Add:
                    return a + b;
                case O::Subtract:
                    return a - b;
                case O::Multiply:
                    return a * b;
                // Float division follows IEEE: 1/0 is infinite, 0/0 is NaN.
                case O::Divide:
                    return a / b;
                case O::Modulo:
                    return std::fmod(a, b);
                case O::Power:
                    return std::pow(a, b);
                default:
                    break;
            }
        }
        GENICAM_RAISE(LogicalErrorException, "Formula '%.200s': bad operator", text.c_str());
    }

    T Function(Formula::Op op, T a, T b) const {
        using O = Formula::Op;
        if constexpr (kInt) {
            // Integer formulas keep exact integers where the function allows it.
            switch (op) {
                case O::Sgn:
                    return a > 0 ? 1 : (a < 0 ? -1 : 0);
                case O::Neg:
                    return SubInt(0, a);
                case O::Abs:
                    return a < 0 ? SubInt(0, a) : a;
                case O::Trunc:
                case O::Floor:
                case O::Ceil:
                    return a;
                case O::Round:
                    return b >= 0 ? a : SaturatingToInt64(RoundTo(double(a), double(b)));
                default:
                    return SaturatingToInt64(FloatFunction(op, double(a), double(b)));
            }
        } else {
            return FloatFunction(op, a, b);
        }
    }

    double FloatFunction(Formula::Op op, double a, double b) const {
        using O = Formula::Op;
        switch (op) {
            case O::Sgn:
                return a > 0 ? 1.0 : (a < 0 ? -1.0 : 0.0);
            case O::Neg:
                return -a;
            case O::Atan:
                return std::atan(a);
            case O::Cos:
                return std::cos(a);
            case O::Sin:
                return std::sin(a);
            case O::Tan:
                return std::tan(a);
            case O::Abs:
                return std::fabs(a);
            case O::Exp:
                return std::exp(a);
            case O::Ln:
                return std::log(a);
            case O::Lg:
                return std::log10(a);
            case O::Sqrt:
                return std::sqrt(a);
            case O::Trunc:
                return std::trunc(a);
            case O::Floor:
                return std::floor(a);
            case O::Ceil:
                return std::ceil(a);
            case O::Round:
                return RoundTo(a, b);
            case O::Asin:
                return std::asin(a);
            case O::Acos:
                return std::acos(a);
            default:
                break;
        }
        GENICAM_RAISE(LogicalErrorException, "Formula '%.200s': bad function", m_F.m_sText.c_str());
    }

    const Formula& m_F;
    const FormulaVariables& m_V;
};

int64_t Formula::EvaluateInt(const FormulaVariables& variables) const {
    if (m_iRoot < 0) {
        GENICAM_RAISE(LogicalErrorException, "Formula evaluated before it was parsed");
    }
    return FormulaEvaluator<int64_t>(*this, variables).Eval(m_iRoot);
}

double Formula::EvaluateFloat(const FormulaVariables& variables) const {
    if (m_iRoot < 0) {
        GENICAM_RAISE(LogicalErrorException, "Formula evaluated before it was parsed");
    }
    return FormulaEvaluator<double>(*this, variables).Eval(m_iRoot);
}

}  // namespace GenApi
