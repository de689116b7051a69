#include "IntegerNodes.h"

#include "NodeMap.h"

namespace GenApi {

ERepresentation ParseRepresentation(const std::string& text, ERepresentation fallback) {
    static const struct {
        const char* name;
        ERepresentation value;
    } kNames[] = {{"Linear", Linear},        {"Logarithmic", Logarithmic},
                  {"Boolean", Boolean},      {"PureNumber", PureNumber},
                  {"HexNumber", HexNumber},  {"IPV4Address", IPV4Address},
                  {"MACAddress", MACAddress}};
    for (const auto& n : kNames) {
        if (text == n.name) {
            return n.value;
        }
    }
    return fallback;
}

// ---- IntegerNodeBase: the IInteger contract --------------------------------

IntegerNodeBase::IntegerNodeBase(NodeMap& map, const Description& d) : NodeBase(map, d) {
    m_eRepresentation = ParseRepresentation(Text(d, "Representation"), PureNumber);
    m_sUnit = Text(d, "Unit");
}

int64_t IntegerNodeBase::DoGetIntProperty(VarProperty property) {
    switch (property) {
        case VarProperty::Min:
            return IntMin();
        case VarProperty::Max:
            return IntMax();
        case VarProperty::Inc:
            return IntInc();
        default:
            return DoGetInt(false);
    }
}

void IntegerNodeBase::Verify(int64_t value) {
    const int64_t min = GetMin();
    const int64_t max = GetMax();
    if (value < min || value > max) {
        GENICAM_RAISE(OutOfRangeException,
                      "Value %lld of node '%.100s' is outside its range [%lld, %lld]",
                      static_cast<long long>(value), m_sName.c_str(), static_cast<long long>(min),
                      static_cast<long long>(max));
    }
    const int64_t inc = GetInc();
    if (inc > 1) {
        const uint64_t steps = static_cast<uint64_t>(value) - static_cast<uint64_t>(min);
        if (steps % static_cast<uint64_t>(inc) != 0) {
            GENICAM_RAISE(OutOfRangeException,
                          "Value %lld of node '%.100s' is not Min %lld plus a multiple of Inc %lld",
                          static_cast<long long>(value), m_sName.c_str(),
                          static_cast<long long>(min), static_cast<long long>(inc));
        }
    }
}

void IntegerNodeBase::SetValue(int64_t value, bool verify) {
    RequireWritable();
    if (verify) {
        Verify(value);
    }
    WriteInt(value, verify);
}

int64_t IntegerNodeBase::GetValue(bool verify, bool ignoreCache) {
    RequireReadable();
    const int64_t value = ReadInt(ignoreCache);
    if (verify) {
        Verify(value);
    }
    return value;
}

gcstring IntegerNodeBase::ToString(bool verify, bool ignoreCache) {
    const int64_t value = GetValue(verify, ignoreCache);
    if (m_eRepresentation == HexNumber) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
        return text;
    }
    return std::to_string(value);
}

void IntegerNodeBase::FromString(const gcstring& value, bool verify) {
    std::optional<int64_t> parsed = ParseInteger(value);
    if (!parsed) {
        GENICAM_RAISE(InvalidArgumentException, "Node '%.100s': '%.100s' is not an integer",
                      m_sName.c_str(), value.c_str());
    }
    SetValue(*parsed, verify);
}

// ---- Integer ----------------------------------------------------------------

IntegerNode::IntegerNode(NodeMap& map, const Description& d) : IntegerNodeBase(map, d) {
    ReadIntElement(d, "Value", m_Value);
    ReadIntElement(d, "Min", m_Min);
    ReadIntElement(d, "Max", m_Max);
    ReadIntElement(d, "Inc", m_Inc);
    m_nValue = m_Value.literal.value_or(0);
    for (const Property* p : d.FindAll("pSelected")) {
        m_Selected.push_back(NodeRef{p->value});
    }
    for (NodeRef& r : m_Selected) {
        AddRef(r, false);
    }
}

int64_t IntegerNode::DoGetInt(bool ignoreCache) {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.Get(*this).ReadInt(ignoreCache);
    }
    return m_nValue;
}

void IntegerNode::DoSetInt(int64_t value, bool verify) {
    if (m_Value.ref.IsSet()) {
        m_Value.ref.Get(*this).WriteInt(value, verify);
        return;
    }
    m_nValue = value;
    NotifyChanged();
}

// Without limits of its own an Integer has the limits of the node it wraps.
int64_t IntegerNode::IntMin() {
    if (m_Min.IsSet()) {
        return Evaluate(m_Min, INT64_MIN);
    }
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadIntProperty(VarProperty::Min)
                               : INT64_MIN;
}

int64_t IntegerNode::IntMax() {
    if (m_Max.IsSet()) {
        return Evaluate(m_Max, INT64_MAX);
    }
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadIntProperty(VarProperty::Max)
                               : INT64_MAX;
}

int64_t IntegerNode::IntInc() {
    if (m_Inc.IsSet()) {
        return Evaluate(m_Inc, 1);
    }
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadIntProperty(VarProperty::Inc) : 1;
}

EAccessMode IntegerNode::BaseAccessMode() const {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.node ? m_Value.ref.node->GetAccessMode() : NA;
    }
    return RW;
}

// ---- IntReg, MaskedIntReg, StructEntry -------------------------------------

IntRegNode::IntRegNode(NodeMap& map, const Description& d, bool masked)
    : IntegerNodeBase(map, d), m_Reg(*this, d), m_bMasked(masked) {
    if (const Property* p = d.Find("Bit")) {
        m_nLsb = m_nMsb = ParseInteger(p->value);
    }
    if (const Property* p = d.Find("LSB")) {
        m_nLsb = ParseInteger(p->value);
    }
    if (const Property* p = d.Find("MSB")) {
        m_nMsb = ParseInteger(p->value);
    }
}

