#include "FloatNodes.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "IntegerNodes.h"
#include "NodeMap.h"

namespace GenApi {

// ---- FloatNodeBase: the IFloat contract ------------------------------------

FloatNodeBase::FloatNodeBase(NodeMap& map, const Description& d) : NodeBase(map, d) {
    m_eRepresentation = ParseRepresentation(Text(d, "Representation"), PureNumber);
    m_sUnit = Text(d, "Unit");
    const std::string notation = Text(d, "DisplayNotation");
    m_eNotation = notation == "Fixed"        ? fnFixed
                  : notation == "Scientific" ? fnScientific
                                             : fnAutomatic;
    if (auto precision = ParseInteger(Text(d, "DisplayPrecision"))) {
        m_nPrecision = *precision;
    }
}

double FloatNodeBase::DoGetFloatProperty(VarProperty property) {
    switch (property) {
        case VarProperty::Min:
            return FloatMin();
        case VarProperty::Max:
            return FloatMax();
        case VarProperty::Inc:
            return FloatHasInc() ? FloatInc() : 0;
        default:
            return DoGetFloat(false);
    }
}

void FloatNodeBase::Verify(double value) {
    const double min = GetMin();
    const double max = GetMax();
    if (std::isnan(value) || value < min || value > max) {
        GENICAM_RAISE(OutOfRangeException,
                      "Value %g of node '%.100s' is outside its range [%g, %g]", value,
                      m_sName.c_str(), min, max);
    }
    if (HasInc()) {
        const double inc = GetInc();
        if (inc > 0) {
            const double steps = (value - min) / inc;
            if (std::fabs(steps - std::round(steps)) > 1e-6 * std::max(1.0, std::fabs(steps))) {
                GENICAM_RAISE(OutOfRangeException,
                              "Value %g of node '%.100s' is not Min %g plus a multiple of Inc %g",
                              value, m_sName.c_str(), min, inc);
            }
        }
    }
}

void FloatNodeBase::SetValue(double value, bool verify) {
    RequireWritable();
    if (verify) {
        Verify(value);
    }
    WriteFloat(value, verify);
}

double FloatNodeBase::GetValue(bool verify, bool ignoreCache) {
    RequireReadable();
    const double value = ReadFloat(ignoreCache);
    if (verify) {
        Verify(value);
    }
    return value;
}

gcstring FloatNodeBase::ToString(bool verify, bool ignoreCache) {
    const double value = GetValue(verify, ignoreCache);
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value);
    *end = '\0';
    return text;
}

void FloatNodeBase::FromString(const gcstring& value, bool verify) {
    std::optional<double> parsed = ParseFloat(value);
    if (!parsed) {
        GENICAM_RAISE(InvalidArgumentException, "Node '%.100s': '%.100s' is not a number",
                      m_sName.c_str(), value.c_str());
    }
    SetValue(*parsed, verify);
}

// ---- Float ------------------------------------------------------------------

FloatNode::FloatNode(NodeMap& map, const Description& d) : FloatNodeBase(map, d) {
    ReadFloatElement(d, "Value", m_Value);
    ReadFloatElement(d, "Min", m_Min);
    ReadFloatElement(d, "Max", m_Max);
    ReadFloatElement(d, "Inc", m_Inc);
    m_dValue = m_Value.literal.value_or(0);
}

double FloatNode::DoGetFloat(bool ignoreCache) {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.Get(*this).ReadFloat(ignoreCache);
    }
    return m_dValue;
}

void FloatNode::DoSetFloat(double value, bool verify) {
    if (m_Value.ref.IsSet()) {
        m_Value.ref.Get(*this).WriteFloat(value, verify);
        return;
    }
    m_dValue = value;
    NotifyChanged();
}

double FloatNode::FloatMin() {
    if (m_Min.IsSet()) {
        return Evaluate(m_Min, -std::numeric_limits<double>::max());
    }
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadFloatProperty(VarProperty::Min)
                               : -std::numeric_limits<double>::max();
}

double FloatNode::FloatMax() {
    if (m_Max.IsSet()) {
        return Evaluate(m_Max, std::numeric_limits<double>::max());
    }
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadFloatProperty(VarProperty::Max)
                               : std::numeric_limits<double>::max();
}

