#pragma once
// The parsed GenICam file as plain data: one Description per node element,
// with its property elements in file order. It knows nothing of node
// behaviour; NodeMap builds the live nodes from it.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace GenApi {

struct Property {
    std::string name;   // element name, for example "pValue" or "Address"
    std::string value;  // trimmed text
    std::vector<std::pair<std::string, std::string>> attributes;  // Name=, Offset=...

    const std::string* Attribute(std::string_view attributeName) const;
};

struct Description {
    std::string type;       // element name: "Integer", "IntReg", "EnumEntry"...
    std::string name;       // the Name attribute, empty when absent
    std::string nameSpace;  // the NameSpace attribute
    std::vector<Property> properties;
    std::vector<Description> children;  // EnumEntry, StructEntry, inline IntSwissKnife

    const Property* Find(std::string_view propertyName) const;
    std::vector<const Property*> FindAll(std::string_view propertyName) const;
};

struct FileDescription {
    std::map<std::string, std::string> rootAttributes;
    std::vector<Description> nodes;  // Groups flattened, file order
};

// Parses the text of a GenICam file. Raises RuntimeException when the text is
// not well-formed XML or not a GenICam register description.
FileDescription ParseGenICamXml(std::string_view xml);

}  // namespace GenApi
