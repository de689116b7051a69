#include "KvPersistentRepository.h"

#include <algorithm>

namespace {

constexpr const char* kSection = "repository";
constexpr const char* kParameter = "parameter";
constexpr const char* kGroup = "group";

// Returns the document to where it was when the guard was made.
class LocationGuard {
public:
    explicit LocationGuard(KvXMLDocument& doc) : m_Doc(doc), m_bPushed(doc.PushLocation() == 0) {}
    ~LocationGuard() {
        if (m_bPushed) {
            m_Doc.PopLocation();
        }
    }
    LocationGuard(const LocationGuard&) = delete;
    LocationGuard& operator=(const LocationGuard&) = delete;

private:
    KvXMLDocument& m_Doc;
    bool m_bPushed;
};

}  // namespace

struct KvPersistentRepository::Pending {
    uint32_t m_nIndex;
    KvString m_sName;
    KvString m_sValue;
    KvString m_sPrevious;
};

void KvPersistentRepository::GroupParametersInXML(bool group) {
    m_bGroupInXML = group;
}
bool KvPersistentRepository::IsGroupingParametersInXML() const {
    return m_bGroupInXML;
}

KvResult KvPersistentRepository::InternalSave(KvXMLDocument&) const {
    return KvCode::OK;
}
KvResult KvPersistentRepository::InternalLoad(KvXMLDocument&) {
    return KvCode::OK;
}

// Moves to this repository's section among the children of the current
// element; 6 (nothing recorded, current element unchanged) when there is none.
KvResult KvPersistentRepository::FindSection(KvXMLDocument& doc) const {
    const KvString name = GetRepositoryName();
    if (doc.GoToElement(kSection) != 0) {
        return KvCode::NOT_FOUND;
    }
    do {
        KvString candidate;
        if (doc.GetAttribute("name", candidate) == 0 && candidate == name) {
            return KvCode::OK;
        }
    } while (doc.GoToNext(kSection) == 0);
    doc.GoToParent();
    return KvCode::NOT_FOUND;
}

KvResult KvPersistentRepository::SaveToXML(KvXMLDocument& doc) const {
    auto& self = const_cast<KvPersistentRepository&>(*this);
    if (!doc.IsLoaded()) {
        return self.KV_ERROR("No XML document to save into", KvCode::NOT_INITIALIZED);
    }
    LocationGuard back(doc);
    if (FindSection(doc) == 0) {
        doc.DeleteCurrentElement();
    }
    const KvString name = GetRepositoryName();
    // A failed save takes its half-written section out again.
    auto fail = [&] {
        self.SetErrorInfo(doc);
        doc.PopLocation();
        doc.PushLocation();
        if (FindSection(doc) == 0) {
            doc.DeleteCurrentElement();
        }
        return self.GetErrorInfo();
    };
    if (doc.CreateElement(kSection) != 0 || doc.SetAttribute("name", name) != 0) {
        return fail();
    }
    // Ungrouped parameters first, then one element per group in the order
    // the groups first appear.
    std::vector<KvParameterInfo> ungrouped;
    std::vector<std::pair<KvString, std::vector<KvParameterInfo>>> groups;
    for (uint32_t i = 0, n = GetParameterCount(); i < n; ++i) {
        KvParameterInfo info;
        if (GetParameterInfo(i, info) != 0) {
            continue;
        }
        if (!m_bGroupInXML || info.m_sGroup.IsEmpty()) {
            ungrouped.push_back(std::move(info));
            continue;
        }
        auto it = std::ranges::find(groups, info.m_sGroup, [](const auto& g) { return g.first; });
        if (it == groups.end()) {
            groups.emplace_back(info.m_sGroup, std::vector<KvParameterInfo>{});
            it = groups.end() - 1;
        }
        it->second.push_back(std::move(info));
    }
    auto write = [&](const KvParameterInfo& info) {
        if (doc.CreateElement(kParameter) != 0) {
            return false;
        }
        const bool ok = doc.SetAttribute("name", info.m_sName) == 0 &&
                        doc.SetAttribute("type", KvParameterTypeName(info.m_nType)) == 0 &&
                        doc.SetValue(info.m_sValue) == 0;
        return doc.GoToParent() == 0 && ok;
    };
    for (const KvParameterInfo& info : ungrouped) {
        if (!write(info)) {
            return fail();
        }
    }
    for (const auto& [group, members] : groups) {
        if (doc.CreateElement(kGroup) != 0 || doc.SetAttribute("name", group) != 0) {
            return fail();
        }
        for (const KvParameterInfo& info : members) {
            if (!write(info)) {
                return fail();
            }
        }
        doc.GoToParent();
    }
    return InternalSave(doc);
}

