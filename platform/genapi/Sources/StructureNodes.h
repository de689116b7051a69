#pragma once
// The nodes that carry no value of their own: Category, Port and the plain
// nodes kept for legacy or unknown elements.

#include "NodeBase.h"

namespace GenApi {

class CategoryNode : public NodeBase, public ICategory {
public:
    CategoryNode(NodeMap& map, const Description& d);
    EInterfaceType GetPrincipalInterfaceType() const override { return intfICategory; }
    INode* GetNode() override { return this; }
    gcstring ToString(bool = false, bool = false) override { return {}; }
    void FromString(const gcstring&, bool = true) override;
    void GetFeatures(FeatureList_t& features) const override;

private:
    std::vector<NodeRef> m_Features;
};

// The Port node of the file; the application binds its transport to it.
class PortNode : public NodeBase, public IPort {
public:
    PortNode(NodeMap& map, const Description& d) : NodeBase(map, d) {}
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIPort; }
    void Read(void* buffer, int64_t address, int64_t length) override;
    void Write(const void* buffer, int64_t address, int64_t length) override;
    void Bind(IPort* port) { m_pPort = port; }
    bool IsBound() const { return m_pPort != nullptr; }

protected:
    EAccessMode BaseAccessMode() const override { return m_pPort ? m_pPort->GetAccessMode() : NA; }

private:
    IPort& Bound() const;
    IPort* m_pPort = nullptr;
};

// Legacy 1.0 elements (TextDesc, IntKey, AdvFeatureLock, SmartFeature, Node)
// and elements this map does not know: kept as nodes so that references to
// them resolve, with no value.
class PlainNode : public NodeBase {
public:
    using NodeBase::NodeBase;
    EInterfaceType GetPrincipalInterfaceType() const override { return intfIBase; }
};

}  // namespace GenApi
