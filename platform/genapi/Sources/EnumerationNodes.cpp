#include "EnumerationNodes.h"

#include "NodeMap.h"

namespace GenApi {

// ---- EnumEntry ------------------------------------------------------------------

EnumEntryNode::EnumEntryNode(NodeMap& map, const Description& d) : NodeBase(map, d) {
    // The symbolic name is the entry's own Name, unless a Symbolic child says
    // otherwise; the node name is EnumEntry_<Enumeration>_<Name>.
    m_sSymbolic = Text(d, "Symbolic");
    if (const Property* p = d.Find("Value")) {
        if (auto v = ParseInteger(p->value)) {
            m_nValue = *v;
        } else {
            map.AddLoadWarning(d.name + ": Value is not an integer: " + p->value);
        }
    }
    m_dNumericValue = ParseFloat(Text(d, "NumericValue")).value_or(static_cast<double>(m_nValue));
    m_bSelfClearing = Text(d, "IsSelfClearing") == "Yes";
}

void EnumEntryNode::FromString(const gcstring&, bool) {
    GENICAM_RAISE(AccessException, "EnumEntry '%.100s' cannot be written", m_sName.c_str());
}

// ---- Enumeration ----------------------------------------------------------------

EnumerationNode::EnumerationNode(NodeMap& map, const Description& d,
                                 std::vector<EnumEntryNode*> entries)
    : NodeBase(map, d), m_Entries(std::move(entries)) {
    ReadIntElement(d, "Value", m_Value);
    m_nValue = m_Value.literal.value_or(0);
    for (const Property* p : d.FindAll("pSelected")) {
        m_Selected.push_back(NodeRef{p->value});
    }
    for (NodeRef& r : m_Selected) {
        AddRef(r, false);
    }
}

EAccessMode EnumerationNode::BaseAccessMode() const {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.node ? m_Value.ref.node->GetAccessMode() : NA;
    }
    return RW;
}

int64_t EnumerationNode::DoGetInt(bool ignoreCache) {
    return m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadInt(ignoreCache) : m_nValue;
}

void EnumerationNode::DoSetInt(int64_t value, bool verify) {
    if (m_Value.ref.IsSet()) {
        m_Value.ref.Get(*this).WriteInt(value, verify);
        return;
    }
    m_nValue = value;
    NotifyChanged();
}

int64_t EnumerationNode::DoGetIntProperty(VarProperty property) {
    if (property == VarProperty::Value) {
        return DoGetInt(false);
    }
    if (property == VarProperty::Inc) {
        return 1;
    }
    int64_t result = property == VarProperty::Min ? INT64_MAX : INT64_MIN;
    for (EnumEntryNode* e : m_Entries) {
        result = property == VarProperty::Min ? std::min(result, e->GetValue())
                                              : std::max(result, e->GetValue());
    }
    return m_Entries.empty() ? 0 : result;
}

void EnumerationNode::GetSymbolics(StringList_t& symbolics) {
    symbolics.clear();
    for (EnumEntryNode* e : m_Entries) {
        if (e->GetAccessMode() != NI) {
            symbolics.push_back(e->GetSymbolic());
        }
    }
}

void EnumerationNode::GetEntries(NodeList_t& entries) {
    entries.clear();
    for (EnumEntryNode* e : m_Entries) {
        if (e->GetAccessMode() != NI) {
            entries.push_back(e);
        }
    }
}

IEnumEntry* EnumerationNode::GetEntryByName(const gcstring& symbolic) {
    for (EnumEntryNode* e : m_Entries) {
        if (e->GetSymbolic() == symbolic) {
            return e;
        }
    }
    return nullptr;
}

IEnumEntry* EnumerationNode::GetEntry(int64_t value) {
    for (EnumEntryNode* e : m_Entries) {
        if (e->GetValue() == value) {
            return e;
        }
    }
    return nullptr;
}

void EnumerationNode::VerifyEntry(int64_t value) {
    auto* entry = dynamic_cast<EnumEntryNode*>(GetEntry(value));
    if (!entry) {
        GENICAM_RAISE(OutOfRangeException, "Enumeration '%.100s' has no entry of value %lld",
                      m_sName.c_str(), static_cast<long long>(value));
    }
    const EAccessMode mode = entry->GetAccessMode();
    if (mode == NI || mode == NA) {
        GENICAM_RAISE(AccessException, "Entry '%.100s' of enumeration '%.100s' is %s",
                      entry->GetSymbolic().c_str(), m_sName.c_str(), AccessModeName(mode));
    }
}

void EnumerationNode::SetIntValue(int64_t value, bool verify) {
    RequireWritable();
    if (verify) {
        VerifyEntry(value);
    }
    WriteInt(value, verify);
}

int64_t EnumerationNode::GetIntValue(bool verify, bool ignoreCache) {
    RequireReadable();
    const int64_t value = ReadInt(ignoreCache);
    if (verify && !GetEntry(value)) {
        GENICAM_RAISE(OutOfRangeException, "Enumeration '%.100s' holds %lld, which has no entry",
                      m_sName.c_str(), static_cast<long long>(value));
    }
    return value;
}

IEnumEntry* EnumerationNode::GetCurrentEntry(bool verify, bool ignoreCache) {
    return GetEntry(GetIntValue(verify, ignoreCache));
}

gcstring EnumerationNode::ToString(bool verify, bool ignoreCache) {
    const int64_t value = GetIntValue(verify, ignoreCache);
    IEnumEntry* entry = GetEntry(value);
    if (!entry) {
        GENICAM_RAISE(RuntimeException, "Enumeration '%.100s' holds %lld, which has no entry",
                      m_sName.c_str(), static_cast<long long>(value));
    }
    return entry->GetSymbolic();
}

void EnumerationNode::FromString(const gcstring& value, bool verify) {
    IEnumEntry* entry = GetEntryByName(value);
    if (!entry) {
        GENICAM_RAISE(InvalidArgumentException, "Enumeration '%.100s' has no entry '%.100s'",
                      m_sName.c_str(), value.c_str());
    }
    SetIntValue(entry->GetValue(), verify);
}

}  // namespace GenApi
