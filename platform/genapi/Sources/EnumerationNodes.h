#pragma once
// Enumeration and its EnumEntry children.

#include "NodeBase.h"

namespace GenApi {

class EnumEntryNode : public NodeBase, public IEnumEntry {
public:
    // enumerationName names the parent; d is the entry element.
    EnumEntryNode(NodeMap& map, const Description& d);
    Numeric NumericKind() const override { return Numeric::Integer; }
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIEnumEntry; }
    INode* GetNode() override { return this; }
    gcstring ToString(bool = false, bool = false) override { return m_sSymbolic; }
    void FromString(const gcstring&, bool = true) override;
    int64_t GetValue() override { return m_nValue; }
    gcstring GetSymbolic() const override { return m_sSymbolic; }
    double GetNumericValue() override { return m_dNumericValue; }
    bool IsSelfClearing() override { return m_bSelfClearing; }

protected:
    int64_t DoGetInt(bool) override { return m_nValue; }

private:
    std::string m_sSymbolic;
    int64_t m_nValue = 0;
    double m_dNumericValue = 0;
    bool m_bSelfClearing = false;
};

class EnumerationNode : public NodeBase, public IEnumeration {
public:
    EnumerationNode(NodeMap& map, const Description& d, std::vector<EnumEntryNode*> entries);
    Numeric NumericKind() const override { return Numeric::Integer; }
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIEnumeration; }

    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void GetSymbolics(StringList_t& symbolics) override;
    void GetEntries(NodeList_t& entries) override;
    void SetIntValue(int64_t value, bool verify = true) override;
    int64_t GetIntValue(bool verify = false, bool ignoreCache = false) override;
    IEnumEntry* GetEntryByName(const gcstring& symbolic) override;
    IEnumEntry* GetEntry(int64_t value) override;
    IEnumEntry* GetCurrentEntry(bool verify = false, bool ignoreCache = false) override;

protected:
    int64_t DoGetInt(bool ignoreCache) override;
    void DoSetInt(int64_t value, bool verify) override;
    int64_t DoGetIntProperty(VarProperty property) override;
    EAccessMode BaseAccessMode() const override;

private:
    void VerifyEntry(int64_t value);
    ValueOrRef<int64_t> m_Value;
    std::vector<EnumEntryNode*> m_Entries;
    std::vector<NodeRef> m_Selected;
    int64_t m_nValue = 0;
};

}  // namespace GenApi
