#pragma once
// String, StringReg and Register: the nodes whose values are text or raw bytes.

#include "NodeBase.h"
#include "RegisterAccess.h"

namespace GenApi {

class StringNode : public NodeBase, public IString {
public:
    StringNode(NodeMap& map, const Description& d);
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIString; }
    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void SetValue(const gcstring& value, bool verify = true) override;
    gcstring GetValue(bool verify = false, bool ignoreCache = false) override;
    int64_t GetMaxLength() override;

protected:
    EAccessMode BaseAccessMode() const override;

private:
    NodeRef m_pValue;
    std::string m_sValue;
};

class StringRegNode : public NodeBase, public IString {
public:
    StringRegNode(NodeMap& map, const Description& d);
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIString; }
    ECachingMode GetCachingMode() const override { return m_Reg.Caching(); }
    void DropCachedValue() override { m_Reg.Drop(); }
    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void SetValue(const gcstring& value, bool verify = true) override;
    gcstring GetValue(bool verify = false, bool ignoreCache = false) override;
    int64_t GetMaxLength() override { return m_Reg.Length(); }

protected:
    EAccessMode BaseAccessMode() const override { return m_Reg.Access(); }

private:
    RegisterAccess m_Reg;
};

class RegisterNode : public NodeBase, public IRegister {
public:
    RegisterNode(NodeMap& map, const Description& d);
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIRegister; }
    ECachingMode GetCachingMode() const override { return m_Reg.Caching(); }
    void DropCachedValue() override { m_Reg.Drop(); }
    INode* GetNode() override { return this; }
    // The bytes as hexadecimal text, two digits per byte in address order.
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void Set(const uint8_t* buffer, int64_t length, bool verify = true) override;
    void Get(uint8_t* buffer, int64_t length, bool verify = false,
             bool ignoreCache = false) override;
    int64_t GetLength() override { return m_Reg.Length(); }
    int64_t GetAddress() override { return m_Reg.Address(); }

protected:
    EAccessMode BaseAccessMode() const override { return m_Reg.Access(); }

private:
    void RequireLength(int64_t length);
    RegisterAccess m_Reg;
};

}  // namespace GenApi
