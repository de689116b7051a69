// The formula engine on its own: each case is a formula "(expr) = expected"
// that evaluates to 1 when the engine is right, so the table checks itself.
#include <gtest/gtest.h>

#include "Formula.h"
#include "GenApi/GenICamException.h"

using namespace GenApi;

namespace {

// X is an integer node of value -5 on [-10, 10] step 1; Y a float of 2.5 on
// [0.5, 8] step 0.25.
class TwoVariables : public FormulaVariables {
public:
    int64_t IntVariable(int index, VarProperty p) const override {
        return static_cast<int64_t>(FloatVariable(index, p));
    }
    double FloatVariable(int index, VarProperty p) const override {
        static const double x[] = {-5, -10, 10, 1};
        static const double y[] = {2.5, 0.5, 8, 0.25};
        return (index == 0 ? x : y)[static_cast<int>(p)];
    }
};

int Lookup(std::string_view name) {
    return name == "X" ? 0 : name == "Y" ? 1 : -1;
}

Formula ParseSelfCheck(const char* c) {
    return Formula::Parse(c, Lookup);
}

}  // namespace

TEST(Formula, IntegerArithmeticTable) {
    const char* cases[] = {
        // precedence and associativity
        "(1 + 2 * 3) = 7",
        "((1 + 2) * 3) = 9",
        "(10 - 4 - 3) = 3",
        "(2 ** 3 ** 2) = 512",
        "(-2 ** 2) = 4",
        "(2 + 3 = 5) = 1",
        "(1 | 2 ^ 3 & 5) = 3",
        "(1 << 2 + 1) = 8",
        "(7 / 2) = 3",
        "(-7 / 2) = -3",
        "(-7 % 3) = -1",
        "(3 < 4 = 1) = 1",
        // ternary, nested on the right, and logic
        "(1 ? 2 : 3) = 2",
        "(0 ? 2 : 0 ? 3 : 4) = 4",
        "(X < 0 ? -X : X) = 5",
        "(2 && 3) = 1",
        "(0 || 0) = 0",
        "(!5) = 0",
        "(!0) = 1",
        "(3 <> 4) = 1",
        "(3 >= 3 && 2 <= 1) = 0",
        // short-circuit: the right side would divide by zero
        "(0 && 1 / 0) = 0",
        "(1 || 1 / 0) = 1",
        "(1 ? 5 : 1 / 0) = 5",
        // bit operations on negatives (two's complement, arithmetic shift)
        "(~0) = -1",
        "(-1 & 0xFF) = 255",
        "(-8 >> 1) = -4",
        "(-1 >> 63) = -1",
        "(-1 << 63) = 0x8000000000000000",
        "((-6) ^ 3) = -7",
        "(~X) = 4",
        "(1 << 64) = 0",
        "(1 << -1) = 0",
        // hex literals are bit patterns
        "(0xFFFFFFFFFFFFFFFF) = -1",
        "(0x10 + 0X0a) = 26",
        "(0xff & 0x0F) = 15",
        // overflow wraps instead of trapping
        "(0x7FFFFFFFFFFFFFFF + 1) = 0x8000000000000000",
        "(0x8000000000000000 / -1) = 0x8000000000000000",
        "(0x8000000000000000 % -1) = 0",
        "(2 ** 64) = 0",
        "(2 ** -1) = 0",
        "((-1) ** -3) = -1",
        // variables and their properties
        "(X) = -5",
        "(X.Value + X.Min + X.Max + X.Inc) = -4",
        "(Y) = 2",
        "(Y.Max) = 8",
        // functions in integer arithmetic
        "(ABS(X)) = 5",
        "(SGN(X)) = -1",
        "(NEG(3)) = -3",
        "(SQRT(17)) = 4",
        "(ROUND(1234, -2)) = 1200",
        "(TRUNC(7)) = 7",
        "(PI) = 3",
        "(2.9) = 2",
    };
    const TwoVariables vars;
    for (const char* c : cases) {
        EXPECT_EQ(ParseSelfCheck(c).EvaluateInt(vars), 1) << c;
    }
}

