#pragma once
// The nodes that offer IFloat: Float, FloatReg, SwissKnife and Converter. The
// IFloat contract is written once in FloatNodeBase.

#include <limits>

#include "FormulaSupport.h"
#include "NodeBase.h"
#include "RegisterAccess.h"

namespace GenApi {

class FloatNodeBase : public NodeBase, public IFloat {
public:
    FloatNodeBase(NodeMap& map, const Description& d);

    Numeric NumericKind() const override { return Numeric::Float; }
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIFloat; }

    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;

    void SetValue(double value, bool verify = true) override;
    double GetValue(bool verify = false, bool ignoreCache = false) override;
    double GetMin() override { return ReadFloatProperty(VarProperty::Min); }
    double GetMax() override { return ReadFloatProperty(VarProperty::Max); }
    bool HasInc() override { return FloatHasInc(); }
    double GetInc() override { return ReadFloatProperty(VarProperty::Inc); }
    ERepresentation GetRepresentation() override { return m_eRepresentation; }
    gcstring GetUnit() const override { return m_sUnit; }
    EDisplayNotation GetDisplayNotation() const override { return m_eNotation; }
    int64_t GetDisplayPrecision() const override { return m_nPrecision; }

protected:
    double DoGetFloatProperty(VarProperty property) override;
    virtual double FloatMin() { return -std::numeric_limits<double>::max(); }
    virtual double FloatMax() { return std::numeric_limits<double>::max(); }
    virtual bool FloatHasInc() { return false; }
    virtual double FloatInc() { return 0; }
    void Verify(double value);

    ERepresentation m_eRepresentation = PureNumber;
    std::string m_sUnit;
    EDisplayNotation m_eNotation = fnAutomatic;
    int64_t m_nPrecision = 6;
};

class FloatNode : public FloatNodeBase {
public:
    FloatNode(NodeMap& map, const Description& d);

protected:
    double DoGetFloat(bool ignoreCache) override;
    void DoSetFloat(double value, bool verify) override;
    double FloatMin() override;
    double FloatMax() override;
    bool FloatHasInc() override { return m_Inc.IsSet(); }
    double FloatInc() override { return Evaluate(m_Inc, 0); }
    EAccessMode BaseAccessMode() const override;

private:
    ValueOrRef<double> m_Value, m_Min, m_Max, m_Inc;
    double m_dValue = 0;
};

class FloatRegNode : public FloatNodeBase {
public:
    FloatRegNode(NodeMap& map, const Description& d);
    ECachingMode GetCachingMode() const override { return m_Reg.Caching(); }
    void DropCachedValue() override { m_Reg.Drop(); }

protected:
    double DoGetFloat(bool ignoreCache) override;
    void DoSetFloat(double value, bool verify) override;
    EAccessMode BaseAccessMode() const override { return m_Reg.Access(); }

private:
    RegisterAccess m_Reg;
};

class SwissKnifeNode : public FloatNodeBase {
public:
    SwissKnifeNode(NodeMap& map, const Description& d);

protected:
    double DoGetFloat(bool ignoreCache) override;

private:
    FormulaSupport m_Vars;
    FormulaSupport::Parsed m_Formula;
};

class ConverterNode : public FloatNodeBase {
public:
    ConverterNode(NodeMap& map, const Description& d);

protected:
    double DoGetFloat(bool ignoreCache) override;
    void DoSetFloat(double value, bool verify) override;
    double FloatMin() override;
    double FloatMax() override;
    EAccessMode BaseAccessMode() const override;

private:
    NodeRef m_pValue;
    FormulaSupport m_From, m_To;
    FormulaSupport::Parsed m_FormulaFrom, m_FormulaTo;
};

}  // namespace GenApi
