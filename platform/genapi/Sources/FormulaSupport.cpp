#include "FormulaSupport.h"

namespace GenApi {

// Resolves a formula's variable indices: variables, then constants, then
// expressions, then the extra names. Expression values are computed once per
// evaluation, so expressions built on each other cost linear time.
template <class T>
class BoundVariables : public FormulaVariables {
public:
    BoundVariables(const FormulaSupport& s, T extra)
        : m_S(s), m_Extra(extra), m_Memo(s.m_Expressions.size()) {}

    int64_t IntVariable(int index, VarProperty property) const override {
        if constexpr (std::is_same_v<T, int64_t>) {
            return Get(index, property);
        } else {
            return SaturatingToInt64(Get(index, property));
        }
    }
    double FloatVariable(int index, VarProperty property) const override {
        return static_cast<double>(Get(index, property));
    }

private:
    T Get(int index, VarProperty property) const {
        size_t i = static_cast<size_t>(index);
        if (i < m_S.m_Variables.size()) {
            NodeBase& node = m_S.m_Variables[i].second.Get(m_S.m_Owner);
            if constexpr (std::is_same_v<T, int64_t>) {
                return node.ReadIntProperty(property);
            } else {
                return node.ReadFloatProperty(property);
            }
        }
        i -= m_S.m_Variables.size();
        if (i < m_S.m_Constants.size()) {
            if constexpr (std::is_same_v<T, int64_t>) {
                return SaturatingToInt64(m_S.m_Constants[i].second);
            } else {
                return m_S.m_Constants[i].second;
            }
        }
        i -= m_S.m_Constants.size();
        if (i < m_S.m_Expressions.size()) {
            if (!m_Memo[i]) {
                const Formula& f = FormulaSupport::Require(m_S.m_Expressions[i].second);
                if constexpr (std::is_same_v<T, int64_t>) {
                    m_Memo[i] = f.EvaluateInt(*this);
                } else {
                    m_Memo[i] = f.EvaluateFloat(*this);
                }
            }
            return *m_Memo[i];
        }
        return m_Extra;
    }

    const FormulaSupport& m_S;
    T m_Extra;
    mutable std::vector<std::optional<T>> m_Memo;
};

FormulaSupport::FormulaSupport(NodeBase& owner, const Description& d,
                               std::vector<std::string> extraNames)
    : m_Owner(owner), m_ExtraNames(std::move(extraNames)) {
    for (const Property& p : d.properties) {
        const std::string* name = p.Attribute("Name");
        if (!name) {
            continue;
        }
        if (p.name == "pVariable") {
            m_Variables.emplace_back(*name, NodeRef{p.value});
        } else if (p.name == "Constant") {
            m_Constants.emplace_back(*name, ParseFloat(p.value).value_or(0));
        }
    }
    for (auto& [name, ref] : m_Variables) {
        owner.AddRef(ref);
    }
    // An expression may use the expressions written before it, so they can
    // never form a cycle.
    for (const Property& p : d.properties) {
        const std::string* name = p.Attribute("Name");
        if (name && p.name == "Expression") {
            Parsed parsed = Parse(p.value);
            m_Expressions.emplace_back(*name, std::move(parsed));
        }
    }
}

int FormulaSupport::Lookup(std::string_view name, size_t expressionsVisible) const {
    int index = 0;
    for (const auto& v : m_Variables) {
        if (v.first == name) {
            return index;
        }
        ++index;
    }
    for (const auto& c : m_Constants) {
        if (c.first == name) {
            return index;
        }
        ++index;
    }
    for (size_t i = 0; i < m_Expressions.size(); ++i, ++index) {
        if (i < expressionsVisible && m_Expressions[i].first == name) {
            return index;
        }
    }
    for (const std::string& extra : m_ExtraNames) {
        if (extra == name) {
            return index;
        }
        ++index;
    }
    return -1;
}

FormulaSupport::Parsed FormulaSupport::Parse(const std::string& text) const {
    Parsed parsed;
    const size_t visible = m_Expressions.size();
    try {
        parsed.formula = Formula::Parse(
            text, [this, visible](std::string_view name) { return Lookup(name, visible); });
    } catch (const GenICam::GenericException& e) {
        parsed.error = std::string(m_Owner.Name()) + ": " + e.GetDescription();
    }
    return parsed;
}

const Formula& FormulaSupport::Require(const Parsed& f) {
    if (!f.formula) {
        GENICAM_RAISE(PropertyException, "%s",
                      f.error.empty() ? "formula missing" : f.error.c_str());
    }
    return *f.formula;
}

int64_t FormulaSupport::EvaluateInt(const Parsed& f, int64_t extra) const {
    return Require(f).EvaluateInt(BoundVariables<int64_t>(*this, extra));
}

double FormulaSupport::EvaluateFloat(const Parsed& f, double extra) const {
    return Require(f).EvaluateFloat(BoundVariables<double>(*this, extra));
}

}  // namespace GenApi
