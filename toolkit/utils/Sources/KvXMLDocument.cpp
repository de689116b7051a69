#include "KvXMLDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace {

// Configuration files are small; anything larger is not one of ours.
constexpr std::streamoff kMaxFileSize = 64 * 1024 * 1024;

void InitLibxmlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

const xmlChar* X(const KvString& s) {
    return reinterpret_cast<const xmlChar*>(s.c_str_ascii());
}

KvString TakeString(xmlChar* s) {
    KvString out(s ? reinterpret_cast<const char*>(s) : "");
    xmlFree(s);
    return out;
}

bool IsElement(const xmlNode* n) {
    return n && n->type == XML_ELEMENT_NODE;
}

bool HasName(const xmlNode* n, const KvString& name) {
    return xmlStrcmp(n->name, X(name)) == 0;
}

xmlNode* FirstElement(xmlNode* n) {
    while (n && !IsElement(n)) {
        n = n->next;
    }
    return n;
}

xmlNode* FirstNamed(xmlNode* n, const KvString& name) {
    for (n = FirstElement(n); n && !HasName(n, name); n = FirstElement(n->next)) {
    }
    return n;
}

bool IsInside(const xmlNode* n, const xmlNode* ancestor) {
    for (; n; n = n->parent) {
        if (n == ancestor) {
            return true;
        }
    }
    return false;
}

// Indentation between elements is no part of any value; dropping it lets a
// re-saved file indent new elements like the old ones. Text inside leaf
// elements is kept as it is, blanks included.
void DropIndentation(xmlNode* element) {
    bool hasElementChild = false;
    for (xmlNode* c = element->children; c; c = c->next) {
        hasElementChild = hasElementChild || IsElement(c);
    }
    for (xmlNode* c = element->children; c;) {
        xmlNode* next = c->next;
        if (IsElement(c)) {
            DropIndentation(c);
        } else if (hasElementChild && c->type == XML_TEXT_NODE && xmlIsBlankNode(c)) {
            xmlUnlinkNode(c);
            xmlFreeNode(c);
        }
        c = next;
    }
}

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

}  // namespace

struct KvXMLDocument::Impl {
    DocPtr m_Doc;
    xmlNode* m_pCurrent = nullptr;
    // Remembered elements; null once the element was deleted.
    std::vector<xmlNode*> m_Stack;

    void Adopt(DocPtr doc) {
        m_Doc = std::move(doc);
        m_pCurrent = xmlDocGetRootElement(m_Doc.get());
        m_Stack.clear();
    }
    void Forget(const xmlNode* deleted) {
        for (xmlNode*& n : m_Stack) {
            if (IsInside(n, deleted)) {
                n = nullptr;
            }
        }
    }
};

KvXMLDocument::KvXMLDocument() : m_pImpl(std::make_unique<Impl>()) {
    InitLibxmlOnce();
}

KvXMLDocument::~KvXMLDocument() = default;

bool KvXMLDocument::IsLoaded() const {
    return m_pImpl->m_Doc != nullptr;
}

KvResult KvXMLDocument::NoDocument() const {
    return const_cast<KvXMLDocument*>(this)->KV_ERROR("No XML document is loaded",
                                                      KvCode::NOT_INITIALIZED);
}

KvResult KvXMLDocument::LoadDocument(const KvString& path) {
    struct stat st {};
    if (::stat(path.c_str_ascii(), &st) != 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR) {
            return SetErrorInfo("File not found: " + path, KvCode::NOT_FOUND, __FILE__, __LINE__,
                                e);
        }
        return SetErrorInfo("Cannot open " + path + ": " + std::strerror(e), KvCode::CANNOT_OPEN,
                            __FILE__, __LINE__, e);
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        return KV_ERROR("Not a configuration file (not a regular file or too large): " + path,
                        KvCode::CANNOT_OPEN);
    }
    // Read the bytes ourselves so that the parser never resolves the path
    // as a URI.
    std::ifstream in(path.str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || !in.is_open()) {
        return KV_ERROR("Cannot read " + path, KvCode::CANNOT_OPEN);
    }

    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(),
                                                                      &xmlFreeParserCtxt);
    if (!ctxt) {
        return KV_ERROR("Out of memory while reading " + path, KvCode::NO_MEMORY);
    }
    // No network, no DTD loading, no entity substitution; errors are taken
    // from the context instead of being printed.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    DocPtr doc(xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                 nullptr, options));
    if (!doc || !ctxt->wellFormed) {
        const xmlError* e = xmlCtxtGetLastError(ctxt.get());
        KvString detail = e && e->message ? KvString(e->message) : KvString("not well-formed");
        detail.TrimRight();
        return KV_ERROR(KvString::Format("Malformed XML in %s, line %d: %s", path.c_str_ascii(),
                                         e ? e->line : 0, detail.c_str_ascii()),
                        KvCode::BAD_XML);
    }
    if ((doc->intSubset && doc->intSubset->entities) || doc->extSubset) {
        return KV_ERROR("XML file " + path + " declares entities or an external DTD, refused",
                        KvCode::BAD_XML);
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root) {
        return KV_ERROR("XML file " + path + " has no root element", KvCode::BAD_XML);
    }
    DropIndentation(root);
    m_pImpl->Adopt(std::move(doc));
    return KvCode::OK;
}

