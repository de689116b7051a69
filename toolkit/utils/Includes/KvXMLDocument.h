#pragma once
// An XML file held in memory with a current element, the way configuration
// files are read and written: navigate to an element, read or write its
// name, value (text) and attributes, create and delete children.
//
// Files are untrusted: nothing is fetched from the network, no external
// entity or DTD is loaded and documents that declare entities are refused.
// Every operation returns 0 or records an error and returns its code; a
// failed navigation leaves the current element where it was.

#include <memory>
#include <vector>

#include "KvErrorInterface.h"
#include "KvObject.h"
#include "KvString.h"

class KvXMLDocument : public KvErrorInterface, public KvObject {
public:
    KvXMLDocument();
    ~KvXMLDocument() override;
    KvXMLDocument(const KvXMLDocument&) = delete;
    KvXMLDocument& operator=(const KvXMLDocument&) = delete;

    // Reads a file; the root element becomes current. 6 when the file does
    // not exist, 8 when it cannot be read, 10 when it is not well-formed XML
    // (the message names the line). On failure the previous document stays.
    KvResult LoadDocument(const KvString& path);
    // Starts a new document holding only the root element, which is current.
    KvResult CreateDocument(const KvString& rootName);
    // Writes the document, indented, in UTF-8. The file is replaced only once
    // the whole document is written (16 when it cannot be created).
    KvResult SaveDocument(const KvString& path) const;
    bool IsLoaded() const;

    // ---- navigation (elements only; text and comments are skipped) --------
    // To the first child element of that name (6 when none).
    KvResult GoToElement(const KvString& name);
    KvResult GoToFirstChild();
    // To the next sibling element; with a name, the next one of that name.
    KvResult GoToNext();
    KvResult GoToNext(const KvString& name);
    // To the parent element (6 at the root).
    KvResult GoToParent();
    // Same as GoToParent; the name device configuration code uses.
    KvResult GotoParentElement() { return GoToParent(); }
    // Remembers the current element, and returns to it (28 when nothing is
    // remembered or the remembered element was deleted meanwhile).
    KvResult PushLocation();
    KvResult PopLocation();

    // ---- editing -----------------------------------------------------------
    // Creates a child element at the end of the current element's children
    // and makes it current. The name must be a valid XML name (18).
    KvResult CreateElement(const KvString& name);
    // Creates a child element holding the value; the current element stays,
    // so that a list of values is written with successive calls.
    KvResult CreateElement(const KvString& name, const KvString& value);
    // Deletes the first child element of that name (6 when none).
    KvResult DeleteElement(const KvString& name);
    // Deletes the current element (not the root) and goes to its parent.
    KvResult DeleteCurrentElement();

    KvResult GetElementName(KvString& name) const;
    KvResult SetElementName(const KvString& name);
    // The text of the current element (of all its text, for an element that
    // has children); SetValue replaces the element's content by the text.
    KvResult GetValue(KvString& value) const;
    KvResult SetValue(const KvString& value);
    // The text of the first child element of that name (6 when none).
    KvResult GetValue(const KvString& childName, KvString& value) const;
    // 6 when the current element has no such attribute.
    KvResult GetAttribute(const KvString& name, KvString& value) const;
    KvResult SetAttribute(const KvString& name, const KvString& value);
    KvResult DeleteAttribute(const KvString& name);

private:
    struct Impl;
    KvResult NoDocument() const;
    std::unique_ptr<Impl> m_pImpl;
};
