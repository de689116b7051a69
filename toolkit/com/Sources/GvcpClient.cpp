#include "GvcpClient.h"

#include <algorithm>
#include <cstring>

#include "GvcpStatus.h"

using namespace Gvcp;
using Clock = std::chrono::steady_clock;

GvcpClient::~GvcpClient() {
    Close();
}

KvResult GvcpClient::Open(const KvString& deviceIp, const KvString& localIp, uint16_t devicePort,
                          uint16_t localPort) {
    Close();
    const auto device = ParseIp(deviceIp.view());
    if (!device) {
        return KV_ERROR("Invalid device IP address: " + deviceIp.str(), KvCode::INVALID_ARGUMENT);
    }
    std::optional<uint32_t> local = 0u;
    if (!localIp.IsEmpty()) {
        local = ParseIp(localIp.view());
    }
    if (!local) {
        return KV_ERROR("Invalid local IP address: " + localIp.str(), KvCode::INVALID_ARGUMENT);
    }
    std::lock_guard lock(m_mTransaction);
    if (const int error = m_Socket.Open({*local, localPort}); error != 0) {
        return SetErrorInfo("Cannot open the control socket: " + std::string(std::strerror(error)),
                            KvCode::NETWORK, __FILE__, __LINE__, static_cast<uint32_t>(error));
    }
    m_Device = {*device, devicePort};
    m_bControl = false;
    m_nConcatenation = -1;
    ClearErrorInfo();
    return KvCode::OK;
}

void GvcpClient::Close() {
    StopHeartbeat();
    std::lock_guard lock(m_mTransaction);
    m_Socket.Close();
    m_bControl = false;
}

bool GvcpClient::IsOpen() const {
    std::lock_guard lock(m_mTransaction);
    return m_Socket.IsOpen();
}

GvcpClient::Counters GvcpClient::GetCounters() const {
    std::lock_guard lock(m_mTransaction);
    return m_Counters;
}

uint16_t GvcpClient::NextRequestId() {
    // Ids wrap and skip 0, which is not a valid id.
    if (++m_nRequestId == 0) {
        m_nRequestId = 1;
    }
    return m_nRequestId;
}

KvResult GvcpClient::Transact(const std::function<Bytes(uint16_t)>& build, uint16_t expectedAck,
                              const AckCheck& check, Bytes& payload, uint32_t answerTimeoutMs,
                              uint32_t retries, KvErrorInterface& errors) {
    std::lock_guard lock(m_mTransaction);
    if (!m_Socket.IsOpen()) {
        return KV_SET_ERROR(errors, "Not connected", KvCode::NOT_CONNECTED);
    }
    const uint16_t id = NextRequestId();
    const Bytes request = build(id);
    if (request.empty()) {
        return KV_SET_ERROR(errors, "The request does not fit in one packet",
                            KvCode::INVALID_ARGUMENT);
    }
    ++m_Counters.m_nRequests;
    uint8_t buffer[MAX_PACKET + 1];
    for (uint32_t attempt = 0; attempt <= retries; ++attempt) {
        if (attempt > 0) {
            ++m_Counters.m_nResends;
        }
        if (const int error = m_Socket.SendTo(request, m_Device); error != 0) {
            return errors.SetErrorInfo(
                "Cannot send to the device: " + std::string(std::strerror(error)), KvCode::NETWORK,
                __FILE__, __LINE__, static_cast<uint32_t>(error));
        }
        auto deadline = Clock::now() + std::chrono::milliseconds(answerTimeoutMs);
        GvcpEndpoint from;
        while (auto size = m_Socket.ReceiveFrom(buffer, from, deadline)) {
            const auto ack =
                *size <= sizeof buffer ? ParseAck(ByteView(buffer, *size)) : std::nullopt;
            if (!(from == m_Device) || !ack || ack->m_Header.m_nAckId != id) {
                ++m_Counters.m_nIgnored;
                continue;
            }
            if (ack->m_Header.m_nAck == Ack::PENDING) {
                // The device asks for more time: wait that long on top of the time-out.
                if (const auto ms = ParsePendingAckPayload(ack->m_Payload)) {
                    deadline = Clock::now() + std::chrono::milliseconds(*ms + answerTimeoutMs);
                    continue;
                }
            }
            const bool refused = ack->m_Header.m_nStatus != Status::SUCCESS;
            if (ack->m_Header.m_nAck != expectedAck || (!refused && !check(*ack))) {
                ++m_Counters.m_nIgnored;
                continue;
            }
            payload.assign(ack->m_Payload.begin(), ack->m_Payload.end());
            if (refused) {
                const GvcpRefusal refusal = GvcpMapStatus(ack->m_Header.m_nStatus);
                char text[160];
                std::snprintf(text, sizeof text, "%s (status 0x%04X)", refusal.m_szText,
                              ack->m_Header.m_nStatus);
                return errors.SetErrorInfo(text, refusal.m_nCode, __FILE__, __LINE__,
                                           ack->m_Header.m_nStatus);
            }
            return KvCode::OK;
        }
    }
    return KV_SET_ERROR(errors,
                        "No answer from the device (" + std::to_string(retries + 1) + " tries of " +
                            std::to_string(answerTimeoutMs) + " ms)",
                        KvCode::TIMEOUT);
}

