#pragma once
// What every node of the map shares: the common elements (names, texts,
// visibility, pIsImplemented / pIsAvailable / pIsLocked, ImposedAccessMode,
// pInvalidator), references to other nodes resolved after the whole file is
// read, and a numeric view that other nodes and formulas read through. Every
// evaluation is guarded so that a cycle in a device file raises instead of
// overflowing the stack.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Description.h"
#include "Formula.h"
#include "GenApi/GenICamException.h"
#include "GenApi/Interfaces.h"

namespace GenApi {

class NodeMap;
class NodeBase;

// A pX element: the name of another node, bound when the map is linked.
struct NodeRef {
    std::string name;
    NodeBase* node = nullptr;
    bool IsSet() const { return !name.empty(); }
    // The bound node; raises when the file names a node that does not exist.
    NodeBase& Get(const NodeBase& owner) const;
};

// An element that holds either a literal X or a reference pX.
template <class T>
struct ValueOrRef {
    std::optional<T> literal;
    NodeRef ref;
    bool IsSet() const { return literal.has_value() || ref.IsSet(); }
};

// Text helpers for literals in the file: decimal or 0x hexadecimal integers,
// C-locale floats.
std::optional<int64_t> ParseInteger(const std::string& text);
std::optional<double> ParseFloat(const std::string& text);

class NodeBase : public virtual INode {
public:
    enum class Numeric { None, Integer, Float };

    NodeBase(NodeMap& map, const Description& description);
    ~NodeBase() override = default;

    // INode
    gcstring GetName(bool fullQualified = false) const override;
    ENameSpace GetNameSpace() const override { return m_eNameSpace; }
    EVisibility GetVisibility() const override { return m_eVisibility; }
    ECachingMode GetCachingMode() const override;
    gcstring GetToolTip() const override { return m_sToolTip; }
    gcstring GetDescription() const override { return m_sDescription; }
    gcstring GetDisplayName() const override;
    gcstring GetEventID() const override { return m_sEventID; }
    bool IsStreamable() const override { return m_bStreamable; }
    void GetChildren(NodeList_t& children) const override;
    void InvalidateNode() override;
    EAccessMode GetAccessMode() const final;

    // The numeric view used by other nodes, formulas and pIsX elements.
    virtual Numeric NumericKind() const { return Numeric::None; }
    int64_t ReadInt(bool ignoreCache = false);
    double ReadFloat(bool ignoreCache = false);
    void WriteInt(int64_t value, bool verify);
    void WriteFloat(double value, bool verify);
    int64_t ReadIntProperty(VarProperty property);
    double ReadFloatProperty(VarProperty property);

    // Binding after the whole file was read.
    void Link();
    struct Edge {
        NodeRef* ref;
        bool dependency;  // the node's value is built on the target
    };
    const std::vector<Edge>& Edges() const { return m_Edges; }
    const std::vector<NodeRef*>& Invalidators() const { return m_Invalidators; }
    // Drops what this node keeps of device values (registers override).
    virtual void DropCachedValue() {}
    const std::string& Name() const { return m_sName; }
    NodeMap& Map() const { return m_Map; }

    // Registers a reference element so that Link binds it; the reference must
    // live as long as the node.
    void AddRef(NodeRef& ref, bool dependency = true);
    int64_t Evaluate(const ValueOrRef<int64_t>& v, int64_t fallback, bool ignoreCache = false);
    double Evaluate(const ValueOrRef<double>& v, double fallback, bool ignoreCache = false);
    // Reports the change of this node's value to the map (invalidators).
    void NotifyChanged();
    // Raises AccessException unless the node may be read / written now.
    void RequireReadable() const;
    void RequireWritable() const;

protected:
    virtual int64_t DoGetInt(bool ignoreCache);
    virtual double DoGetFloat(bool ignoreCache);
    virtual void DoSetInt(int64_t value, bool verify);
    virtual void DoSetFloat(double value, bool verify);
    virtual int64_t DoGetIntProperty(VarProperty property);
    virtual double DoGetFloatProperty(VarProperty property);
    // The access mode before pIsImplemented, pIsAvailable, pIsLocked and
    // ImposedAccessMode are applied.
    virtual EAccessMode BaseAccessMode() const { return RO; }

    // Reads pName into a reference, or Name into a literal.
    void ReadIntElement(const Description& d, const char* name, ValueOrRef<int64_t>& out);
    void ReadFloatElement(const Description& d, const char* name, ValueOrRef<double>& out);
    void ReadRefElement(const Description& d, const char* name, NodeRef& out);
    static std::string Text(const Description& d, const char* name);
    [[noreturn]] void RaiseNoNumber() const;

    NodeMap& m_Map;
    std::string m_sName;
    std::string m_sType;

private:
    friend class EvalGuard;
    ENameSpace m_eNameSpace = Custom;
    EVisibility m_eVisibility = Beginner;
    std::string m_sToolTip, m_sDescription, m_sDisplayName, m_sEventID;
    bool m_bStreamable = false;
    NodeRef m_pIsImplemented, m_pIsAvailable, m_pIsLocked;
    std::optional<EAccessMode> m_eImposed;
    std::vector<NodeRef> m_InvalidatorRefs;
    std::vector<Edge> m_Edges;
    std::vector<NodeRef*> m_Invalidators;
    mutable uint8_t m_nBusy = 0;
};

// Marks one kind of evaluation of a node as running; entering it again while
// it runs (a cycle) or nesting beyond the depth limit raises.
class EvalGuard {
public:
    enum Kind : uint8_t { Value = 1, Write = 2, Access = 4, Property = 8 };
    EvalGuard(const NodeBase& node, Kind kind);
    ~EvalGuard();
    EvalGuard(const EvalGuard&) = delete;
    EvalGuard& operator=(const EvalGuard&) = delete;
    static constexpr int kMaxDepth = 64;

private:
    const NodeBase& m_Node;
    Kind m_eKind;
};

// The access mode of a node built on two others: the narrower of both.
EAccessMode CombineAccess(EAccessMode a, EAccessMode b);

}  // namespace GenApi