IntRegNode::Field IntRegNode::GetField() {
    const int64_t registerBits = m_Reg.Length() * 8;
    if (!m_bMasked) {
        return Field{0, static_cast<int>(std::min<int64_t>(registerBits, 64))};
    }
    if (!m_nLsb || !m_nMsb) {
        GENICAM_RAISE(PropertyException, "Masked register '%.100s' has no valid Bit or LSB/MSB",
                      m_sName.c_str());
    }
    int64_t low = std::min(*m_nLsb, *m_nMsb);
    int64_t high = std::max(*m_nLsb, *m_nMsb);
    if (low < 0 || high >= registerBits || high - low >= 64) {
        GENICAM_RAISE(PropertyException,
                      "Masked register '%.100s': bits %lld..%lld outside the register",
                      m_sName.c_str(), static_cast<long long>(low), static_cast<long long>(high));
    }
    // Big-endian registers count bit 0 from the most significant end.
    const int64_t shift = m_Reg.Endianess() == BigEndian ? registerBits - 1 - high : low;
    return Field{static_cast<int>(shift), static_cast<int>(high - low + 1)};
}

namespace {
uint64_t Mask(int width) {
    return width >= 64 ? ~0ULL : ((1ULL << width) - 1);
}
}  // namespace

int64_t IntRegNode::DoGetInt(bool ignoreCache) {
    const uint64_t bits = m_Reg.ReadBits(ignoreCache);
    const Field f = GetField();
    uint64_t value = (bits >> f.shift) & Mask(f.width);
    if (m_Reg.Sign() == Signed && f.width < 64 && (value >> (f.width - 1)) & 1) {
        value |= ~Mask(f.width);  // sign extension
    }
    return static_cast<int64_t>(value);
}

void IntRegNode::DoSetInt(int64_t value, bool) {
    const Field f = GetField();
    const uint64_t mask = Mask(f.width) << f.shift;
    uint64_t bits = 0;
    if (m_bMasked) {
        // Read-modify-write keeps the other fields of the register; a
        // register that cannot be read starts from its cached bytes, or zero.
        const EAccessMode mode = m_Reg.Access();
        if (mode == RO || mode == RW) {
            bits = m_Reg.ReadBits(false);
        } else if (!m_Reg.CachedBits(bits)) {
            bits = 0;
        }
    }
    bits = (bits & ~mask) | ((static_cast<uint64_t>(value) << f.shift) & mask);
    m_Reg.WriteBits(bits);
}

int64_t IntRegNode::IntMin() {
    const Field f = GetField();
    if (m_Reg.Sign() == Unsigned) {
        return 0;
    }
    return f.width >= 64 ? INT64_MIN : -static_cast<int64_t>(1ULL << (f.width - 1));
}

int64_t IntRegNode::IntMax() {
    const Field f = GetField();
    if (m_Reg.Sign() == Signed) {
        return f.width >= 64 ? INT64_MAX : static_cast<int64_t>((1ULL << (f.width - 1)) - 1);
    }
    return f.width >= 63 ? INT64_MAX : static_cast<int64_t>(Mask(f.width));
}

// ---- IntSwissKnife ----------------------------------------------------------

IntSwissKnifeNode::IntSwissKnifeNode(NodeMap& map, const Description& d)
    : IntegerNodeBase(map, d), m_Vars(*this, d), m_Formula(m_Vars.Parse(Text(d, "Formula"))) {}

int64_t IntSwissKnifeNode::DoGetInt(bool) {
    return m_Vars.EvaluateInt(m_Formula);
}

// ---- IntConverter -----------------------------------------------------------

IntConverterNode::IntConverterNode(NodeMap& map, const Description& d)
    : IntegerNodeBase(map, d),
      m_From(*this, d, {"TO"}),
      m_To(*this, d, {"FROM"}),
      m_FormulaFrom(m_From.Parse(Text(d, "FormulaFrom"))),
      m_FormulaTo(m_To.Parse(Text(d, "FormulaTo"))) {
    ReadRefElement(d, "pValue", m_pValue);
}

int64_t IntConverterNode::DoGetInt(bool ignoreCache) {
    return m_From.EvaluateInt(m_FormulaFrom, m_pValue.Get(*this).ReadInt(ignoreCache));
}

void IntConverterNode::DoSetInt(int64_t value, bool verify) {
    m_pValue.Get(*this).WriteInt(m_To.EvaluateInt(m_FormulaTo, value), verify);
}

int64_t IntConverterNode::IntMin() {
    NodeBase& raw = m_pValue.Get(*this);
    const int64_t a = m_From.EvaluateInt(m_FormulaFrom, raw.ReadIntProperty(VarProperty::Min));
    const int64_t b = m_From.EvaluateInt(m_FormulaFrom, raw.ReadIntProperty(VarProperty::Max));
    return std::min(a, b);  // a falling conversion swaps the ends
}

int64_t IntConverterNode::IntMax() {
    NodeBase& raw = m_pValue.Get(*this);
    const int64_t a = m_From.EvaluateInt(m_FormulaFrom, raw.ReadIntProperty(VarProperty::Min));
    const int64_t b = m_From.EvaluateInt(m_FormulaFrom, raw.ReadIntProperty(VarProperty::Max));
    return std::max(a, b);
}

EAccessMode IntConverterNode::BaseAccessMode() const {
    return m_pValue.node ? m_pValue.node->GetAccessMode() : NA;
}

}  // namespace GenApi
