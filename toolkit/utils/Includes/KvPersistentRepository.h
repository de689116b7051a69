#pragma once
// A parameter repository that saves itself into, and loads itself from, the
// current element of an XML document.
//
// Layout, one section per repository at the current element:
//
//   <repository name="Camera">
//     <parameter name="Shutter Time" type="int64">50</parameter>
//     <group name="Analog">                       (when grouping is on)
//       <parameter name="Channel 1 Gain" type="double">6.5</parameter>
//     </group>
//     ... sections of derived classes (InternalSave) ...
//   </repository>
//
// Values are in the repository's text form (enumerations by entry name,
// bools as 0 and 1, reals in the shortest exact form). Saving replaces an
// earlier section of the same repository name. Loading matches parameters
// by name, ignores names the repository does not have and skips read-only
// parameters (while read-only checking is on).

#include "KvParameterRepository.h"
#include "KvXMLDocument.h"

class KvPersistentRepository : public KvParameterRepository {
public:
    KvPersistentRepository() = default;

    // Saves the stored values (the get hook does not run: saving asks no
    // device for fresh values). The document's current element is the same
    // afterwards.
    virtual KvResult SaveToXML(KvXMLDocument& doc) const;
    // Loads in two passes. First every value of the section is read and
    // checked (type, range, entries); any fault fails the load with 5 or 18
    // and changes nothing; a missing section gives 9. Then each value is set
    // through SetParameter in document order, so that OnParameterSet runs
    // with its flag false. When a hook refuses, the values already set are
    // set back to what they were, newest first, and the refusal's code is
    // returned. InternalLoad runs last, with the section current.
    virtual KvResult LoadFromXML(KvXMLDocument& doc);

    // Whether parameters with a group are saved inside <group> elements.
    void GroupParametersInXML(bool group);
    bool IsGroupingParametersInXML() const;

protected:
    // Sections of derived classes, inside this repository's section (which
    // is current when they run). The defaults do nothing.
    virtual KvResult InternalSave(KvXMLDocument& doc) const;
    virtual KvResult InternalLoad(KvXMLDocument& doc);

private:
    struct Pending;
    KvResult FindSection(KvXMLDocument& doc) const;
    KvResult ReadSection(KvXMLDocument& doc, std::vector<Pending>& pending);
    KvResult ReadParameter(KvXMLDocument& doc, std::vector<Pending>& pending);
    KvResult Apply(std::vector<Pending>& pending);

    bool m_bGroupInXML = false;
};