KvResult KvXMLDocument::CreateDocument(const KvString& rootName) {
    if (xmlValidateName(X(rootName), 0) != 0) {
        return KV_ERROR("Invalid XML element name \"" + rootName + "\"", KvCode::INVALID_ARGUMENT);
    }
    DocPtr doc(xmlNewDoc(BAD_CAST "1.0"));
    xmlNode* root = doc ? xmlNewDocNode(doc.get(), nullptr, X(rootName), nullptr) : nullptr;
    if (!root) {
        return KV_ERROR("Out of memory while creating an XML document", KvCode::NO_MEMORY);
    }
    xmlDocSetRootElement(doc.get(), root);
    m_pImpl->Adopt(std::move(doc));
    return KvCode::OK;
}

KvResult KvXMLDocument::SaveDocument(const KvString& path) const {
    auto* self = const_cast<KvXMLDocument*>(this);
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(m_pImpl->m_Doc.get(), &text, &size, "UTF-8", 1);
    std::unique_ptr<xmlChar, decltype(xmlFree)> hold(text, xmlFree);
    if (!text || size <= 0) {
        return self->KV_ERROR("Cannot serialise the XML document for " + path,
                              KvCode::CANNOT_CREATE);
    }
    // Write beside the target and rename, so that a failed write never
    // leaves a truncated configuration behind.
    std::string temp = path.str() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int e = errno;
        return self->SetErrorInfo("Cannot create " + path + ": " + std::strerror(e),
                                  KvCode::CANNOT_CREATE, __FILE__, __LINE__, e);
    }
    bool ok = true;
    for (size_t done = 0; ok && done < static_cast<size_t>(size);) {
        const ssize_t n = ::write(fd, text + done, static_cast<size_t>(size) - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    const int e = errno;
    ok = ::fchmod(fd, 0644) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str_ascii()) != 0) {
        const int e2 = ok ? errno : e;
        ::unlink(temp.c_str());
        return self->SetErrorInfo("Cannot write " + path + ": " + std::strerror(e2),
                                  KvCode::CANNOT_CREATE, __FILE__, __LINE__, e2);
    }
    return KvCode::OK;
}

// ---- navigation -----------------------------------------------------------------

