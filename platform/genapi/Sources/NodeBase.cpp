#include "NodeBase.h"

#include <charconv>
#include <cmath>

#include "NodeMap.h"

namespace GenApi {

namespace {
thread_local int t_iDepth = 0;
thread_local long t_nSteps = 0;
// Bounds the work of one outermost call: a file can build a graph whose
// every node reads the next one twice, which is finite but exponential.
constexpr long kMaxSteps = 2'000'000;

std::optional<EAccessMode> ParseAccess(const std::string& text) {
    if (text == "RO")
        return RO;
    if (text == "WO")
        return WO;
    if (text == "RW")
        return RW;
    return std::nullopt;
}
}  // namespace

NodeBase& NodeRef::Get(const NodeBase& owner) const {
    if (!node) {
        GENICAM_RAISE(PropertyException, "Node '%.100s' refers to the unknown node '%.100s'",
                      owner.Name().c_str(), name.c_str());
    }
    return *node;
}

namespace {
// Decimal or 0x hexadecimal, nothing else.
std::optional<int64_t> ParseIntegerText(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint64_t value = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) {
        return std::nullopt;
    }
    if (base == 10 && value > static_cast<uint64_t>(INT64_MAX) + (negative ? 1u : 0u)) {
        return std::nullopt;
    }
    // Hexadecimal values are bit patterns: 0xFFFFFFFFFFFFFFFF is -1.
    const uint64_t bits = negative ? (0 - value) : value;
    return static_cast<int64_t>(bits);
}

std::optional<double> ParseFloatText(std::string_view s) {
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
    }
    double value = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) {
        return std::nullopt;
    }
    return value;
}
}  // namespace

std::optional<int64_t> ParseInteger(const std::string& text) {
    if (auto i = ParseIntegerText(text)) {
        return i;
    }
    // Some files write integral values as "10.0"; accept what is integral.
    if (auto f = ParseFloatText(text); f && *f == std::trunc(*f) && std::fabs(*f) < 9.2e18) {
        return static_cast<int64_t>(*f);
    }
    return std::nullopt;
}

std::optional<double> ParseFloat(const std::string& text) {
    if (auto f = ParseFloatText(text)) {
        return f;
    }
    if (auto i = ParseIntegerText(text)) {  // hexadecimal
        return static_cast<double>(*i);
    }
    return std::nullopt;
}

EAccessMode CombineAccess(EAccessMode a, EAccessMode b) {
    if (a == NI || b == NI)
        return NI;
    if (a == NA || b == NA)
        return NA;
    if (a == RW)
        return b;
    if (b == RW)
        return a;
    return a == b ? a : NA;  // RO with WO leaves nothing
}

EvalGuard::EvalGuard(const NodeBase& node, Kind kind) : m_Node(node), m_eKind(kind) {
    if (node.m_nBusy & kind) {
        GENICAM_RAISE(LogicalErrorException, "Node '%.100s' depends on itself (cycle in the file)",
                      node.Name().c_str());
    }
    if (t_iDepth >= kMaxDepth) {
        GENICAM_RAISE(LogicalErrorException, "Node '%.100s': nodes nested too deeply",
                      node.Name().c_str());
    }
    if (t_iDepth == 0) {
        t_nSteps = 0;
    }
    if (++t_nSteps > kMaxSteps) {
        GENICAM_RAISE(LogicalErrorException, "Node '%.100s': evaluation too complex",
                      node.Name().c_str());
    }
    ++t_iDepth;
    node.m_nBusy |= kind;
}

EvalGuard::~EvalGuard() {
    --t_iDepth;
    m_Node.m_nBusy &= static_cast<uint8_t>(~m_eKind);
}