EAccessMode FloatNode::BaseAccessMode() const {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.node ? m_Value.ref.node->GetAccessMode() : NA;
    }
    return RW;
}

// ---- FloatReg -----------------------------------------------------------------

FloatRegNode::FloatRegNode(NodeMap& map, const Description& d)
    : FloatNodeBase(map, d), m_Reg(*this, d) {}

double FloatRegNode::DoGetFloat(bool ignoreCache) {
    const int64_t length = m_Reg.Length();
    if (length != 4 && length != 8) {
        GENICAM_RAISE(PropertyException, "FloatReg '%.100s' has length %lld, not 4 or 8",
                      m_sName.c_str(), static_cast<long long>(length));
    }
    const uint64_t bits = m_Reg.ReadBits(ignoreCache);
    if (length == 4) {
        const uint32_t b32 = static_cast<uint32_t>(bits);
        float f;
        std::memcpy(&f, &b32, sizeof f);
        return f;
    }
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void FloatRegNode::DoSetFloat(double value, bool) {
    const int64_t length = m_Reg.Length();
    if (length == 4) {
        const float f = static_cast<float>(value);
        uint32_t b32;
        std::memcpy(&b32, &f, sizeof b32);
        m_Reg.WriteBits(b32);
    } else if (length == 8) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        m_Reg.WriteBits(bits);
    } else {
        GENICAM_RAISE(PropertyException, "FloatReg '%.100s' has length %lld, not 4 or 8",
                      m_sName.c_str(), static_cast<long long>(length));
    }
}

// ---- SwissKnife -----------------------------------------------------------------

SwissKnifeNode::SwissKnifeNode(NodeMap& map, const Description& d)
    : FloatNodeBase(map, d), m_Vars(*this, d), m_Formula(m_Vars.Parse(Text(d, "Formula"))) {}

double SwissKnifeNode::DoGetFloat(bool) {
    return m_Vars.EvaluateFloat(m_Formula);
}

// ---- Converter -------------------------------------------------------------------

ConverterNode::ConverterNode(NodeMap& map, const Description& d)
    : FloatNodeBase(map, d),
      m_From(*this, d, {"TO"}),
      m_To(*this, d, {"FROM"}),
      m_FormulaFrom(m_From.Parse(Text(d, "FormulaFrom"))),
      m_FormulaTo(m_To.Parse(Text(d, "FormulaTo"))) {
    ReadRefElement(d, "pValue", m_pValue);
}

double ConverterNode::DoGetFloat(bool ignoreCache) {
    return m_From.EvaluateFloat(m_FormulaFrom, m_pValue.Get(*this).ReadFloat(ignoreCache));
}

void ConverterNode::DoSetFloat(double value, bool verify) {
    // An integer below takes the nearest integer of the raw value
    // (NodeBase::WriteFloat), so 1000000 / 30 gives 33333, and 0.1 * 30 gives 3.
    m_pValue.Get(*this).WriteFloat(m_To.EvaluateFloat(m_FormulaTo, value), verify);
}

double ConverterNode::FloatMin() {
    NodeBase& raw = m_pValue.Get(*this);
    const double a = m_From.EvaluateFloat(m_FormulaFrom, raw.ReadFloatProperty(VarProperty::Min));
    const double b = m_From.EvaluateFloat(m_FormulaFrom, raw.ReadFloatProperty(VarProperty::Max));
    return std::fmin(a, b);  // a falling conversion swaps the ends
}

double ConverterNode::FloatMax() {
    NodeBase& raw = m_pValue.Get(*this);
    const double a = m_From.EvaluateFloat(m_FormulaFrom, raw.ReadFloatProperty(VarProperty::Min));
    const double b = m_From.EvaluateFloat(m_FormulaFrom, raw.ReadFloatProperty(VarProperty::Max));
    return std::fmax(a, b);
}

EAccessMode ConverterNode::BaseAccessMode() const {
    return m_pValue.node ? m_pValue.node->GetAccessMode() : NA;
}

}  // namespace GenApi
