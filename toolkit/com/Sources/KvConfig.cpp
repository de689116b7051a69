// Device entries of the connection configuration and the parameters that
// read and write the current one.

#include "KvConfig.h"

#include <limits>
#include <string_view>

namespace {

constexpr int64_t INT32_LIMIT = std::numeric_limits<int32_t>::max();

struct IntegerParameter {
    uint32_t m_nId;
    const char* m_pName;
    int64_t m_nMin;
    int64_t m_nMax;
    int64_t m_nDefault;
    const char* m_pDescription;
};

// Time-outs follow the usual GigE Vision figures: an acknowledge is due well
// within half a second, a whole image within a few seconds. The packet size
// is a whole IP datagram, so 1500 fills a standard Ethernet frame; the
// heartbeat is sent every second and a device forgets its controller after
// three silent seconds, its own default.
constexpr IntegerParameter INTEGER_PARAMETERS[] = {
    {KvConfigParam::ANSWER_TIMEOUT, "Answer Timeout", 0, INT32_LIMIT, 500,
     "Time to wait for the acknowledge of a command (ms)"},
    {KvConfigParam::FIRST_PACKET_TIMEOUT, "First Packet Timeout", 0, INT32_LIMIT, 0,
     "Time to wait for the first packet of an image (ms); 0 leaves it to the request time-out"},
    {KvConfigParam::PACKET_TIMEOUT, "Packet Timeout", 0, INT32_LIMIT, 500,
     "Time to wait between two packets of an image (ms)"},
    {KvConfigParam::REQUEST_TIMEOUT, "Request Timeout", 0, INT32_LIMIT, 5000,
     "Time to wait for a whole image (ms)"},
    {KvConfigParam::PACKET_SIZE, "Packet Size", 576, 65535, 1500,
     "Size of a stream packet as a whole IP datagram (bytes)"},
    {KvConfigParam::RETRY_COUNT, "Command Retry Count", 0, 100, 3,
     "Times a command is sent again after its acknowledge timed out"},
    {KvConfigParam::HEARTBEAT_INTERVAL, "Heartbeat Interval", 100, INT32_LIMIT, 1000,
     "Time between two heartbeats of a controlling connection (ms)"},
    {KvConfigParam::HEARTBEAT_EXPIRATION, "Heartbeat Expiration", 500, INT32_LIMIT, 3000,
     "Time after which a device without heartbeat drops its controller (ms)"},
    {KvConfigParam::MULTI_TARGET_MODE, "Multi-target Mode", 0, 2, 0,
     "0 unicast, 1 multicast, 2 multi-unicast"},
    {KvConfigParam::MASTER, "Master", 0, 1, 1,
     "1 when this application controls the device of a multi-target group"},
};

struct TextParameter {
    uint32_t m_nId;
    const char* m_pName;
    const char* m_pDescription;
};

constexpr TextParameter TEXT_PARAMETERS[] = {
    {KvConfigParam::ADAPTER_ID, "Adapter ID", "Host network adapter that reaches the device"},
    {KvConfigParam::IP_ADDRESS, "IP Address", "Device address written [a.b.c.d]"},
    {KvConfigParam::MAC_ADDRESS, "MAC Address", "Device hardware address"},
    {KvConfigParam::DEVICE_NAME, "Device Name", "Name of the device entry"},
    {KvConfigParam::CAMERA_TYPE, "Camera Type", "Camera registry name of the attached camera"},
    {KvConfigParam::MULTICAST_ADDRESS, "Multicast Address", "Group address written [a.b.c.d]"},
    {KvConfigParam::DEVICE_DETAIL_1, "Device Detail 1", "Kept as the device finder reported it"},
    {KvConfigParam::DEVICE_DETAIL_2, "Device Detail 2", "Kept as the device finder reported it"},
};

struct ModeName {
    int64_t m_nValue;
    const char* m_pName;
};

constexpr ModeName COMMUNICATION_MODES[] = {
    {KvCommunicationMode::NONE, "None"},
    {KvCommunicationMode::REDEZE_SOCKETS, "ZE Redeze Sockets"},
    {KvCommunicationMode::REDEZE_DRIVER, "ZE Redeze Driver"},
    {KvCommunicationMode::REDEZE_LEGACY, "ZE Redeze Legacy"},
    {KvCommunicationMode::REDEZE_COMPATIBILITY_SOCKETS, "ZE Redeze Compatibility Sockets"},
    {KvCommunicationMode::GIGE_VISION_DRIVER, "GigE Vision Driver"},
    {KvCommunicationMode::GIGE_VISION_SOCKETS, "GigE Vision Sockets"},
};

// True for "[a.b.c.d]" with each part a decimal of 0 to 255 (at most three
// digits), and for "" and "[]", which stand for no address.
bool KvIsConfigAddress(std::string_view text) {
    if (text.empty() || text == "[]") {
        return true;
    }
    if (text.size() < 9 || text.front() != '[' || text.back() != ']') {
        return false;
    }
    std::string_view rest = text.substr(1, text.size() - 2);
    for (int part = 0; part < 4; ++part) {
        int value = 0;
        size_t digits = 0;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
            value = value * 10 + (rest[digits] - '0');
            if (++digits > 3) {
                return false;
            }
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        rest.remove_prefix(digits);
        if (part < 3) {
            if (rest.empty() || rest.front() != '.') {
                return false;
            }
            rest.remove_prefix(1);
        }
    }
    return rest.empty();
}

}  // namespace

