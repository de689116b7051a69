// Saving and loading every device entry of the connection configuration.

#include <charconv>

#include "KvConfig.h"

namespace {

constexpr const char* DEVICE_ELEMENT = "device";
constexpr const char* PARAMETER_ELEMENT = "parameter";

// Reads a whole decimal number; false for anything else.
template <typename T>
bool ParseNumber(const KvString& text, T& value) {
    const char* first = text.c_str_ascii();
    const char* last = first + text.GetLength();
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && first != last;
}

// Probing for elements that may be missing records "not found" in the
// document; put back what the document held before.
class KvKeepDocumentError {
public:
    explicit KvKeepDocumentError(KvXMLDocument& doc) : m_Doc(doc) { m_Doc.GetErrorInfo(&m_Before); }
    ~KvKeepDocumentError() {
        if (m_Before.m_nCode == 0) {
            m_Doc.ClearErrorInfo();
        } else {
            m_Doc.SetErrorInfo(m_Before);
        }
    }
    KvKeepDocumentError(const KvKeepDocumentError&) = delete;
    KvKeepDocumentError& operator=(const KvKeepDocumentError&) = delete;

private:
    KvXMLDocument& m_Doc;
    KvErrorInfo m_Before;
};

}  // namespace

KvResult KvConfig::SaveToXML(KvXMLDocument& doc) const {
    std::lock_guard lock(m_mEntries);
    auto& self = const_cast<KvConfig&>(*this);
    if (doc.PushLocation() != 0) {
        return self.SetErrorInfo(doc);
    }
    {
        KvKeepDocumentError keep(doc);
        while (doc.DeleteElement(XML_SECTION) == 0) {
        }
    }
    KvResult r = doc.CreateElement(XML_SECTION);
    if (r == 0) {
        r = doc.SetAttribute("version", "1");
    }
    if (r == 0) {
        r = doc.SetAttribute("current", KvString::Format("%zu", HasCurrent() ? m_nCurrent : 0));
    }
    for (size_t i = 0; r == 0 && i < m_Entries.size(); ++i) {
        r = doc.CreateElement(DEVICE_ELEMENT);
        for (uint32_t id = KvConfigParam::ANSWER_TIMEOUT; r == 0 && id < KvConfigParam::COUNT;
             ++id) {
            KvString name;
            GetParameterNameByIndex(id, name);
            r = doc.CreateElement(PARAMETER_ELEMENT);
            if (r == 0) {
                r = doc.SetAttribute("id", KvString::Format("%u", id));
            }
            if (r == 0) {
                r = doc.SetAttribute("name", name);
            }
            if (r == 0) {
                r = doc.SetValue(m_Entries[i][id]);
            }
            if (r == 0) {
                r = doc.GoToParent();
            }
        }
        if (r == 0) {
            r = doc.GoToParent();
        }
    }
    if (r != 0) {
        self.SetErrorInfo(doc);
        // Leave no half-written section behind.
        doc.PopLocation();
        KvKeepDocumentError keep(doc);
        doc.DeleteElement(XML_SECTION);
        return GetErrorInfo();
    }
    doc.PopLocation();
    return KvCode::OK;
}

KvResult KvConfig::LoadFromXML(KvXMLDocument& doc) {
    if (doc.PushLocation() != 0) {
        return SetErrorInfo(doc);
    }
    if (doc.GoToElement(XML_SECTION) != 0) {
        doc.PopLocation();
        return KV_ERROR("No connection configuration found in the document", KvCode::NOT_FOUND);
    }
    // Read into a scratch configuration, so that a bad value anywhere in the
    // file leaves this one untouched.
    KvConfig scratch;
    const KvResult r = scratch.ReadSection(doc);
    doc.PopLocation();
    if (r != 0) {
        return SetErrorInfo(scratch);
    }
    TakeEntriesFrom(scratch);
    return KvCode::OK;
}

KvResult KvConfig::ReadSection(KvXMLDocument& doc) {
    KvString text;
    size_t current = 0;
    bool hasCurrent = false;
    {
        KvKeepDocumentError keep(doc);
        hasCurrent = doc.GetAttribute("current", text) == 0;
    }
    if (hasCurrent && !ParseNumber(text, current)) {
        return KV_ERROR("Connection configuration: bad current device \"" + text + "\"",
                        KvCode::INVALID_ARGUMENT);
    }
    bool more = false;
    {
        KvKeepDocumentError keep(doc);
        more = doc.GoToFirstChild() == 0;
    }
    while (more) {
        KvString element;
        doc.GetElementName(element);
        if (element == DEVICE_ELEMENT) {
            if (const KvResult r = ReadDevice(doc); r != 0) {
                return r;
            }
        }
        KvKeepDocumentError keep(doc);
        more = doc.GoToNext() == 0;
    }
    if (m_Entries.empty() ? current != 0 : current >= m_Entries.size()) {
        return KV_ERROR(KvString::Format("Connection configuration: current device %zu of %zu",
                                         current, m_Entries.size()),
                        KvCode::INVALID_ARGUMENT);
    }
    if (!m_Entries.empty()) {
        Select(current);
    }
    return KvCode::OK;
}

// Reads one <device> element (the current one) into a new entry.
KvResult KvConfig::ReadDevice(KvXMLDocument& doc) {
    AddDevice();
    const size_t position = m_Entries.size() - 1;
    bool more = false;
    {
        KvKeepDocumentError keep(doc);
        more = doc.GoToFirstChild() == 0;
    }
    if (!more) {
        return KvCode::OK;
    }
    KvResult r = KvCode::OK;
    while (r == 0 && more) {
        KvString element;
        doc.GetElementName(element);
        if (element == PARAMETER_ELEMENT) {
            KvString idText, value;
            uint32_t id = 0;
            {
                KvKeepDocumentError keep(doc);
                if (doc.GetAttribute("id", idText) != 0 || !ParseNumber(idText, id)) {
                    r = KV_ERROR(KvString::Format("Device entry %zu: a parameter without a "
                                                  "valid id",
                                                  position),
                                 KvCode::INVALID_ARGUMENT);
                    break;
                }
            }
            // Identifiers this version does not know, and the two that are not
            // stored per entry, are skipped: a newer file still loads.
            if (IsEntryParameterId(id)) {
                doc.GetValue(value);
                if (SetParameter(id, value) != 0) {
                    KvErrorInfo why;
                    GetErrorInfo(&why);
                    r = KV_ERROR(
                        KvString::Format("Device entry %zu, parameter %u: ", position, id) +
                            why.m_sMessage,
                        why.m_nCode);
                }
            }
        }
        KvKeepDocumentError keep(doc);
        more = doc.GoToNext() == 0;
    }
    doc.GoToParent();
    return r;
}