KvResult KvXMLDocument::GoToElement(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstNamed(m_pImpl->m_pCurrent->children, name);
    if (!n) {
        return KV_ERROR("XML element \"" + name + "\" not found", KvCode::NOT_FOUND);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

KvResult KvXMLDocument::GoToFirstChild() {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstElement(m_pImpl->m_pCurrent->children);
    if (!n) {
        return KV_ERROR("XML element has no child element", KvCode::NOT_FOUND);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

KvResult KvXMLDocument::GoToNext() {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstElement(m_pImpl->m_pCurrent->next);
    if (!n) {
        return KV_ERROR("No further XML element", KvCode::NOT_FOUND);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

KvResult KvXMLDocument::GoToNext(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstNamed(m_pImpl->m_pCurrent->next, name);
    if (!n) {
        return KV_ERROR("No further XML element \"" + name + "\"", KvCode::NOT_FOUND);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

KvResult KvXMLDocument::GoToParent() {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* parent = m_pImpl->m_pCurrent->parent;
    if (!IsElement(parent)) {
        return KV_ERROR("The root XML element has no parent", KvCode::NOT_FOUND);
    }
    m_pImpl->m_pCurrent = parent;
    return KvCode::OK;
}

KvResult KvXMLDocument::PushLocation() {
    if (!IsLoaded()) {
        return NoDocument();
    }
    m_pImpl->m_Stack.push_back(m_pImpl->m_pCurrent);
    return KvCode::OK;
}

KvResult KvXMLDocument::PopLocation() {
    if (m_pImpl->m_Stack.empty()) {
        return KV_ERROR("No XML location to return to", KvCode::WRONG_STATE);
    }
    xmlNode* n = m_pImpl->m_Stack.back();
    m_pImpl->m_Stack.pop_back();
    if (!n) {
        return KV_ERROR("The remembered XML element was deleted", KvCode::WRONG_STATE);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

// ---- editing ---------------------------------------------------------------------

namespace {
bool ValidText(const KvString& s) {
    return xmlCheckUTF8(X(s)) != 0;
}
}  // namespace

KvResult KvXMLDocument::CreateElement(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    if (xmlValidateName(X(name), 0) != 0) {
        return KV_ERROR("Invalid XML element name \"" + name + "\"", KvCode::INVALID_ARGUMENT);
    }
    xmlNode* n = xmlNewChild(m_pImpl->m_pCurrent, nullptr, X(name), nullptr);
    if (!n) {
        return KV_ERROR("Cannot create XML element \"" + name + "\"", KvCode::NO_MEMORY);
    }
    m_pImpl->m_pCurrent = n;
    return KvCode::OK;
}

KvResult KvXMLDocument::CreateElement(const KvString& name, const KvString& value) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    if (!ValidText(value)) {
        return KV_ERROR("The value of XML element \"" + name + "\" is not UTF-8 text",
                        KvCode::INVALID_ARGUMENT);
    }
    xmlNode* parent = m_pImpl->m_pCurrent;
    if (const KvResult r = CreateElement(name); r != 0) {
        return r;
    }
    // Added as plain text: an '&' in a value is a character, not an entity.
    xmlNodeAddContent(m_pImpl->m_pCurrent, X(value));
    m_pImpl->m_pCurrent = parent;
    return KvCode::OK;
}

KvResult KvXMLDocument::DeleteElement(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstNamed(m_pImpl->m_pCurrent->children, name);
    if (!n) {
        return KV_ERROR("XML element \"" + name + "\" not found", KvCode::NOT_FOUND);
    }
    m_pImpl->Forget(n);
    xmlUnlinkNode(n);
    xmlFreeNode(n);
    return KvCode::OK;
}

KvResult KvXMLDocument::DeleteCurrentElement() {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = m_pImpl->m_pCurrent;
    if (!IsElement(n->parent)) {
        return KV_ERROR("The root XML element cannot be deleted", KvCode::INVALID_ARGUMENT);
    }
    m_pImpl->m_pCurrent = n->parent;
    m_pImpl->Forget(n);
    xmlUnlinkNode(n);
    xmlFreeNode(n);
    return KvCode::OK;
}

KvResult KvXMLDocument::GetElementName(KvString& name) const {
    if (!IsLoaded()) {
        return NoDocument();
    }
    name = KvString(reinterpret_cast<const char*>(m_pImpl->m_pCurrent->name));
    return KvCode::OK;
}

KvResult KvXMLDocument::SetElementName(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    if (xmlValidateName(X(name), 0) != 0) {
        return KV_ERROR("Invalid XML element name \"" + name + "\"", KvCode::INVALID_ARGUMENT);
    }
    xmlNodeSetName(m_pImpl->m_pCurrent, X(name));
    return KvCode::OK;
}

KvResult KvXMLDocument::GetValue(KvString& value) const {
    if (!IsLoaded()) {
        return NoDocument();
    }
    value = TakeString(xmlNodeGetContent(m_pImpl->m_pCurrent));
    return KvCode::OK;
}

KvResult KvXMLDocument::SetValue(const KvString& value) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    if (!ValidText(value)) {
        return KV_ERROR("XML element values must be UTF-8 text", KvCode::INVALID_ARGUMENT);
    }
    xmlNode* n = m_pImpl->m_pCurrent;
    for (xmlNode* c = n->children; c;) {
        xmlNode* next = c->next;
        m_pImpl->Forget(c);
        xmlUnlinkNode(c);
        xmlFreeNode(c);
        c = next;
    }
    xmlNodeAddContent(n, X(value));
    return KvCode::OK;
}

KvResult KvXMLDocument::GetValue(const KvString& childName, KvString& value) const {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlNode* n = FirstNamed(m_pImpl->m_pCurrent->children, childName);
    if (!n) {
        return const_cast<KvXMLDocument*>(this)->KV_ERROR(
            "XML element \"" + childName + "\" not found", KvCode::NOT_FOUND);
    }
    value = TakeString(xmlNodeGetContent(n));
    return KvCode::OK;
}

KvResult KvXMLDocument::GetAttribute(const KvString& name, KvString& value) const {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlChar* v = xmlGetNoNsProp(m_pImpl->m_pCurrent, X(name));
    if (!v) {
        return const_cast<KvXMLDocument*>(this)->KV_ERROR(
            "XML attribute \"" + name + "\" not found", KvCode::NOT_FOUND);
    }
    value = TakeString(v);
    return KvCode::OK;
}

KvResult KvXMLDocument::SetAttribute(const KvString& name, const KvString& value) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    if (xmlValidateName(X(name), 0) != 0 || !ValidText(value)) {
        return KV_ERROR("Invalid XML attribute \"" + name + "\" or value",
                        KvCode::INVALID_ARGUMENT);
    }
    if (!xmlSetProp(m_pImpl->m_pCurrent, X(name), X(value))) {
        return KV_ERROR("Cannot set XML attribute \"" + name + "\"", KvCode::NO_MEMORY);
    }
    return KvCode::OK;
}

KvResult KvXMLDocument::DeleteAttribute(const KvString& name) {
    if (!IsLoaded()) {
        return NoDocument();
    }
    xmlAttr* a = xmlHasNsProp(m_pImpl->m_pCurrent, X(name), nullptr);
    if (!a) {
        return KV_ERROR("XML attribute \"" + name + "\" not found", KvCode::NOT_FOUND);
    }
    xmlRemoveProp(a);
    return KvCode::OK;
}
