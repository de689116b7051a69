#include "KvDevice.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "GvcpClient.h"
#include "KvConfig.h"
#include "KvDeviceRegisters.h"
#include "KvGvcp.h"
#include "KvMacText.h"

namespace {

namespace Cfg = KvConfigParam;

constexpr int64_t MULTICAST = 1;

// Set while the device itself stores a value its users may only read.
thread_local bool t_bInternalStore = false;

bool IsReadOnlyForUsers(uint32_t id) {
    return id == KvDeviceParam::COMMUNICATION_MODE || id == KvDeviceParam::CONTROL ||
           id == KvDeviceParam::DATA_CHANNELS;
}

// "[a.b.c.d]" or "a.b.c.d" to "a.b.c.d".
KvString WithoutBrackets(const KvString& text) {
    std::string s = text.str();
    if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
        s = s.substr(1, s.size() - 2);
    }
    return KvString(s);
}

template <typename T>
T ReadOr(const KvConfig& config, uint32_t id, T fallback) {
    T value{};
    return config.GetParameter(id, value) == KvCode::OK ? value : fallback;
}

}  // namespace

KvDevice::KvDevice() : m_pClient(std::make_unique<GvcpClient>()) {
    SetRepositoryName("KvDevice");
    RegisterParameters();
}

KvDevice::~KvDevice() {
    Disconnect();
}

void KvDevice::RegisterParameters() {
    using namespace KvDeviceParam;
    AddParameter("Communication Mode", KvParameterType::INT64, COMMUNICATION_MODE,
                 "Communication mode of the connection; 0 while not connected");
    AddParameter("Device Name", KvParameterType::TEXT, DEVICE_NAME,
                 "User-defined name of the device");
    AddParameter("Connection Losses", KvParameterType::INT64, CONNECTION_LOSSES,
                 "How often the device was lost since this was set to 0");
    SetParameterRange(CONNECTION_LOSSES, 0, INT64_MAX);
    AddParameter("Control", KvParameterType::INT64, CONTROL,
                 "0 while connected as a multicast slave, else 1");
    SetParameterDefault(CONTROL, int64_t{1});
    AddParameter("Data Channels", KvParameterType::INT64, DATA_CHANNELS,
                 "Number of stream channels of the device");
    AddParameter("Command Port", KvParameterType::UINT16, COMMAND_PORT,
                 "Local port of the control channel; 0 lets the system choose");
    AddParameter("Interrupt Port", KvParameterType::UINT16, INTERRUPT_PORT,
                 "Local port of the interrupt channel; 0 lets the system choose");
    AddParameter("Data Port", KvParameterType::UINT16, DATA_PORT,
                 "First local port of the data channels; 0 lets the system choose");
    AddParameter("Automatic Packet Size", KvParameterType::BOOL, AUTOMATIC_PACKET_SIZE,
                 "Let the data channels find the largest packet size");
}

KvResult KvDevice::OnParameterSet(uint32_t, uint32_t id, const KvString& name, bool,
                                  const KvString&, int64_t, double) {
    if (IsReadOnlyForUsers(id) && !t_bInternalStore) {
        return KV_ERROR("The device parameter \"" + name.str() + "\" is read-only",
                        KvCode::READ_ONLY);
    }
    return KvCode::OK;
}

void KvDevice::Store(uint32_t id, int64_t value) {
    t_bInternalStore = true;
    SetParameter(id, value);
    t_bInternalStore = false;
}

