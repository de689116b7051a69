#pragma once
// The control-channel client of one GigE Vision device: register and memory
// access, the control privilege and its heartbeat, over one UDP socket.
//
// Every request waits for its acknowledge for the answer time-out and is sent
// again, with the same request id, up to the retry count. Only an acknowledge
// from the device's address and port, with the request's id and the expected
// acknowledge code and a well-formed payload, is taken; anything else (late
// answers to earlier requests, duplicates, other senders, malformed packets) is
// counted and ignored. Calls are serialised, so the heartbeat thread and the
// caller's thread can share one client.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <span>
#include <thread>

#include "GvcpUdpSocket.h"
#include "KvErrorInterface.h"
#include "KvGvcpCodec.h"

class GvcpClient : public KvErrorInterface {
public:
    // Runs on the heartbeat thread when the device stops answering or drops
    // the privilege: CONNECTION_LOST or ACCESS_DENIED.
    using LossCallback = std::function<void(KvResult code)>;

    struct Counters {
        uint64_t m_nRequests = 0;
        uint64_t m_nResends = 0;
        uint64_t m_nIgnored = 0;  // packets that were not the awaited acknowledge
    };

    GvcpClient() = default;
    ~GvcpClient() override;
    GvcpClient(const GvcpClient&) = delete;
    GvcpClient& operator=(const GvcpClient&) = delete;

    // Settings; they apply from the next request on.
    void SetAnswerTimeout(uint32_t milliseconds) {
        m_nAnswerTimeoutMs = milliseconds ? milliseconds : 1;
    }
    uint32_t GetAnswerTimeout() const { return m_nAnswerTimeoutMs; }
    // Number of resends after the first try.
    void SetRetryCount(uint32_t retries) { m_nRetryCount = retries; }
    uint32_t GetRetryCount() const { return m_nRetryCount; }

    // Binds the socket to localIp ("" = any address) and localPort (0 = chosen
    // by the system) and aims it at the device.
    KvResult Open(const KvString& deviceIp, const KvString& localIp = "",
                  uint16_t devicePort = Gvcp::PORT, uint16_t localPort = 0);
    // Stops the heartbeat and closes the socket; the privilege is not released.
    void Close();
    bool IsOpen() const;
    GvcpEndpoint Device() const { return m_Device; }
    GvcpEndpoint Local() const { return m_Socket.Local(); }

    // Values are in host order.
    KvResult ReadRegister(uint32_t address, uint32_t& value);
    // Any number of addresses; they go out in as few requests as fit, or one
    // by one to a device whose capabilities do not announce several operations
    // in one request.
    KvResult ReadRegisters(std::span<const uint32_t> addresses, std::span<uint32_t> values);
    KvResult WriteRegister(uint32_t address, uint32_t value);
    KvResult WriteRegisters(std::span<const Gvcp::RegisterWrite> writes);
    // Address a multiple of 4; any size (the last piece is rounded up on the
    // wire and cut here). Pieces of at most 536 bytes.
    KvResult ReadMemory(uint32_t address, std::span<uint8_t> data);
    // Address and size multiples of 4.
    KvResult WriteMemory(uint32_t address, std::span<const uint8_t> data);

    // Gives the device with this MAC a new address (addresses in host order).
    // Sent to the open target; a device with another MAC stays silent, which
    // shows as a time-out.
    KvResult ForceIp(const Gvcp::MacAddress& mac, uint32_t ip, uint32_t mask, uint32_t gateway);

    KvResult TakeControl(bool exclusive = false);
    KvResult ReleaseControl();
    bool HasControl() const { return m_bControl; }

    // Writes the device's heartbeat timeout (when in control) and keeps the
    // privilege alive by reading it every interval. Loss is reported once,
    // at the latest when expiration has passed since the last answer.
    KvResult StartHeartbeat(uint32_t intervalMs, uint32_t expirationMs, LossCallback onLoss);
    // Safe from any thread, the loss callback included.
    void StopHeartbeat();
    bool IsHeartbeatRunning() const { return m_bHeartbeatRunning; }

    Counters GetCounters() const;

private:
    // Validates an acknowledge whose id and code matched; false = malformed, ignore it.
    using AckCheck = std::function<bool(const Gvcp::Acknowledge&)>;

    KvResult Transact(const std::function<Gvcp::Bytes(uint16_t)>& build, uint16_t expectedAck,
                      const AckCheck& check, Gvcp::Bytes& payload, uint32_t answerTimeoutMs,
                      uint32_t retries, KvErrorInterface& errors);
    // Requests of the caller: the failure goes into this object's record.
    KvResult Request(const std::function<Gvcp::Bytes(uint16_t)>& build, uint16_t expectedAck,
                     const AckCheck& check, Gvcp::Bytes& payload) {
        return Transact(build, expectedAck, check, payload, m_nAnswerTimeoutMs, m_nRetryCount,
                        *this);
    }
    uint16_t NextRequestId();
    // Whether the device takes several registers in one request (asked once per Open).
    KvResult Concatenation(bool& supported);
    void HeartbeatLoop(uint32_t intervalMs, uint32_t expirationMs, LossCallback onLoss);

    GvcpUdpSocket m_Socket;
    GvcpEndpoint m_Device;
    std::atomic<uint32_t> m_nAnswerTimeoutMs{500};
    std::atomic<uint32_t> m_nRetryCount{3};
    std::atomic<bool> m_bControl{false};
    std::atomic<int> m_nConcatenation{-1};  // -1 not asked yet, else 0 or 1

    mutable std::mutex m_mTransaction;  // one request on the wire at a time
    uint16_t m_nRequestId = 0;
    Counters m_Counters;

    std::mutex m_mHeartbeat;
    std::condition_variable m_cvHeartbeat;
    bool m_bStopHeartbeat = false;
    std::atomic<bool> m_bHeartbeatRunning{false};
    std::thread m_HeartbeatThread;
};
