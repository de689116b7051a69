// Loads arbitrary bytes as a GenICam file and, when they load, reads every
// node through a memory port. Exceptions are the expected answer to bad
// input; crashes, leaks, hangs and sanitizer reports are the faults.
#include <string>

#include "MemoryPort.h"

using namespace GenApi;

namespace {

void Touch(INode* node) {
    try {
        node->GetAccessMode();
        node->GetCachingMode();
        NodeList_t children;
        node->GetChildren(children);
        if (CIntegerPtr i = node; i.IsValid()) {
            i->GetValue();
            i->GetMin();
            i->GetMax();
            i->SetValue(i->GetInc(), true);
        } else if (CFloatPtr f = node; f.IsValid()) {
            f->GetValue();
            f->SetValue(f->GetMin(), true);
        } else if (CEnumerationPtr e = node; e.IsValid()) {
            StringList_t symbolics;
            e->GetSymbolics(symbolics);
            e->ToString();
        } else if (CCategoryPtr c = node; c.IsValid()) {
            FeatureList_t features;
            c->GetFeatures(features);
        } else if (CValuePtr v = node; v.IsValid()) {
            v->ToString();
        }
        node->InvalidateNode();
    } catch (const GenICam::GenericException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CNodeMapRef map;
    try {
        map._LoadXMLFromString(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const GenICam::GenericException&) {
        return 0;
    }
    MemoryPort port(0x1000);
    for (size_t i = 0; i < port.m_Image.size(); ++i) {
        port.m_Image[i] = static_cast<uint8_t>(i * 37);
    }
    map._Connect(&port);
    NodeList_t nodes;
    map._GetNodes(nodes);
    for (INode* node : nodes) {
        Touch(node);
    }
    map._Poll(100000);
    return 0;
}
