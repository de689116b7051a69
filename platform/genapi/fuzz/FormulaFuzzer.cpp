// Parses arbitrary text as a formula with two variables and evaluates it in
// both arithmetics. Exceptions are fine; undefined behaviour is not.
#include <string>

#include "Formula.h"
#include "GenApi/GenICamException.h"

using namespace GenApi;

namespace {
class Variables : public FormulaVariables {
public:
    int64_t IntVariable(int index, VarProperty p) const override {
        return index == 0 ? INT64_MIN + static_cast<int>(p) : -1;
    }
    double FloatVariable(int index, VarProperty) const override {
        return index == 0 ? -0.0 : 1e308;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Formula f = Formula::Parse(text, [](std::string_view name) {
            return name == "X" ? 0 : name == "FROM" ? 1 : -1;
        });
        const Variables vars;
        try {
            f.EvaluateInt(vars);
        } catch (const GenICam::GenericException&) {
        }
        f.EvaluateFloat(vars);
    } catch (const GenICam::GenericException&) {
    }
    return 0;
}