NodeBase::NodeBase(NodeMap& map, const Description& d)
    : m_Map(map), m_sName(d.name), m_sType(d.type) {
    m_eNameSpace = d.nameSpace == "Standard" ? Standard : Custom;
    m_sToolTip = Text(d, "ToolTip");
    m_sDescription = Text(d, "Description");
    m_sDisplayName = Text(d, "DisplayName");
    m_sEventID = Text(d, "EventID");
    m_bStreamable = Text(d, "Streamable") == "Yes";
    const std::string visibility = Text(d, "Visibility");
    if (visibility == "Expert") {
        m_eVisibility = Expert;
    } else if (visibility == "Guru") {
        m_eVisibility = Guru;
    } else if (visibility == "Invisible") {
        m_eVisibility = Invisible;
    }
    m_eImposed = ParseAccess(Text(d, "ImposedAccessMode"));
    ReadRefElement(d, "pIsImplemented", m_pIsImplemented);
    ReadRefElement(d, "pIsAvailable", m_pIsAvailable);
    ReadRefElement(d, "pIsLocked", m_pIsLocked);
    for (const Property* p : d.FindAll("pInvalidator")) {
        m_InvalidatorRefs.push_back(NodeRef{p->value});
    }
    for (NodeRef& r : m_InvalidatorRefs) {
        AddRef(r, false);
        m_Invalidators.push_back(&r);
    }
}

std::string NodeBase::Text(const Description& d, const char* name) {
    const Property* p = d.Find(name);
    return p ? p->value : std::string();
}

void NodeBase::AddRef(NodeRef& ref, bool dependency) {
    if (ref.IsSet()) {
        m_Edges.push_back(Edge{&ref, dependency});
    }
}

void NodeBase::ReadRefElement(const Description& d, const char* name, NodeRef& out) {
    if (const Property* p = d.Find(name)) {
        out.name = p->value;
        AddRef(out);
    }
}

void NodeBase::ReadIntElement(const Description& d, const char* name, ValueOrRef<int64_t>& out) {
    ReadRefElement(d, (std::string("p") + name).c_str(), out.ref);
    if (const Property* p = d.Find(name)) {
        out.literal = ParseInteger(p->value);
        if (!out.literal) {
            m_Map.AddLoadWarning(m_sName + ": " + name + " is not an integer: " + p->value);
        }
    }
}

void NodeBase::ReadFloatElement(const Description& d, const char* name, ValueOrRef<double>& out) {
    ReadRefElement(d, (std::string("p") + name).c_str(), out.ref);
    if (const Property* p = d.Find(name)) {
        out.literal = ParseFloat(p->value);
        if (!out.literal) {
            m_Map.AddLoadWarning(m_sName + ": " + name + " is not a number: " + p->value);
        }
    }
}

int64_t NodeBase::Evaluate(const ValueOrRef<int64_t>& v, int64_t fallback, bool ignoreCache) {
    if (v.ref.IsSet()) {
        return v.ref.Get(*this).ReadInt(ignoreCache);
    }
    return v.literal.value_or(fallback);
}

double NodeBase::Evaluate(const ValueOrRef<double>& v, double fallback, bool ignoreCache) {
    if (v.ref.IsSet()) {
        return v.ref.Get(*this).ReadFloat(ignoreCache);
    }
    return v.literal.value_or(fallback);
}

void NodeBase::Link() {
    for (Edge& e : m_Edges) {
        e.ref->node = m_Map.FindNode(e.ref->name);
    }
}

gcstring NodeBase::GetName(bool fullQualified) const {
    if (!fullQualified) {
        return m_sName;
    }
    return (m_eNameSpace == Standard ? "Std::" : "Cust::") + m_sName;
}

gcstring NodeBase::GetDisplayName() const {
    return m_sDisplayName.empty() ? m_sName : m_sDisplayName;
}

ECachingMode NodeBase::GetCachingMode() const {
    // A node built on others caches as the first node its value comes from.
    for (const Edge& e : m_Edges) {
        if (e.dependency && e.ref->node && e.ref->name != m_pIsImplemented.name &&
            e.ref->name != m_pIsAvailable.name && e.ref->name != m_pIsLocked.name) {
            EvalGuard guard(*this, EvalGuard::Property);
            return e.ref->node->GetCachingMode();
        }
    }
    return NoCache;
}

void NodeBase::GetChildren(NodeList_t& children) const {
    children.clear();
    for (const Edge& e : m_Edges) {
        if (e.dependency && e.ref->node) {
            children.push_back(e.ref->node);
        }
    }
}

void NodeBase::InvalidateNode() {
    m_Map.InvalidateFrom(*this);
}