TEST(Formula, FloatArithmeticTable) {
    const char* cases[] = {
        "(7 / 2) = 3.5",
        "(2 ** 0.5 * 2 ** 0.5 > 1.999999) = 1",
        "(-2 ** 2) = 4",
        "(Y * 2) = 5",
        "(Y.Inc * 4) = 1",
        "(X / 2) = -2.5",
        "(5.5 % 2) = 1.5",
        "(1e3 + .5) = 1000.5",
        "(0x10 / 4) = 4",
        "(ROUND(2.567, 2)) = 2.57",
        "(ROUND(2.5)) = 3",
        "(ROUND(-2.5)) = -3",
        "(TRUNC(-2.7)) = -2",
        "(FLOOR(-2.5)) = -3",
        "(CEIL(2.1)) = 3",
        "(SIN(PI / 2)) = 1",
        "(COS(0)) = 1",
        "(ROUND(TAN(PI / 4), 6)) = 1",
        "(ROUND(ATAN(1) * 4, 6)) = ROUND(PI, 6)",
        "(ASIN(1) * 2 = PI) = 1",
        "(ACOS(1)) = 0",
        "(EXP(0)) = 1",
        "(LN(E)) = 1",
        "(LG(1000)) = 3",
        "(SQRT(6.25)) = 2.5",
        "(ABS(-1.5)) = 1.5",
        "(SGN(-0.1)) = -1",
        "(NEG(Y)) = -2.5",
        "(3 & 6.9) = 2",
        "(!0.0) = 1",
        // IEEE division: infinities and NaN, no trap
        "(1 / 0 > 1e308) = 1",
        "(-1 / 0 < -1e308) = 1",
        "(0 / 0 = 0 / 0) = 0",
    };
    const TwoVariables vars;
    for (const char* c : cases) {
        EXPECT_EQ(ParseSelfCheck(c).EvaluateFloat(vars), 1.0) << c;
    }
}

TEST(Formula, IntegerDivisionByZeroRaisesInsteadOfCrashing) {
    const TwoVariables vars;
    for (const char* c : {"1 / 0", "5 % 0", "X / (X + 5)", "0 ** -1"}) {
        EXPECT_THROW(ParseSelfCheck(c).EvaluateInt(vars), GenICam::RuntimeException) << c;
    }
}

TEST(Formula, RefusesMalformedTextWithItsPosition) {
    const char* bad[] = {"",
                         "1 +",
                         "(1",
                         "1 )",
                         "1 ? 2",
                         "Z + 1",
                         "X.Foo",
                         "SIN 1",
                         "SIN(1",
                         "1 $ 2",
                         "0x",
                         "99999999999999999999",
                         "ROUND(1, 2, 3)",
                         "2 3"};
    for (const char* c : bad) {
        EXPECT_THROW(Formula::Parse(c, Lookup), GenICam::RuntimeException) << c;
    }
    try {
        Formula::Parse("1 + * 2", Lookup);
        FAIL();
    } catch (const GenICam::RuntimeException& e) {
        EXPECT_NE(std::string(e.GetDescription()).find("position 4"), std::string::npos)
            << e.GetDescription();
    }
}

TEST(Formula, BoundsNestingSoDeviceFilesCannotExhaustTheStack) {
    const TwoVariables vars;
    std::string deep(Formula::kMaxDepth / 2, '(');
    deep += "1" + std::string(Formula::kMaxDepth / 2, ')');
    EXPECT_EQ(Formula::Parse(deep, Lookup).EvaluateInt(vars), 1);

    for (std::string text : {std::string(100000, '(') + "1" + std::string(100000, ')'),
                             std::string(100000, '-') + "1"}) {
        EXPECT_THROW(Formula::Parse(text, Lookup), GenICam::RuntimeException);
    }
    // A long flat chain is as deep as it is long once parsed.
    std::string chain = "1";
    for (int i = 0; i < 10000; ++i) {
        chain += "+1";
    }
    EXPECT_THROW(Formula::Parse(chain, Lookup), GenICam::RuntimeException);
}