KvResult KvDevice::Connect(const KvConfig& config, uint32_t flags) {
    if (m_bConnected) {
        return KV_ERROR("The device is already connected", KvCode::ALREADY_CONNECTED);
    }
    KvString ipText;
    if (config.GetParameter(Cfg::IP_ADDRESS, ipText) != KvCode::OK) {
        return SetErrorInfo(config);
    }
    const KvString ip = WithoutBrackets(ipText);
    if (!Gvcp::ParseIp(ip.view())) {
        return KV_ERROR(
            "The configuration holds no valid device IP address: \"" + ipText.str() + "\"",
            KvCode::WRONG_STATE);
    }
    const int64_t mode = ReadOr<int64_t>(config, Cfg::COMMUNICATION_MODE, 0);
    const bool slave = ReadOr<int64_t>(config, Cfg::MULTI_TARGET_MODE, 0) == MULTICAST &&
                       ReadOr<int64_t>(config, Cfg::MASTER, 1) == 0;

    GvcpClient& client = *m_pClient;
    client.SetAnswerTimeout(ReadOr<uint32_t>(config, Cfg::ANSWER_TIMEOUT, 500));
    client.SetRetryCount(ReadOr<uint32_t>(config, Cfg::RETRY_COUNT, 3));
    uint16_t commandPort = 0;
    GetParameter(KvDeviceParam::COMMAND_PORT, commandPort);
    if (client.Open(ip, "", Gvcp::PORT, commandPort) != KvCode::OK) {
        return SetErrorInfo(client);
    }
    // From here on every failure closes the channel again.
    auto fail = [&](const KvErrorInterface& source) {
        const KvResult code = SetErrorInfo(source);
        client.Close();
        return code;
    };
    if (flags & FLAG_SET_IP_ON_CONNECT) {
        KvString mac;
        config.GetParameter(Cfg::MAC_ADDRESS, mac);
        if (ForceIp(ip, mac) != KvCode::OK) {
            client.Close();
            return GetErrorInfo();
        }
    }
    if (ReadDeviceFacts() != KvCode::OK) {
        client.Close();
        return GetErrorInfo();
    }
    if (!slave && client.TakeControl() != KvCode::OK) {
        return fail(client);
    }
    m_bLost = false;
    const uint32_t interval = ReadOr<uint32_t>(config, Cfg::HEARTBEAT_INTERVAL, 1000);
    const uint32_t expiration = ReadOr<uint32_t>(config, Cfg::HEARTBEAT_EXPIRATION, 3000);
    if (interval > 0 && client.StartHeartbeat(interval, expiration, [this](KvResult code) {
            OnLoss(code);
        }) != KvCode::OK) {
        if (client.HasControl()) {
            client.ReleaseControl();
        }
        return fail(client);
    }
    m_nFlags = flags;
    Store(KvDeviceParam::COMMUNICATION_MODE, KvCommunicationMode::IsGigEVision(mode)
                                                 ? mode
                                                 : KvCommunicationMode::GIGE_VISION_SOCKETS);
    Store(KvDeviceParam::CONTROL, slave ? 0 : 1);
    SetParameter(KvDeviceParam::COMMAND_PORT, client.Local().m_nPort);
    m_bConnected = true;
    ClearErrorInfo();
    return KvCode::OK;
}

KvResult KvDevice::ForceIp(const KvString& ip, const KvString& macText) {
    const auto mac = KvParseMac(macText.view());
    if (!mac) {
        return KV_ERROR("Cannot set the IP address: the configuration holds no valid MAC address",
                        KvCode::WRONG_STATE);
    }
    // A /24 network is the usual camera network; the gateway stays unset.
    if (m_pClient->ForceIp(*mac, *Gvcp::ParseIp(ip.view()), 0xFFFFFF00u, 0) != KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    return KvCode::OK;
}

// What the device tells about itself once: our marker, its channels, its name.
KvResult KvDevice::ReadDeviceFacts() {
    GvcpClient& client = *m_pClient;
    std::vector<uint8_t> info(Gvcp::Reg::MANUFACTURER_INFO_SIZE);
    if (client.ReadMemory(Gvcp::Reg::MANUFACTURER_INFO, info) != KvCode::OK) {
        return SetErrorInfo(client);
    }
    const std::string_view marker = KvDeviceReg::EXTENSION_MARKER;
    m_bOurDevice =
        info.size() >= marker.size() && std::memcmp(info.data(), marker.data(), marker.size()) == 0;
    uint32_t channels = 0;
    if (client.ReadRegister(Gvcp::Reg::STREAM_CHANNELS, channels) != KvCode::OK) {
        return SetErrorInfo(client);
    }
    Store(KvDeviceParam::DATA_CHANNELS, channels);
    KvString name;
    GetParameter(KvDeviceParam::DEVICE_NAME, name);
    if (name.IsEmpty()) {
        std::vector<uint8_t> user(Gvcp::Reg::SHORT_FIELD_SIZE);
        if (client.ReadMemory(Gvcp::Reg::USER_NAME, user) != KvCode::OK) {
            return SetErrorInfo(client);
        }
        const auto end = std::find(user.begin(), user.end(), uint8_t{0});
        SetParameter(KvDeviceParam::DEVICE_NAME, KvString(std::string(user.begin(), end)));
    }
    return KvCode::OK;
}

KvResult KvDevice::Disconnect() {
    if (!m_bConnected) {
        return KvCode::OK;
    }
    GvcpClient& client = *m_pClient;
    client.StopHeartbeat();
    KvResult result = KvCode::OK;
    // A lost device is not asked: it either does not answer or already dropped us.
    if (client.HasControl() && !m_bLost && client.ReleaseControl() != KvCode::OK) {
        result = SetErrorInfo(client);
    }
    client.Close();
    m_bConnected = false;
    Store(KvDeviceParam::COMMUNICATION_MODE, 0);
    Store(KvDeviceParam::CONTROL, 1);
    Store(KvDeviceParam::DATA_CHANNELS, 0);
    return result;
}

bool KvDevice::IsConnected() const {
    return m_bConnected && !m_bLost;
}

void KvDevice::OnLoss(KvResult code) {
    m_bLost = true;
    int64_t losses = 0;
    GetParameter(KvDeviceParam::CONNECTION_LOSSES, losses);
    SetParameter(KvDeviceParam::CONNECTION_LOSSES, losses + 1);
    KV_ERROR(code == KvCode::ACCESS_DENIED ? "The device withdrew the control privilege"
                                           : "The connection to the device was lost",
             code);
    Raise(CALLBACK_EVENT, EVENT_CONNECTION_LOST, code);
}

KvResult KvDevice::CheckConnected() {
    if (!m_bConnected) {
        return KV_ERROR("The device is not connected", KvCode::NOT_CONNECTED);
    }
    if (m_bLost) {
        return KV_ERROR("The connection to the device was lost", KvCode::CONNECTION_LOST);
    }
    return KvCode::OK;
}

KvResult KvDevice::Reset() {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    return KV_ERROR("The device offers no reset over its control channel", KvCode::NOT_SUPPORTED);
}

KvResult KvDevice::SaveConfiguration(bool saveIp, bool saveName, bool saveConfig, bool saveState) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (saveIp || saveConfig || saveState) {
        return KV_ERROR("The device cannot keep its IP address, configuration or state",
                        KvCode::NOT_SUPPORTED);
    }
    if (saveName) {
        KvString name;
        GetParameter(KvDeviceParam::DEVICE_NAME, name);
        std::vector<uint8_t> field(Gvcp::Reg::SHORT_FIELD_SIZE, 0);
        if (name.str().size() >= field.size()) {
            return KV_ERROR("The device name is longer than 15 characters",
                            KvCode::INVALID_ARGUMENT);
        }
        std::memcpy(field.data(), name.str().data(), name.str().size());
        if (m_pClient->WriteMemory(Gvcp::Reg::USER_NAME, field) != KvCode::OK) {
            return SetErrorInfo(*m_pClient);
        }
    }
    return KvCode::OK;
}

