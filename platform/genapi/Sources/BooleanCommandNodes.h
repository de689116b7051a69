#pragma once
// Boolean and Command: both write a fixed value into the node they wrap.

#include "NodeBase.h"

namespace GenApi {

class BooleanNode : public NodeBase, public IBoolean {
public:
    BooleanNode(NodeMap& map, const Description& d);
    Numeric NumericKind() const override { return Numeric::Integer; }
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIBoolean; }

    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void SetValue(bool value, bool verify = true) override;
    bool GetValue(bool verify = false, bool ignoreCache = false) override;

protected:
    // The numeric view of a Boolean is 1 or 0, so that it can serve as a
    // pIsAvailable or pIsLocked whatever its On and Off values are.
    int64_t DoGetInt(bool ignoreCache) override;
    void DoSetInt(int64_t value, bool verify) override;
    int64_t DoGetIntProperty(VarProperty property) override;
    EAccessMode BaseAccessMode() const override;

private:
    bool Decode(int64_t raw) const;
    ValueOrRef<int64_t> m_Value;
    int64_t m_nOnValue = 1, m_nOffValue = 0;
    int64_t m_nValue = 0;
};

class CommandNode : public NodeBase, public ICommand {
public:
    CommandNode(NodeMap& map, const Description& d);
    EInterfaceType GetPrincipalInterfaceType() const override { return intfICommand; }

    INode* GetNode() override { return this; }
    gcstring ToString(bool verify = false, bool ignoreCache = false) override;
    void FromString(const gcstring& value, bool verify = true) override;
    void Execute(bool verify = true) override;
    bool IsDone(bool verify = true) override;

protected:
    EAccessMode BaseAccessMode() const override;

private:
    ValueOrRef<int64_t> m_Value, m_CommandValue;
};

}  // namespace GenApi
