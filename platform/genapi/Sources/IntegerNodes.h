#pragma once
// The nodes that offer IInteger: Integer, IntReg / MaskedIntReg / StructEntry
// (and the legacy ConfRom), IntSwissKnife and IntConverter. The IInteger
// contract (access checks, verification, text form) is written once in
// IntegerNodeBase; each kind only says where its value comes from.

#include <memory>

#include "FormulaSupport.h"
#include "NodeBase.h"
#include "RegisterAccess.h"

namespace GenApi {

class IntegerNodeBase : public NodeBase, public IInteger {
public:
    IntegerNodeBase(NodeMap& map, const Description& d);

    Numeric NumericKind() const override { return Numeric::Integer; }
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIInteger; }

    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;

    void SetValue(int64_t value, bool verify = true) override;
    int64_t GetValue(bool verify = false, bool ignoreCache = false) override;
    int64_t GetMin() override { return ReadIntProperty(VarProperty::Min); }
    int64_t GetMax() override { return ReadIntProperty(VarProperty::Max); }
    int64_t GetInc() override { return ReadIntProperty(VarProperty::Inc); }
    ERepresentation GetRepresentation() override { return m_eRepresentation; }
    gcstring GetUnit() const override { return m_sUnit; }

protected:
    int64_t DoGetIntProperty(VarProperty property) override;
    virtual int64_t IntMin() { return INT64_MIN; }
    virtual int64_t IntMax() { return INT64_MAX; }
    virtual int64_t IntInc() { return 1; }
    // Raises OutOfRangeException unless value lies on [Min, Max] and the grid.
    void Verify(int64_t value);

    ERepresentation m_eRepresentation = PureNumber;
    std::string m_sUnit;
};

class IntegerNode : public IntegerNodeBase {
public:
    IntegerNode(NodeMap& map, const Description& d);

protected:
    int64_t DoGetInt(bool ignoreCache) override;
    void DoSetInt(int64_t value, bool verify) override;
    int64_t IntMin() override;
    int64_t IntMax() override;
    int64_t IntInc() override;
    EAccessMode BaseAccessMode() const override;

private:
    ValueOrRef<int64_t> m_Value, m_Min, m_Max, m_Inc;
    std::vector<NodeRef> m_Selected;
    int64_t m_nValue = 0;
};

// IntReg, MaskedIntReg, StructEntry and ConfRom.
class IntRegNode : public IntegerNodeBase {
public:
    IntRegNode(NodeMap& map, const Description& d, bool masked);
    ECachingMode GetCachingMode() const override { return m_Reg.Caching(); }
    void DropCachedValue() override { m_Reg.Drop(); }
    void ForceAccess(EAccessMode mode) { m_Reg.ForceAccess(mode); }

protected:
    int64_t DoGetInt(bool ignoreCache) override;
    void DoSetInt(int64_t value, bool verify) override;
    int64_t IntMin() override;
    int64_t IntMax() override;
    EAccessMode BaseAccessMode() const override { return m_Reg.Access(); }

private:
    struct Field {
        int shift;
        int width;
    };
    Field GetField();

    RegisterAccess m_Reg;
    bool m_bMasked;
    std::optional<int64_t> m_nLsb, m_nMsb;
};

class IntSwissKnifeNode : public IntegerNodeBase {
public:
    IntSwissKnifeNode(NodeMap& map, const Description& d);

protected:
    int64_t DoGetInt(bool ignoreCache) override;

private:
    FormulaSupport m_Vars;
    FormulaSupport::Parsed m_Formula;
};

class IntConverterNode : public IntegerNodeBase {
public:
    IntConverterNode(NodeMap& map, const Description& d);

protected:
    int64_t DoGetInt(bool ignoreCache) override;
    void DoSetInt(int64_t value, bool verify) override;
    int64_t IntMin() override;
    int64_t IntMax() override;
    EAccessMode BaseAccessMode() const override;

private:
    NodeRef m_pValue;
    FormulaSupport m_From, m_To;
    FormulaSupport::Parsed m_FormulaFrom, m_FormulaTo;
};

ERepresentation ParseRepresentation(const std::string& text, ERepresentation fallback);

}  // namespace GenApi