KvConfig::KvConfig() {
    SetRepositoryName(XML_SECTION);
    RegisterParameters();
    for (uint32_t id = KvConfigParam::ANSWER_TIMEOUT; id < KvConfigParam::COUNT; ++id) {
        KvParameterInfo info;
        GetParameterInfo(id, info);
        m_Defaults[id] = info.m_sDefault;
    }
}

// Registered in identifier order, so that index and identifier are equal.
void KvConfig::RegisterParameters() {
    using namespace KvConfigParam;
    AddParameter("Device Count", KvParameterType::INT64, DEVICE_COUNT, "Number of device entries");
    SetParameterRange(DEVICE_COUNT, int64_t{0}, std::numeric_limits<int64_t>::max());
    SetAttributes(DEVICE_COUNT, KV_ATTRIBUTE_READ_ONLY);
    AddParameter("Current Device", KvParameterType::INT64, CURRENT_DEVICE,
                 "Position of the current device entry; writing it selects another entry");
    SetParameterRange(CURRENT_DEVICE, int64_t{0}, INT32_LIMIT);

    for (uint32_t id = ANSWER_TIMEOUT; id < COUNT; ++id) {
        if (id == COMMUNICATION_MODE) {
            AddParameter("Communication Mode", KvParameterType::ENUM, id,
                         "How the host reaches the device");
            SetParameterRange(id, int64_t{0}, int64_t{6});
            for (const ModeName& mode : COMMUNICATION_MODES) {
                AddEnumParameterValue(id, mode.m_pName, mode.m_nValue);
            }
            continue;
        }
        for (const IntegerParameter& p : INTEGER_PARAMETERS) {
            if (p.m_nId == id) {
                AddParameter(p.m_pName, KvParameterType::INT64, id, p.m_pDescription);
                SetParameterRange(id, p.m_nMin, p.m_nMax);
                SetParameterDefault(id, p.m_nDefault);
            }
        }
        for (const TextParameter& p : TEXT_PARAMETERS) {
            if (p.m_nId == id) {
                AddParameter(p.m_pName, KvParameterType::TEXT, id, p.m_pDescription);
            }
        }
    }
}

KvResult KvConfig::AddDevice() {
    std::lock_guard lock(m_mEntries);
    m_Entries.push_back(m_Defaults);
    return Select(m_Entries.size() - 1);
}

KvResult KvConfig::DeleteDevice() {
    std::lock_guard lock(m_mEntries);
    if (!HasCurrent()) {
        return NoEntry("No device entry to delete");
    }
    m_Entries.erase(m_Entries.begin() + static_cast<std::ptrdiff_t>(m_nCurrent));
    if (m_nCurrent >= m_Entries.size()) {
        m_nCurrent = m_Entries.empty() ? 0 : m_Entries.size() - 1;
    }
    MirrorAll();
    return KvCode::OK;
}

KvResult KvConfig::GoFirst() {
    std::lock_guard lock(m_mEntries);
    return m_Entries.empty() ? NoEntry("The configuration holds no device entry") : Select(0);
}

KvResult KvConfig::GoLast() {
    std::lock_guard lock(m_mEntries);
    return m_Entries.empty() ? NoEntry("The configuration holds no device entry")
                             : Select(m_Entries.size() - 1);
}

KvResult KvConfig::GoNext() {
    std::lock_guard lock(m_mEntries);
    if (!HasCurrent() || m_nCurrent + 1 >= m_Entries.size()) {
        return NoEntry("No device entry after the current one");
    }
    return Select(m_nCurrent + 1);
}