KvResult KvDevice::ReadRegister(uint32_t address, uint32_t* value, uint32_t) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (!value) {
        return KV_ERROR("ReadRegister: no place for the value", KvCode::INVALID_ARGUMENT);
    }
    if (m_pClient->ReadRegister(address, *value) != KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    return KvCode::OK;
}

KvResult KvDevice::WriteRegister(uint32_t address, uint32_t value, uint32_t) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (m_pClient->WriteRegister(address, value) != KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    return KvCode::OK;
}

KvResult KvDevice::ReadRegisters(const uint32_t* addresses, uint32_t* values, uint32_t count,
                                 uint32_t) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (count > 0 && (!addresses || !values)) {
        return KV_ERROR("ReadRegisters: no addresses or no place for the values",
                        KvCode::INVALID_ARGUMENT);
    }
    if (m_pClient->ReadRegisters(std::span(addresses, count), std::span(values, count)) !=
        KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    return KvCode::OK;
}

KvResult KvDevice::ReadMemory(uint32_t address, void* buffer, uint32_t* count, uint32_t) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (!count || (*count > 0 && !buffer)) {
        return KV_ERROR("ReadMemory: no buffer or no count", KvCode::INVALID_ARGUMENT);
    }
    const uint32_t wanted = *count;
    *count = 0;
    if (m_pClient->ReadMemory(address, std::span(static_cast<uint8_t*>(buffer), wanted)) !=
        KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    *count = wanted;
    return KvCode::OK;
}

KvResult KvDevice::WriteMemory(uint32_t address, const void* buffer, uint32_t size, uint32_t) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (size > 0 && !buffer) {
        return KV_ERROR("WriteMemory: no data", KvCode::INVALID_ARGUMENT);
    }
    if (m_pClient->WriteMemory(address, std::span(static_cast<const uint8_t*>(buffer), size)) !=
        KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    return KvCode::OK;
}

KvResult KvDevice::GetId(uint8_t id[4]) {
    if (const KvResult r = CheckConnected(); r != KvCode::OK) {
        return r;
    }
    if (!m_bOurDevice) {
        return KV_ERROR("The device carries no camera identification", KvCode::NOT_SUPPORTED);
    }
    uint32_t value = 0;
    if (m_pClient->ReadRegister(KvDeviceReg::CAMERA_ID, value) != KvCode::OK) {
        return SetErrorInfo(*m_pClient);
    }
    id[0] = static_cast<uint8_t>(value >> 8);
    id[1] = static_cast<uint8_t>(value);
    id[2] = static_cast<uint8_t>(value >> 16);
    id[3] = static_cast<uint8_t>(value >> 24);
    return KvCode::OK;
}

KvResult KvDevice::RegisterCallback(uint32_t type, Callback callback, void* context) {
    if (type != CALLBACK_EVENT && type != CALLBACK_INTERRUPT) {
        return KV_ERROR("Unknown callback type " + std::to_string(type), KvCode::INVALID_ARGUMENT);
    }
    std::lock_guard lock(m_mCallbacks);
    m_Callbacks[type] = {callback, context};
    return KvCode::OK;
}

void KvDevice::Raise(uint32_t type, uint32_t event, uint32_t data) {
    Registration r;
    {
        std::lock_guard lock(m_mCallbacks);
        r = m_Callbacks[type];
    }
    if (r.m_pCallback) {
        r.m_pCallback(r.m_pContext, event, data);
    }
}
