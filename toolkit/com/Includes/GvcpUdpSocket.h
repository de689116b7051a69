#pragma once
// A UDP socket for the control channel: bound to one local address, sending to
// and receiving from IPv4 peers, with receives bounded by a deadline.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct GvcpEndpoint {
    uint32_t m_nIp = 0;  // host order
    uint16_t m_nPort = 0;
    bool operator==(const GvcpEndpoint&) const = default;
};

class GvcpUdpSocket {
public:
    using Clock = std::chrono::steady_clock;

    GvcpUdpSocket() = default;
    ~GvcpUdpSocket() { Close(); }
    GvcpUdpSocket(const GvcpUdpSocket&) = delete;
    GvcpUdpSocket& operator=(const GvcpUdpSocket&) = delete;

    // Binds to local (0 = any address, port 0 = chosen by the system). Returns
    // an errno value, 0 on success.
    int Open(const GvcpEndpoint& local, bool allowBroadcast = false);
    void Close();
    bool IsOpen() const { return m_nSocket >= 0; }
    GvcpEndpoint Local() const;

    int SendTo(std::span<const uint8_t> data, const GvcpEndpoint& to);
    // One datagram, or nothing once the deadline has passed.
    std::optional<size_t> ReceiveFrom(std::span<uint8_t> buffer, GvcpEndpoint& from,
                                      Clock::time_point deadline);

private:
    int m_nSocket = -1;
};