KvResult KvConfig::GoPrevious() {
    std::lock_guard lock(m_mEntries);
    if (!HasCurrent() || m_nCurrent == 0) {
        return NoEntry("No device entry before the current one");
    }
    return Select(m_nCurrent - 1);
}

KvResult KvConfig::FindDeviceByName(const KvString& name) {
    std::lock_guard lock(m_mEntries);
    for (size_t i = 0; i < m_Entries.size(); ++i) {
        if (m_Entries[i][KvConfigParam::DEVICE_NAME] == name) {
            return Select(i);
        }
    }
    return KV_ERROR(KvString::Format("No device entry named \"%s\"", name.c_str_ascii()),
                    KvCode::NOT_FOUND);
}

size_t KvConfig::GetDeviceCount() const {
    std::lock_guard lock(m_mEntries);
    return m_Entries.size();
}

size_t KvConfig::GetCurrentDevice() const {
    std::lock_guard lock(m_mEntries);
    return HasCurrent() ? m_nCurrent : 0;
}

KvResult KvConfig::Select(size_t position) {
    m_nCurrent = position;
    MirrorAll();
    return KvCode::OK;
}

KvResult KvConfig::NoEntry(const char* what) {
    return KV_ERROR(what, KvCode::NOT_FOUND);
}

void KvConfig::MirrorAll() {
    for (uint32_t id = 0; id < KvConfigParam::COUNT; ++id) {
        Mirror(id);
    }
}

void KvConfig::Mirror(uint32_t id) {
    std::lock_guard lock(m_mEntries);
    ++m_nMirroring;
    if (id == KvConfigParam::DEVICE_COUNT) {
        // Read-only: the default is the one way to store it without a write.
        SetParameterDefault(id, static_cast<int64_t>(m_Entries.size()));
    } else if (id == KvConfigParam::CURRENT_DEVICE) {
        SetParameter(id, static_cast<int64_t>(HasCurrent() ? m_nCurrent : 0));
    } else if (id < KvConfigParam::COUNT) {
        SetParameter(id, HasCurrent() ? m_Entries[m_nCurrent][id] : m_Defaults[id]);
    }
    --m_nMirroring;
}

KvResult KvConfig::OnParameterGet(uint32_t, uint32_t id, const KvString&) {
    // The entries are the truth; the stored value may lag behind a write
    // from another thread, so every read refreshes it first.
    Mirror(id);
    return KvCode::OK;
}

KvResult KvConfig::OnParameterSet(uint32_t, uint32_t id, const KvString& name, bool bCheckOnly,
                                  const KvString& textValue, int64_t intValue, double) {
    std::lock_guard lock(m_mEntries);
    if (m_nMirroring > 0) {
        return KvCode::OK;
    }
    if (id == KvConfigParam::DEVICE_COUNT) {
        return KV_ERROR("The device count follows the device entries and cannot be set",
                        KvCode::READ_ONLY);
    }
    if (id == KvConfigParam::CURRENT_DEVICE) {
        if (m_Entries.empty() && intValue == 0) {
            return KvCode::OK;
        }
        if (intValue < 0 || static_cast<uint64_t>(intValue) >= m_Entries.size()) {
            return KV_ERROR(KvString::Format("No device entry at position %I64i (%zu entries)",
                                             intValue, m_Entries.size()),
                            KvCode::INVALID_ARGUMENT);
        }
        if (!bCheckOnly) {
            m_nCurrent = static_cast<size_t>(intValue);
            MirrorAll();
        }
        return KvCode::OK;
    }
    if (!IsEntryParameterId(id)) {
        return KvCode::OK;
    }
    if (!HasCurrent()) {
        return KV_ERROR("\"" + name + "\" needs a device entry: add a device first",
                        KvCode::WRONG_STATE);
    }
    if ((id == KvConfigParam::IP_ADDRESS || id == KvConfigParam::MULTICAST_ADDRESS) &&
        !KvIsConfigAddress(textValue.view())) {
        return KV_ERROR("\"" + name + "\" must be written [a.b.c.d], not \"" + textValue + "\"",
                        KvCode::INVALID_ARGUMENT);
    }
    if (!bCheckOnly) {
        m_Entries[m_nCurrent][id] = textValue;
    }
    return KvCode::OK;
}

void KvConfig::TakeEntriesFrom(KvConfig& other) {
    std::scoped_lock lock(m_mEntries, other.m_mEntries);
    m_Entries = std::move(other.m_Entries);
    m_nCurrent = other.m_nCurrent;
    other.m_Entries.clear();
    MirrorAll();
}
