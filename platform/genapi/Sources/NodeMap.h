#pragma once
// The live node graph of one file: builds the nodes from the parsed file,
// binds references, owns the register cache and routes value changes to the
// registers that list the changed node as their invalidator.

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Description.h"
#include "GenApi/Interfaces.h"
#include "NodeBase.h"
#include "ValueCache.h"

namespace GenApi {

class RegisterAccess;

class NodeMap : public INodeMap {
public:
    NodeMap(const gcstring& deviceName, FileDescription file);
    ~NodeMap() override;

    // INodeMap
    void GetNodes(NodeList_t& nodes) const override;
    INode* GetNode(const gcstring& name) const override { return FindNode(name); }
    bool Connect(IPort* port, const gcstring& portName) override;
    gcstring GetDeviceName() const override { return m_sDeviceName; }
    void InvalidateNodes() override { m_Cache.Clear(); }
    void Poll(int64_t elapsedMilliseconds) override;

    NodeBase* FindNode(const std::string& name) const;
    // Creates a node that is not listed (an inline formula of a register).
    NodeBase* CreateHiddenNode(const Description& description);
    ValueCache& Cache() { return m_Cache; }
    void RegisterPolled(RegisterAccess& reg) { m_Polled.push_back(&reg); }
    void AddRegister(NodeBase& node, RegisterAccess& reg) { m_Registers[&node] = &reg; }

    // A node's value changed: every node built on it changed too, and the
    // registers that name any of them in pInvalidator drop their bytes.
    void OnNodeChanged(NodeBase& node);
    // Drops the cached bytes of the node and of everything it is built on.
    void InvalidateFrom(NodeBase& node);

    void AddLoadWarning(std::string warning) { m_Warnings.push_back(std::move(warning)); }
    const std::vector<std::string>& LoadWarnings() const { return m_Warnings; }
    const std::map<std::string, std::string>& RootAttributes() const { return m_RootAttributes; }

private:
    void Add(std::unique_ptr<NodeBase> node, bool listed);
    void Build(const Description& d);
    void BuildStructReg(const Description& d);

    std::string m_sDeviceName;
    std::map<std::string, std::string> m_RootAttributes;
    std::vector<std::unique_ptr<NodeBase>> m_Owned;
    std::vector<NodeBase*> m_Listed;
    std::unordered_map<std::string, NodeBase*> m_Index;
    std::unordered_map<NodeBase*, std::vector<NodeBase*>> m_Dependents;
    std::unordered_map<NodeBase*, std::vector<NodeBase*>> m_InvalidatedBy;
    std::unordered_map<NodeBase*, RegisterAccess*> m_Registers;
    std::vector<RegisterAccess*> m_Polled;
    std::vector<std::string> m_Warnings;
    ValueCache m_Cache;
    int m_nHidden = 0;
};

}  // namespace GenApi
