#pragma once
// The variables of a formula node: pVariable elements (named nodes),
// Constant and Expression children, and the converter's FROM / TO value.
// Binds the formula engine to the node graph without the engine knowing
// nodes.

#include <optional>
#include <string>
#include <vector>

#include "Formula.h"
#include "NodeBase.h"

namespace GenApi {

class FormulaSupport {
public:
    // Reads the pVariable, Constant and Expression elements of d; extraName
    // (FROM or TO) is a variable whose value the caller gives at evaluation.
    FormulaSupport(NodeBase& owner, const Description& d, std::vector<std::string> extraNames = {});

    // A parsed formula, or the reason it could not be parsed.
    struct Parsed {
        std::optional<Formula> formula;
        std::string error;
    };
    Parsed Parse(const std::string& text) const;

    int64_t EvaluateInt(const Parsed& f, int64_t extra = 0) const;
    double EvaluateFloat(const Parsed& f, double extra = 0) const;

private:
    template <class T>
    friend class BoundVariables;
    int Lookup(std::string_view name, size_t expressionsVisible) const;
    static const Formula& Require(const Parsed& f);

    NodeBase& m_Owner;
    std::vector<std::pair<std::string, NodeRef>> m_Variables;
    std::vector<std::pair<std::string, double>> m_Constants;
    std::vector<std::pair<std::string, Parsed>> m_Expressions;
    std::vector<std::string> m_ExtraNames;
};

}  // namespace GenApi