KvResult GvcpClient::Concatenation(bool& supported) {
    if (m_nConcatenation < 0) {
        const uint32_t address = Reg::GVCP_CAPABILITY;
        uint32_t capability = 0;
        if (const KvResult result =
                ReadRegisters(std::span(&address, 1), std::span(&capability, 1))) {
            return result;
        }
        m_nConcatenation = (capability & GVCP_CAP_CONCATENATION) ? 1 : 0;
    }
    supported = m_nConcatenation == 1;
    return KvCode::OK;
}

KvResult GvcpClient::ReadRegister(uint32_t address, uint32_t& value) {
    return ReadRegisters(std::span(&address, 1), std::span(&value, 1));
}

KvResult GvcpClient::ReadRegisters(std::span<const uint32_t> addresses,
                                   std::span<uint32_t> values) {
    if (addresses.empty() || values.size() < addresses.size()) {
        return KV_ERROR("No addresses, or too few places for the values", KvCode::INVALID_ARGUMENT);
    }
    size_t perRequest = MAX_REGISTERS_PER_READ;
    if (addresses.size() > 1) {
        bool several = false;
        if (const KvResult result = Concatenation(several)) {
            return result;
        }
        perRequest = several ? MAX_REGISTERS_PER_READ : 1;
    }
    for (size_t done = 0; done < addresses.size();) {
        const auto chunk = addresses.subspan(done, std::min(perRequest, addresses.size() - done));
        Bytes payload;
        const KvResult result =
            Request([&](uint16_t id) { return EncodeReadRegCommand(id, chunk); }, Ack::READREG,
                    [&](const Acknowledge& ack) {
                        return ParseReadRegAckPayload(ack.m_Payload, chunk.size()).has_value();
                    },
                    payload);
        if (result != KvCode::OK) {
            return result;
        }
        const auto read = ParseReadRegAckPayload(payload, chunk.size());
        std::copy(read->begin(), read->end(), values.begin() + static_cast<ptrdiff_t>(done));
        done += chunk.size();
    }
    return KvCode::OK;
}

KvResult GvcpClient::WriteRegister(uint32_t address, uint32_t value) {
    const RegisterWrite write{address, value};
    return WriteRegisters(std::span(&write, 1));
}

