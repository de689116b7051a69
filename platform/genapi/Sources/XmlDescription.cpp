// Reads a GenICam file with libxml2 into Descriptions. The file is untrusted:
// no network access, no entity substitution, no document type declarations,
// and the element walk is depth-limited.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>
#include <memory>

#include "Description.h"
#include "GenApi/GenICamException.h"

namespace GenApi {

namespace {

constexpr int kMaxGroupDepth = 32;
constexpr int kMaxNodeDepth = 4;
constexpr std::string_view kGenApiNamespace = "http://www.genicam.org/GenApi/";

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

std::string_view Name(const xmlNode* n) {
    return reinterpret_cast<const char*>(n->name);
}

std::string Trim(std::string s) {
    const char* ws = " \t\r\n";
    size_t b = s.find_first_not_of(ws);
    if (b == std::string::npos) {
        return {};
    }
    size_t e = s.find_last_not_of(ws);
    return s.substr(b, e - b + 1);
}

std::string TextOf(const xmlNode* n) {
    std::string text;
    for (const xmlNode* c = n->children; c; c = c->next) {
        if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content) {
            text += reinterpret_cast<const char*>(c->content);
        }
    }
    return Trim(std::move(text));
}

std::string AttributeOf(const xmlNode* n, const char* attribute) {
    for (const xmlAttr* a = n->properties; a; a = a->next) {
        if (std::strcmp(reinterpret_cast<const char*>(a->name), attribute) == 0) {
            return TextOf(reinterpret_cast<const xmlNode*>(a));
        }
    }
    return {};
}

bool HasElementChildren(const xmlNode* n) {
    for (const xmlNode* c = n->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            return true;
        }
    }
    return false;
}

Description ReadNode(const xmlNode* element, int depth) {
    if (depth > kMaxNodeDepth) {
        GENICAM_RAISE(RuntimeException, "GenICam file: node elements nested too deeply");
    }
    Description d;
    d.type = std::string(Name(element));
    d.name = AttributeOf(element, "Name");
    d.nameSpace = AttributeOf(element, "NameSpace");
    for (const xmlNode* c = element->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) {
            continue;
        }
        std::string_view childName = Name(c);
        if (childName == "Extension") {
            continue;  // vendor-private data, ignored by definition
        }
        if (HasElementChildren(c)) {
            d.children.push_back(ReadNode(c, depth + 1));
            continue;
        }
        Property p;
        p.name = std::string(childName);
        p.value = TextOf(c);
        for (const xmlAttr* a = c->properties; a; a = a->next) {
            p.attributes.emplace_back(reinterpret_cast<const char*>(a->name),
                                      TextOf(reinterpret_cast<const xmlNode*>(a)));
        }
        d.properties.push_back(std::move(p));
    }
    return d;
}

void ReadChildren(const xmlNode* parent, int depth, FileDescription& out) {
    if (depth > kMaxGroupDepth) {
        GENICAM_RAISE(RuntimeException, "GenICam file: groups nested too deeply");
    }
    for (const xmlNode* c = parent->children; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (Name(c) == "Group") {
            ReadChildren(c, depth + 1, out);  // groups only wrap nodes
            continue;
        }
        out.nodes.push_back(ReadNode(c, 0));
    }
}

}  // namespace

const std::string* Property::Attribute(std::string_view attributeName) const {
    for (const auto& [key, text] : attributes) {
        if (key == attributeName) {
            return &text;
        }
    }
    return nullptr;
}

const Property* Description::Find(std::string_view propertyName) const {
    for (const Property& p : properties) {
        if (p.name == propertyName) {
            return &p;
        }
    }
    return nullptr;
}

std::vector<const Property*> Description::FindAll(std::string_view propertyName) const {
    std::vector<const Property*> all;
    for (const Property& p : properties) {
        if (p.name == propertyName) {
            all.push_back(&p);
        }
    }
    return all;
}

FileDescription ParseGenICamXml(std::string_view xml) {
    if (xml.size() > static_cast<size_t>(INT_MAX)) {
        GENICAM_RAISE(RuntimeException, "GenICam file too large (%zu bytes)", xml.size());
    }
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "genicam.xml", nullptr, options));
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        GENICAM_RAISE(RuntimeException, "Not a GenICam file: the XML is not well-formed (%s)",
                      e && e->message ? Trim(e->message).c_str() : "parse error");
    }
    if (doc->intSubset || doc->extSubset) {
        GENICAM_RAISE(RuntimeException,
                      "Not a GenICam file: document type declarations are not accepted");
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || Name(root) != "RegisterDescription") {
        GENICAM_RAISE(RuntimeException, "Not a GenICam file: the root element is '%.100s'",
                      root ? reinterpret_cast<const char*>(root->name) : "");
    }
    if (root->ns && root->ns->href) {
        std::string_view ns = reinterpret_cast<const char*>(root->ns->href);
        if (ns.substr(0, kGenApiNamespace.size()) != kGenApiNamespace) {
            GENICAM_RAISE(RuntimeException, "Not a GenICam file: unknown name space '%.200s'",
                          std::string(ns).c_str());
        }
    }
    FileDescription file;
    for (const xmlAttr* a = root->properties; a; a = a->next) {
        file.rootAttributes[reinterpret_cast<const char*>(a->name)] =
            TextOf(reinterpret_cast<const xmlNode*>(a));
    }
    ReadChildren(root, 0, file);
    return file;
}

}  // namespace GenApi
