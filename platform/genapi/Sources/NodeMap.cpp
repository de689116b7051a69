#include "NodeMap.h"

#include <deque>
#include <unordered_set>

#include "BooleanCommandNodes.h"
#include "EnumerationNodes.h"
#include "FloatNodes.h"
#include "IntegerNodes.h"
#include "StringRegisterNodes.h"
#include "StructureNodes.h"

namespace GenApi {

NodeMap::NodeMap(const gcstring& deviceName, FileDescription file)
    : m_sDeviceName(deviceName), m_RootAttributes(std::move(file.rootAttributes)) {
    for (const Description& d : file.nodes) {
        Build(d);
    }
    for (auto& node : m_Owned) {
        node->Link();
    }
    for (auto& node : m_Owned) {
        for (const NodeBase::Edge& e : node->Edges()) {
            if (e.dependency && e.ref->node) {
                m_Dependents[e.ref->node].push_back(node.get());
            }
        }
        for (NodeRef* r : node->Invalidators()) {
            if (r->node) {
                m_InvalidatedBy[r->node].push_back(node.get());
            }
        }
    }
}

NodeMap::~NodeMap() = default;

void NodeMap::Add(std::unique_ptr<NodeBase> node, bool listed) {
    if (node->Name().empty()) {
        return;
    }
    if (!m_Index.emplace(node->Name(), node.get()).second) {
        GENICAM_RAISE(RuntimeException, "GenICam file: the node name '%.100s' is used twice",
                      node->Name().c_str());
    }
    if (listed) {
        m_Listed.push_back(node.get());
    }
    m_Owned.push_back(std::move(node));
}

NodeBase* NodeMap::CreateHiddenNode(const Description& description) {
    Description d = description;
    // '#' cannot appear in a node name of the file, so this never collides.
    d.name = "#Formula" + std::to_string(++m_nHidden);
    auto node = std::make_unique<IntSwissKnifeNode>(*this, d);
    NodeBase* raw = node.get();
    Add(std::move(node), false);
    return raw;
}

void NodeMap::BuildStructReg(const Description& d) {
    // Every StructEntry is a masked register on the StructReg's bytes; the
    // entry's own elements override the shared ones.
    for (const Description& entry : d.children) {
        if (entry.type != "StructEntry") {
            continue;
        }
        Description merged = entry;
        merged.type = "StructEntry";
        for (const Property& p : d.properties) {
            if (!entry.Find(p.name) || p.name == "Address") {
                if (p.name == "Address" && entry.Find("Address")) {
                    continue;
                }
                merged.properties.push_back(p);
            }
        }
        Add(std::make_unique<IntRegNode>(*this, merged, true), true);
    }
}

void NodeMap::Build(const Description& d) {
    const std::string& t = d.type;
    if (t == "StructReg") {
        BuildStructReg(d);
        return;
    }
    if (d.name.empty()) {
        AddLoadWarning("an element " + t + " without a Name was skipped");
        return;
    }
    std::unique_ptr<NodeBase> node;
    if (t == "Integer") {
        node = std::make_unique<IntegerNode>(*this, d);
    } else if (t == "IntReg") {
        node = std::make_unique<IntRegNode>(*this, d, false);
    } else if (t == "MaskedIntReg") {
        node = std::make_unique<IntRegNode>(*this, d, true);
    } else if (t == "ConfRom") {
        auto rom = std::make_unique<IntRegNode>(*this, d, false);
        rom->ForceAccess(RO);  // legacy configuration ROM: a read-only number
        node = std::move(rom);
    } else if (t == "IntSwissKnife") {
        node = std::make_unique<IntSwissKnifeNode>(*this, d);
    } else if (t == "IntConverter") {
        node = std::make_unique<IntConverterNode>(*this, d);
    } else if (t == "Float") {
        node = std::make_unique<FloatNode>(*this, d);
    } else if (t == "FloatReg") {
        node = std::make_unique<FloatRegNode>(*this, d);
    } else if (t == "SwissKnife") {
        node = std::make_unique<SwissKnifeNode>(*this, d);
    } else if (t == "Converter") {
        node = std::make_unique<ConverterNode>(*this, d);
    } else if (t == "Boolean") {
        node = std::make_unique<BooleanNode>(*this, d);
    } else if (t == "String") {
        node = std::make_unique<StringNode>(*this, d);
    } else if (t == "StringReg") {
        node = std::make_unique<StringRegNode>(*this, d);
    } else if (t == "Register") {
        node = std::make_unique<RegisterNode>(*this, d);
    } else if (t == "Command") {
        node = std::make_unique<CommandNode>(*this, d);
    } else if (t == "Category") {
        node = std::make_unique<CategoryNode>(*this, d);
    } else if (t == "Port") {
        node = std::make_unique<PortNode>(*this, d);
    } else if (t == "Enumeration") {
        std::vector<std::unique_ptr<EnumEntryNode>> entries;
        for (const Description& child : d.children) {
            if (child.type != "EnumEntry" || child.name.empty()) {
                continue;
            }
            Description named = child;
            named.name = "EnumEntry_" + d.name + "_" + child.name;
            if (!named.Find("Symbolic")) {
                named.properties.push_back(Property{"Symbolic", child.name, {}});
            }
            entries.push_back(std::make_unique<EnumEntryNode>(*this, named));
        }
        std::vector<EnumEntryNode*> raw;
        for (auto& e : entries) {
            raw.push_back(e.get());
        }
        Add(std::make_unique<EnumerationNode>(*this, d, std::move(raw)), true);
        for (auto& e : entries) {
            Add(std::move(e), true);
        }
        return;
    } else {
        if (t != "TextDesc" && t != "IntKey" && t != "AdvFeatureLock" && t != "SmartFeature" &&
            t != "Node") {
            AddLoadWarning("unknown element " + t + " kept as a plain node: " + d.name);
        }
        node = std::make_unique<PlainNode>(*this, d);
    }
    Add(std::move(node), true);
}

void NodeMap::GetNodes(NodeList_t& nodes) const {
    nodes.assign(m_Listed.begin(), m_Listed.end());
}

NodeBase* NodeMap::FindNode(const std::string& name) const {
    auto it = m_Index.find(name);
    return it == m_Index.end() ? nullptr : it->second;
}

bool NodeMap::Connect(IPort* port, const gcstring& portName) {
    auto* node = dynamic_cast<PortNode*>(FindNode(portName));
    if (!node) {
        return false;
    }
    node->Bind(port);
    // Bytes cached from another port are no longer the device's.
    m_Cache.Clear();
    return true;
}

void NodeMap::Poll(int64_t elapsedMilliseconds) {
    for (RegisterAccess* reg : m_Polled) {
        reg->Poll(elapsedMilliseconds);
    }
}

void NodeMap::OnNodeChanged(NodeBase& node) {
    std::unordered_set<NodeBase*> seen{&node};
    std::deque<NodeBase*> queue{&node};
    while (!queue.empty()) {
        NodeBase* n = queue.front();
        queue.pop_front();
        if (auto it = m_InvalidatedBy.find(n); it != m_InvalidatedBy.end()) {
            for (NodeBase* reg : it->second) {
                reg->DropCachedValue();
            }
        }
        if (auto it = m_Dependents.find(n); it != m_Dependents.end()) {
            for (NodeBase* d : it->second) {
                if (seen.insert(d).second) {
                    queue.push_back(d);
                }
            }
        }
    }
}

void NodeMap::InvalidateFrom(NodeBase& node) {
    std::unordered_set<NodeBase*> seen{&node};
    std::deque<NodeBase*> queue{&node};
    while (!queue.empty()) {
        NodeBase* n = queue.front();
        queue.pop_front();
        n->DropCachedValue();
        for (const NodeBase::Edge& e : n->Edges()) {
            if (e.dependency && e.ref->node && seen.insert(e.ref->node).second) {
                queue.push_back(e.ref->node);
            }
        }
    }
}

}  // namespace GenApi