KvResult GvcpClient::WriteRegisters(std::span<const RegisterWrite> writes) {
    if (writes.empty()) {
        return KV_ERROR("No registers to write", KvCode::INVALID_ARGUMENT);
    }
    size_t perRequest = MAX_REGISTERS_PER_WRITE;
    if (writes.size() > 1) {
        bool several = false;
        if (const KvResult result = Concatenation(several)) {
            return result;
        }
        perRequest = several ? MAX_REGISTERS_PER_WRITE : 1;
    }
    for (size_t done = 0; done < writes.size();) {
        const auto chunk = writes.subspan(done, std::min(perRequest, writes.size() - done));
        Bytes payload;
        const KvResult result = Request(
            [&](uint16_t id) { return EncodeWriteRegCommand(id, chunk); }, Ack::WRITEREG,
            [](const Acknowledge& ack) { return ParseWriteAckPayload(ack.m_Payload).has_value(); },
            payload);
        if (result != KvCode::OK) {
            return result;
        }
        done += chunk.size();
    }
    return KvCode::OK;
}

KvResult GvcpClient::ReadMemory(uint32_t address, std::span<uint8_t> data) {
    if (address % 4 != 0) {
        return KV_ERROR("Memory address not a multiple of 4", KvCode::INVALID_ARGUMENT);
    }
    if (uint64_t{address} + data.size() > 0x100000000ull) {
        return KV_ERROR("Memory range beyond the device's address space", KvCode::INVALID_ARGUMENT);
    }
    for (size_t done = 0; done < data.size();) {
        const size_t want = std::min(MAX_MEMORY_BLOCK, data.size() - done);
        const auto count = static_cast<uint16_t>((want + 3) & ~size_t{3});
        const uint32_t at = address + static_cast<uint32_t>(done);
        Bytes payload;
        const KvResult result =
            Request([&](uint16_t id) { return EncodeReadMemCommand(id, at, count); }, Ack::READMEM,
                    [&](const Acknowledge& ack) {
                        return ParseReadMemAckPayload(ack.m_Payload, at, count).has_value();
                    },
                    payload);
        if (result != KvCode::OK) {
            return result;
        }
        std::copy_n(payload.begin() + 4, want, data.begin() + static_cast<ptrdiff_t>(done));
        done += want;
    }
    return KvCode::OK;
}

KvResult GvcpClient::WriteMemory(uint32_t address, std::span<const uint8_t> data) {
    if (address % 4 != 0 || data.size() % 4 != 0 || data.empty()) {
        return KV_ERROR("Memory address and size must be non-zero multiples of 4",
                        KvCode::INVALID_ARGUMENT);
    }
    for (size_t done = 0; done < data.size();) {
        const auto piece = data.subspan(done, std::min(MAX_MEMORY_BLOCK, data.size() - done));
        const uint32_t at = address + static_cast<uint32_t>(done);
        Bytes payload;
        const KvResult result = Request(
            [&](uint16_t id) { return EncodeWriteMemCommand(id, at, piece); }, Ack::WRITEMEM,
            [](const Acknowledge& ack) { return ParseWriteAckPayload(ack.m_Payload).has_value(); },
            payload);
        if (result != KvCode::OK) {
            return result;
        }
        done += piece.size();
    }
    return KvCode::OK;
}

KvResult GvcpClient::ForceIp(const MacAddress& mac, uint32_t ip, uint32_t mask, uint32_t gateway) {
    const ForceIpRequest request{mac, ip, mask, gateway};
    Bytes payload;
    return Request([&](uint16_t id) { return EncodeForceIpCommand(id, request); }, Ack::FORCEIP,
                   [](const Acknowledge&) { return true; }, payload);
}

KvResult GvcpClient::TakeControl(bool exclusive) {
    const KvResult result = WriteRegister(Reg::CCP, exclusive ? Ccp::EXCLUSIVE : Ccp::CONTROL);
    if (result == KvCode::OK) {
        m_bControl = true;
    }
    return result;
}

KvResult GvcpClient::ReleaseControl() {
    StopHeartbeat();
    const KvResult result = WriteRegister(Reg::CCP, Ccp::RELEASED);
    if (result == KvCode::OK) {
        m_bControl = false;
    }
    return result;
}

