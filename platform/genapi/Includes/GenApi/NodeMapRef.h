#pragma once
// The owner of one device's node map: loads the GenICam XML, binds the port
// and hands out the nodes. The nodes live as long as the CNodeMapRef.

#include <memory>

#include "GenApi/Interfaces.h"

namespace GenApi {

class NodeMap;

class CNodeMapRef {
public:
    explicit CNodeMapRef(const gcstring& deviceName = "Device");
    ~CNodeMapRef();
    CNodeMapRef(const CNodeMapRef&) = delete;
    CNodeMapRef& operator=(const CNodeMapRef&) = delete;

    // Parses a GenICam file held in memory. Raises RuntimeException for text
    // that is not a GenICam file and LogicalErrorException when a file is
    // already loaded.
    void _LoadXMLFromString(const gcstring& xml);
    // Loads a file from disk.
    void _LoadXMLFromFile(const gcstring& fileName);
    // Loads the file of a vendor's model from the repository below GENICAM_ROOT
    // (layout in this library's README).
    void _LoadXMLFromFile(const gcstring& vendor, const gcstring& model);
    // Drops the loaded map; its nodes become invalid.
    void _Destroy();
    bool _IsLoaded() const { return m_pMap != nullptr; }

    // Binds the port to the Port node named after the device ("Device"), or to
    // the only Port node when none has that name. False when nothing was bound.
    bool _Connect(IPort* port);
    bool _Connect(IPort* port, const gcstring& portName);

    INode* _GetNode(const gcstring& name) const;
    void _GetNodes(NodeList_t& nodes) const;
    gcstring _GetDeviceName() const { return m_sDeviceName; }
    void _InvalidateNodes() const;
    void _Poll(int64_t elapsedMilliseconds) const;
    // The underlying map, or null before a load.
    INodeMap* _Ptr() const;

    // The file's root attributes (ModelName, VendorName, SchemaMajorVersion...),
    // empty when absent.
    gcstring _GetRootAttribute(const gcstring& name) const;

private:
    void RequireLoaded() const;
    gcstring m_sDeviceName;
    std::unique_ptr<NodeMap> m_pMap;
};

}  // namespace GenApi
