#include "StringRegisterNodes.h"

#include <algorithm>
#include <cstring>

#include "NodeMap.h"

namespace GenApi {

// ---- String -------------------------------------------------------------------

StringNode::StringNode(NodeMap& map, const Description& d) : NodeBase(map, d) {
    ReadRefElement(d, "pValue", m_pValue);
    m_sValue = Text(d, "Value");
}

EAccessMode StringNode::BaseAccessMode() const {
    if (m_pValue.IsSet()) {
        return m_pValue.node ? m_pValue.node->GetAccessMode() : NA;
    }
    return RW;
}

static IString& StringTarget(const NodeBase& owner, const NodeRef& ref) {
    auto* target = dynamic_cast<IString*>(&ref.Get(owner));
    if (!target) {
        GENICAM_RAISE(PropertyException, "String '%.100s': pValue '%.100s' is not a string",
                      owner.Name().c_str(), ref.name.c_str());
    }
    return *target;
}

gcstring StringNode::GetValue(bool verify, bool ignoreCache) {
    RequireReadable();
    if (m_pValue.IsSet()) {
        EvalGuard guard(*this, EvalGuard::Value);
        return StringTarget(*this, m_pValue).GetValue(verify, ignoreCache);
    }
    return m_sValue;
}

void StringNode::SetValue(const gcstring& value, bool verify) {
    RequireWritable();
    if (m_pValue.IsSet()) {
        EvalGuard guard(*this, EvalGuard::Write);
        StringTarget(*this, m_pValue).SetValue(value, verify);
        return;
    }
    m_sValue = value;
    NotifyChanged();
}

int64_t StringNode::GetMaxLength() {
    if (m_pValue.IsSet()) {
        EvalGuard guard(*this, EvalGuard::Property);
        return StringTarget(*this, m_pValue).GetMaxLength();
    }
    return INT64_MAX;
}

gcstring StringNode::ToString(bool verify, bool ignoreCache) {
    return GetValue(verify, ignoreCache);
}
void StringNode::FromString(const gcstring& value, bool verify) {
    SetValue(value, verify);
}

// ---- StringReg ----------------------------------------------------------------

StringRegNode::StringRegNode(NodeMap& map, const Description& d)
    : NodeBase(map, d), m_Reg(*this, d) {}

gcstring StringRegNode::GetValue(bool, bool ignoreCache) {
    RequireReadable();
    EvalGuard guard(*this, EvalGuard::Value);
    std::vector<uint8_t> bytes(static_cast<size_t>(m_Reg.Length()));
    m_Reg.Read(bytes, ignoreCache);
    // The text ends at the first zero byte, or at the end of the register.
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    return std::string(bytes.begin(), end);
}

void StringRegNode::SetValue(const gcstring& value, bool) {
    RequireWritable();
    EvalGuard guard(*this, EvalGuard::Write);
    const int64_t length = m_Reg.Length();
    if (static_cast<int64_t>(value.size()) > length) {
        GENICAM_RAISE(OutOfRangeException,
                      "String '%.100s' of %zu characters does not fit %lld bytes", m_sName.c_str(),
                      value.size(), static_cast<long long>(length));
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(length), 0);
    std::memcpy(bytes.data(), value.data(), value.size());
    m_Reg.Write(bytes);
}

gcstring StringRegNode::ToString(bool verify, bool ignoreCache) {
    return GetValue(verify, ignoreCache);
}
void StringRegNode::FromString(const gcstring& value, bool verify) {
    SetValue(value, verify);
}

// ---- Register -----------------------------------------------------------------

RegisterNode::RegisterNode(NodeMap& map, const Description& d)
    : NodeBase(map, d), m_Reg(*this, d) {}

void RegisterNode::RequireLength(int64_t length) {
    if (length != m_Reg.Length()) {
        GENICAM_RAISE(InvalidArgumentException, "Register '%.100s' is %lld bytes long, not %lld",
                      m_sName.c_str(), static_cast<long long>(m_Reg.Length()),
                      static_cast<long long>(length));
    }
}

void RegisterNode::Get(uint8_t* buffer, int64_t length, bool, bool ignoreCache) {
    RequireReadable();
    EvalGuard guard(*this, EvalGuard::Value);
    if (!buffer) {
        GENICAM_RAISE(InvalidArgumentException, "Register '%.100s': null buffer", m_sName.c_str());
    }
    RequireLength(length);
    m_Reg.Read(std::span<uint8_t>(buffer, static_cast<size_t>(length)), ignoreCache);
}

void RegisterNode::Set(const uint8_t* buffer, int64_t length, bool) {
    RequireWritable();
    EvalGuard guard(*this, EvalGuard::Write);
    if (!buffer) {
        GENICAM_RAISE(InvalidArgumentException, "Register '%.100s': null buffer", m_sName.c_str());
    }
    RequireLength(length);
    m_Reg.Write(std::span<const uint8_t>(buffer, static_cast<size_t>(length)));
}

gcstring RegisterNode::ToString(bool verify, bool ignoreCache) {
    std::vector<uint8_t> bytes(static_cast<size_t>(m_Reg.Length()));
    Get(bytes.data(), static_cast<int64_t>(bytes.size()), verify, ignoreCache);
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

void RegisterNode::FromString(const gcstring& value, bool verify) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (value.size() % 2 != 0) {
        GENICAM_RAISE(InvalidArgumentException, "Register '%.100s': odd number of hex digits",
                      m_sName.c_str());
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < value.size(); i += 2) {
        const int hi = digit(value[i]), lo = digit(value[i + 1]);
        if (hi < 0 || lo < 0) {
            GENICAM_RAISE(InvalidArgumentException,
                          "Register '%.100s': '%.100s' is not hexadecimal", m_sName.c_str(),
                          value.c_str());
        }
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    Set(bytes.data(), static_cast<int64_t>(bytes.size()), verify);
}

}  // namespace GenApi