KvResult GvcpClient::StartHeartbeat(uint32_t intervalMs, uint32_t expirationMs,
                                    LossCallback onLoss) {
    if (intervalMs == 0 || expirationMs <= intervalMs) {
        return KV_ERROR("Heartbeat expiration must exceed a non-zero interval",
                        KvCode::INVALID_ARGUMENT);
    }
    StopHeartbeat();
    if (m_HeartbeatThread.joinable()) {
        m_HeartbeatThread.join();  // a loop that ended itself after reporting a loss
    }
    if (m_bControl) {
        if (const KvResult result = WriteRegister(Reg::HEARTBEAT_TIMEOUT, expirationMs);
            result != KvCode::OK) {
            return result;
        }
    }
    std::lock_guard lock(m_mHeartbeat);
    m_bStopHeartbeat = false;
    m_bHeartbeatRunning = true;
    m_HeartbeatThread =
        std::thread(&GvcpClient::HeartbeatLoop, this, intervalMs, expirationMs, std::move(onLoss));
    return KvCode::OK;
}

void GvcpClient::StopHeartbeat() {
    {
        std::lock_guard lock(m_mHeartbeat);
        m_bStopHeartbeat = true;
    }
    m_cvHeartbeat.notify_all();
    if (m_HeartbeatThread.joinable() && m_HeartbeatThread.get_id() != std::this_thread::get_id()) {
        m_HeartbeatThread.join();
    }
}

void GvcpClient::HeartbeatLoop(uint32_t intervalMs, uint32_t expirationMs, LossCallback onLoss) {
    const auto interval = std::chrono::milliseconds(intervalMs);
    const auto expiration = std::chrono::milliseconds(expirationMs);
    // One try per beat, never longer than the beat itself: the next beat is the retry,
    // and the loss is decided by the time since the last answer.
    const uint32_t beatTimeout = std::min<uint32_t>(m_nAnswerTimeoutMs, intervalMs);
    auto lastAnswer = Clock::now();
    KvResult lost = KvCode::OK;
    for (;;) {
        {
            std::unique_lock lock(m_mHeartbeat);
            const auto wake = std::min(lastAnswer + expiration, Clock::now() + interval);
            if (m_cvHeartbeat.wait_until(lock, wake, [&] { return m_bStopHeartbeat; })) {
                break;
            }
        }
        Bytes payload;
        const uint32_t ccp = Reg::CCP;
        const auto remaining =
            std::chrono::ceil<std::chrono::milliseconds>(lastAnswer + expiration - Clock::now());
        const auto timeout =
            static_cast<uint32_t>(std::clamp<int64_t>(remaining.count(), 1, beatTimeout));
        KvErrorInterface scratch;  // the caller's error record stays the caller's
        const KvResult result = Transact(
            [&](uint16_t id) { return EncodeReadRegCommand(id, std::span(&ccp, 1)); }, Ack::READREG,
            [](const Acknowledge& ack) {
                return ParseReadRegAckPayload(ack.m_Payload, 1).has_value();
            },
            payload, timeout, 0, scratch);
        if (result == KvCode::OK) {
            lastAnswer = Clock::now();
            const auto value = ParseReadRegAckPayload(payload, 1);
            if (m_bControl && value && ((*value)[0] & (Ccp::CONTROL | Ccp::EXCLUSIVE)) == 0) {
                lost = KV_ERROR("The device dropped the control privilege", KvCode::ACCESS_DENIED);
                break;
            }
        } else if (result == KvCode::NOT_CONNECTED) {
            break;
        } else if (Clock::now() - lastAnswer >= expiration) {
            lost =
                KV_ERROR("Connection to the device lost: no answer within the heartbeat expiration",
                         KvCode::CONNECTION_LOST);
            break;
        }
    }
    m_bHeartbeatRunning = false;
    if (lost != KvCode::OK) {
        m_bControl = false;
        if (onLoss) {
            onLoss(lost);
        }
    }
}