EAccessMode NodeBase::GetAccessMode() const {
    EvalGuard guard(*this, EvalGuard::Access);
    if (m_pIsImplemented.IsSet() && m_pIsImplemented.Get(*this).ReadInt() == 0) {
        return NI;
    }
    if (m_pIsAvailable.IsSet() && m_pIsAvailable.Get(*this).ReadInt() == 0) {
        return NA;
    }
    EAccessMode mode = BaseAccessMode();
    if ((mode == RW || mode == WO) && m_pIsLocked.IsSet() &&
        m_pIsLocked.Get(*this).ReadInt() != 0) {
        mode = mode == RW ? RO : NA;
    }
    if (m_eImposed) {
        mode = CombineAccess(mode, *m_eImposed);
    }
    return mode;
}

void NodeBase::RequireReadable() const {
    const EAccessMode mode = GetAccessMode();
    if (mode != RO && mode != RW) {
        GENICAM_RAISE(AccessException, "Node '%.100s' is not readable (access mode %s)",
                      m_sName.c_str(), AccessModeName(mode));
    }
}

void NodeBase::RequireWritable() const {
    const EAccessMode mode = GetAccessMode();
    if (mode != WO && mode != RW) {
        GENICAM_RAISE(AccessException, "Node '%.100s' is not writable (access mode %s)",
                      m_sName.c_str(), AccessModeName(mode));
    }
}

void NodeBase::RaiseNoNumber() const {
    GENICAM_RAISE(LogicalErrorException, "Node '%.100s' (%.50s) has no numeric value",
                  m_sName.c_str(), m_sType.c_str());
}

int64_t NodeBase::ReadInt(bool ignoreCache) {
    EvalGuard guard(*this, EvalGuard::Value);
    switch (NumericKind()) {
        case Numeric::Integer:
            return DoGetInt(ignoreCache);
        case Numeric::Float:
            return SaturatingToInt64(DoGetFloat(ignoreCache));
        default:
            RaiseNoNumber();
    }
}

double NodeBase::ReadFloat(bool ignoreCache) {
    EvalGuard guard(*this, EvalGuard::Value);
    switch (NumericKind()) {
        case Numeric::Integer:
            return static_cast<double>(DoGetInt(ignoreCache));
        case Numeric::Float:
            return DoGetFloat(ignoreCache);
        default:
            RaiseNoNumber();
    }
}

void NodeBase::WriteInt(int64_t value, bool verify) {
    EvalGuard guard(*this, EvalGuard::Write);
    switch (NumericKind()) {
        case Numeric::Integer:
            return DoSetInt(value, verify);
        case Numeric::Float:
            return DoSetFloat(static_cast<double>(value), verify);
        default:
            RaiseNoNumber();
    }
}

void NodeBase::WriteFloat(double value, bool verify) {
    EvalGuard guard(*this, EvalGuard::Write);
    switch (NumericKind()) {
        // Integers below a float node take the nearest integer.
        case Numeric::Integer:
            return DoSetInt(SaturatingToInt64(std::nearbyint(value)), verify);
        case Numeric::Float:
            return DoSetFloat(value, verify);
        default:
            RaiseNoNumber();
    }
}

int64_t NodeBase::ReadIntProperty(VarProperty property) {
    if (property == VarProperty::Value) {
        return ReadInt();
    }
    EvalGuard guard(*this, EvalGuard::Property);
    if (NumericKind() == Numeric::Float) {
        return SaturatingToInt64(DoGetFloatProperty(property));
    }
    return DoGetIntProperty(property);
}

double NodeBase::ReadFloatProperty(VarProperty property) {
    if (property == VarProperty::Value) {
        return ReadFloat();
    }
    EvalGuard guard(*this, EvalGuard::Property);
    if (NumericKind() == Numeric::Integer) {
        return static_cast<double>(DoGetIntProperty(property));
    }
    return DoGetFloatProperty(property);
}

int64_t NodeBase::DoGetInt(bool) {
    RaiseNoNumber();
}
double NodeBase::DoGetFloat(bool) {
    RaiseNoNumber();
}
void NodeBase::DoSetInt(int64_t, bool) {
    RaiseNoNumber();
}
void NodeBase::DoSetFloat(double, bool) {
    RaiseNoNumber();
}
int64_t NodeBase::DoGetIntProperty(VarProperty) {
    RaiseNoNumber();
}
double NodeBase::DoGetFloatProperty(VarProperty) {
    RaiseNoNumber();
}

void NodeBase::NotifyChanged() {
    m_Map.OnNodeChanged(*this);
}

}  // namespace GenApi