// Reads the <parameter> element that is current into pending, after checking
// that the repository would take its value.
KvResult KvPersistentRepository::ReadParameter(KvXMLDocument& doc, std::vector<Pending>& pending) {
    KvString name, typeName, value;
    if (doc.GetAttribute("name", name) != 0) {
        return KV_ERROR("A parameter element in the XML document has no name", KvCode::BAD_XML);
    }
    uint32_t index = 0;
    if (GetIndex(name, index) != 0) {
        return KvCode::OK;  // saved by another version or another device; not ours
    }
    KvParameterInfo info;
    GetParameterInfo(index, info);
    if ((info.m_nAttributes & KV_ATTRIBUTE_READ_ONLY) && IsReadOnlyCheckingEnabled()) {
        return KvCode::OK;
    }
    if (doc.GetAttribute("type", typeName) == 0 &&
        KvParameterTypeFromName(typeName.view()) != info.m_nType) {
        return KV_ERROR("Parameter \"" + name + "\" is saved as " + typeName + " but is of type " +
                            KvParameterTypeName(info.m_nType),
                        KvCode::WRONG_TYPE);
    }
    doc.GetValue(value);
    if (const KvResult r = TestParameterText(index, value); r != 0) {
        return r;
    }
    std::erase_if(pending, [index](const Pending& p) { return p.m_nIndex == index; });
    pending.push_back({index, name, value, info.m_sValue});
    return KvCode::OK;
}

KvResult KvPersistentRepository::ReadSection(KvXMLDocument& doc, std::vector<Pending>& pending) {
    LocationGuard back(doc);
    for (KvResult r = doc.GoToFirstChild(); r == 0; r = doc.GoToNext()) {
        KvString element;
        doc.GetElementName(element);
        if (element == kParameter) {
            if (const KvResult e = ReadParameter(doc, pending); e != 0) {
                return e;
            }
        } else if (element == kGroup) {
            LocationGuard group(doc);
            for (KvResult g = doc.GoToElement(kParameter); g == 0; g = doc.GoToNext(kParameter)) {
                if (const KvResult e = ReadParameter(doc, pending); e != 0) {
                    return e;
                }
            }
        }
    }
    return KvCode::OK;
}

KvResult KvPersistentRepository::Apply(std::vector<Pending>& pending) {
    for (size_t i = 0; i < pending.size(); ++i) {
        if (const KvResult r = SetParameterByIndex(pending[i].m_nIndex, pending[i].m_sValue);
            r != 0) {
            KvErrorInfo refusal;
            GetErrorInfo(&refusal);
            KvString restored = "the values loaded before it were set back";
            for (size_t j = i; j-- > 0;) {
                if (SetParameterByIndex(pending[j].m_nIndex, pending[j].m_sPrevious) != 0) {
                    restored = "setting back \"" + pending[j].m_sName + "\" failed too";
                }
            }
            return KV_ERROR("Loading \"" + GetRepositoryName() + "\" stopped at \"" +
                                pending[i].m_sName + "\" (" + refusal.m_sMessage + "); " + restored,
                            r);
        }
    }
    return KvCode::OK;
}

KvResult KvPersistentRepository::LoadFromXML(KvXMLDocument& doc) {
    if (!doc.IsLoaded()) {
        return KV_ERROR("No XML document to load from", KvCode::NOT_INITIALIZED);
    }
    LocationGuard back(doc);
    if (FindSection(doc) != 0) {
        return KV_ERROR("No settings for \"" + GetRepositoryName() + "\" in the XML document",
                        KvCode::MISSING_XML);
    }
    std::vector<Pending> pending;
    if (const KvResult r = ReadSection(doc, pending); r != 0) {
        KvErrorInfo why;
        GetErrorInfo(&why);
        return KV_ERROR("Nothing loaded for \"" + GetRepositoryName() + "\": " + why.m_sMessage, r);
    }
    if (const KvResult r = Apply(pending); r != 0) {
        return r;
    }
    return InternalLoad(doc);
}
