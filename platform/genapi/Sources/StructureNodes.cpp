#include "StructureNodes.h"

#include "NodeMap.h"

namespace GenApi {

CategoryNode::CategoryNode(NodeMap& map, const Description& d) : NodeBase(map, d) {
    for (const Property* p : d.FindAll("pFeature")) {
        m_Features.push_back(NodeRef{p->value});
    }
    for (NodeRef& r : m_Features) {
        AddRef(r, false);
    }
}

void CategoryNode::FromString(const gcstring&, bool) {
    GENICAM_RAISE(AccessException, "Category '%.100s' has no value", m_sName.c_str());
}

void CategoryNode::GetFeatures(FeatureList_t& features) const {
    features.clear();
    for (const NodeRef& r : m_Features) {
        // Names of nodes that are missing or carry no value are skipped.
        if (auto* value = dynamic_cast<IValue*>(r.node)) {
            features.push_back(value);
        }
    }
}

IPort& PortNode::Bound() const {
    if (!m_pPort) {
        GENICAM_RAISE(AccessException, "Port '%.100s' is not connected", m_sName.c_str());
    }
    return *m_pPort;
}

void PortNode::Read(void* buffer, int64_t address, int64_t length) {
    Bound().Read(buffer, address, length);
}

void PortNode::Write(const void* buffer, int64_t address, int64_t length) {
    Bound().Write(buffer, address, length);
}

}  // namespace GenApi
