#include "BooleanCommandNodes.h"

#include <algorithm>
#include <cctype>

#include "NodeMap.h"

namespace GenApi {

// ---- Boolean ------------------------------------------------------------------

BooleanNode::BooleanNode(NodeMap& map, const Description& d) : NodeBase(map, d) {
    ReadIntElement(d, "Value", m_Value);
    if (const Property* p = d.Find("Value"); p && !m_Value.literal) {
        m_Value.literal = p->value == "true" ? 1 : p->value == "false" ? 0 : 0;
    }
    if (auto on = ParseInteger(Text(d, "OnValue"))) {
        m_nOnValue = *on;
    }
    if (auto off = ParseInteger(Text(d, "OffValue"))) {
        m_nOffValue = *off;
    }
    m_nValue = m_Value.literal.value_or(m_nOffValue);
}

bool BooleanNode::Decode(int64_t raw) const {
    // Only the OnValue reads as true: devices leave other bits or values in
    // such registers, and every other value is taken as off, as other
    // GenICam clients show it.
    return raw == m_nOnValue;
}

int64_t BooleanNode::DoGetInt(bool ignoreCache) {
    const int64_t raw =
        m_Value.ref.IsSet() ? m_Value.ref.Get(*this).ReadInt(ignoreCache) : m_nValue;
    return Decode(raw) ? 1 : 0;
}

void BooleanNode::DoSetInt(int64_t value, bool verify) {
    const int64_t raw = value != 0 ? m_nOnValue : m_nOffValue;
    if (m_Value.ref.IsSet()) {
        m_Value.ref.Get(*this).WriteInt(raw, verify);
        return;
    }
    m_nValue = raw;
    NotifyChanged();
}

int64_t BooleanNode::DoGetIntProperty(VarProperty property) {
    switch (property) {
        case VarProperty::Min:
            return 0;
        case VarProperty::Max:
            return 1;
        case VarProperty::Inc:
            return 1;
        default:
            return DoGetInt(false);
    }
}

EAccessMode BooleanNode::BaseAccessMode() const {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.node ? m_Value.ref.node->GetAccessMode() : NA;
    }
    return RW;
}

void BooleanNode::SetValue(bool value, bool verify) {
    RequireWritable();
    WriteInt(value ? 1 : 0, verify);
}

bool BooleanNode::GetValue(bool, bool ignoreCache) {
    RequireReadable();
    return ReadInt(ignoreCache) != 0;
}

gcstring BooleanNode::ToString(bool verify, bool ignoreCache) {
    return GetValue(verify, ignoreCache) ? "true" : "false";
}

void BooleanNode::FromString(const gcstring& value, bool verify) {
    std::string lower = value;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true" || lower == "1") {
        SetValue(true, verify);
    } else if (lower == "false" || lower == "0") {
        SetValue(false, verify);
    } else {
        GENICAM_RAISE(InvalidArgumentException,
                      "Boolean '%.100s': '%.100s' is neither true nor false", m_sName.c_str(),
                      value.c_str());
    }
}

// ---- Command ------------------------------------------------------------------

CommandNode::CommandNode(NodeMap& map, const Description& d) : NodeBase(map, d) {
    ReadIntElement(d, "Value", m_Value);
    ReadIntElement(d, "CommandValue", m_CommandValue);
}

EAccessMode CommandNode::BaseAccessMode() const {
    if (m_Value.ref.IsSet()) {
        return m_Value.ref.node ? m_Value.ref.node->GetAccessMode() : NA;
    }
    return NA;  // a command without a register to write does nothing
}

void CommandNode::Execute(bool verify) {
    RequireWritable();
    const int64_t command = Evaluate(m_CommandValue, 1);
    m_Value.ref.Get(*this).WriteInt(command, verify);
}

bool CommandNode::IsDone(bool) {
    NodeBase& target = m_Value.ref.Get(*this);
    const EAccessMode mode = target.GetAccessMode();
    if (mode != RO && mode != RW) {
        return true;  // a write-only register cannot tell; it is done at once
    }
    return target.ReadInt(true) != Evaluate(m_CommandValue, 1);
}

gcstring CommandNode::ToString(bool, bool) {
    GENICAM_RAISE(LogicalErrorException, "Command '%.100s' has no value to show", m_sName.c_str());
}

void CommandNode::FromString(const gcstring&, bool verify) {
    Execute(verify);
}

}  // namespace GenApi
