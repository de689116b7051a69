#include "GenApi/NodeMapRef.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Description.h"
#include "NodeMap.h"
#include "StructureNodes.h"

namespace GenApi {

namespace {

// A vendor or model name becomes one path component: nothing that could
// leave the repository folder.
void RequirePathComponent(const gcstring& what, const gcstring& value) {
    if (value.empty() || value == "." || value == ".." ||
        value.find_first_of("/\\") != gcstring::npos || value.find('\0') != gcstring::npos) {
        GENICAM_RAISE(InvalidArgumentException, "Invalid repository %s name '%.100s'", what.c_str(),
                      value.c_str());
    }
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        GENICAM_RAISE(RuntimeException, "Cannot open the GenICam file '%.300s'", path.c_str());
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

CNodeMapRef::CNodeMapRef(const gcstring& deviceName) : m_sDeviceName(deviceName) {}

CNodeMapRef::~CNodeMapRef() = default;

void CNodeMapRef::_LoadXMLFromString(const gcstring& xml) {
    if (m_pMap) {
        GENICAM_RAISE(LogicalErrorException, "The node map of '%.100s' is already loaded",
                      m_sDeviceName.c_str());
    }
    m_pMap = std::make_unique<NodeMap>(m_sDeviceName, ParseGenICamXml(xml));
}

void CNodeMapRef::_LoadXMLFromFile(const gcstring& fileName) {
    _LoadXMLFromString(ReadWholeFile(fileName));
}

void CNodeMapRef::_LoadXMLFromFile(const gcstring& vendor, const gcstring& model) {
    RequirePathComponent("vendor", vendor);
    RequirePathComponent("model", model);
    const char* root = std::getenv("GENICAM_ROOT");
    if (!root || !*root) {
        GENICAM_RAISE(RuntimeException, "GENICAM_ROOT is not set: no GenICam repository");
    }
    const std::filesystem::path path =
        std::filesystem::path(root) / "xml" / "GenApi" / vendor / (model + ".xml");
    _LoadXMLFromString(ReadWholeFile(path));
}

void CNodeMapRef::_Destroy() {
    m_pMap.reset();
}

void CNodeMapRef::RequireLoaded() const {
    if (!m_pMap) {
        GENICAM_RAISE(LogicalErrorException, "The node map of '%.100s' is not loaded",
                      m_sDeviceName.c_str());
    }
}

bool CNodeMapRef::_Connect(IPort* port, const gcstring& portName) {
    RequireLoaded();
    return m_pMap->Connect(port, portName);
}

bool CNodeMapRef::_Connect(IPort* port) {
    RequireLoaded();
    if (m_pMap->Connect(port, m_sDeviceName)) {
        return true;
    }
    // A file whose only port has another name still gets its port.
    NodeList_t nodes;
    m_pMap->GetNodes(nodes);
    PortNode* only = nullptr;
    for (INode* n : nodes) {
        if (auto* p = dynamic_cast<PortNode*>(n)) {
            if (only) {
                return false;
            }
            only = p;
        }
    }
    return only && m_pMap->Connect(port, only->Name());
}

INode* CNodeMapRef::_GetNode(const gcstring& name) const {
    return m_pMap ? m_pMap->GetNode(name) : nullptr;
}

void CNodeMapRef::_GetNodes(NodeList_t& nodes) const {
    nodes.clear();
    if (m_pMap) {
        m_pMap->GetNodes(nodes);
    }
}

void CNodeMapRef::_InvalidateNodes() const {
    if (m_pMap) {
        m_pMap->InvalidateNodes();
    }
}

void CNodeMapRef::_Poll(int64_t elapsedMilliseconds) const {
    if (m_pMap) {
        m_pMap->Poll(elapsedMilliseconds);
    }
}

INodeMap* CNodeMapRef::_Ptr() const {
    return m_pMap.get();
}

gcstring CNodeMapRef::_GetRootAttribute(const gcstring& name) const {
    if (!m_pMap) {
        return {};
    }
    auto it = m_pMap->RootAttributes().find(name);
    return it == m_pMap->RootAttributes().end() ? gcstring() : it->second;
}

}  // namespace GenApi
