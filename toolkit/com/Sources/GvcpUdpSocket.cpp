#include "GvcpUdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {
sockaddr_in ToSockaddr(const GvcpEndpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.m_nPort);
    address.sin_addr.s_addr = htonl(endpoint.m_nIp);
    return address;
}
}  // namespace

int GvcpUdpSocket::Open(const GvcpEndpoint& local, bool allowBroadcast) {
    Close();
    m_nSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_nSocket < 0) {
        return errno;
    }
    const int on = 1;
    if (allowBroadcast && setsockopt(m_nSocket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    const sockaddr_in address = ToSockaddr(local);
    if (bind(m_nSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        Close();
        return error;
    }
    return 0;
}

void GvcpUdpSocket::Close() {
    if (m_nSocket >= 0) {
        close(m_nSocket);
        m_nSocket = -1;
    }
}

GvcpEndpoint GvcpUdpSocket::Local() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (m_nSocket < 0 ||
        getsockname(m_nSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return {};
    }
    return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

int GvcpUdpSocket::SendTo(std::span<const uint8_t> data, const GvcpEndpoint& to) {
    const sockaddr_in address = ToSockaddr(to);
    const ssize_t sent = sendto(m_nSocket, data.data(), data.size(), 0,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent == static_cast<ssize_t>(data.size()) ? 0 : (sent < 0 ? errno : EMSGSIZE);
}

std::optional<size_t> GvcpUdpSocket::ReceiveFrom(std::span<uint8_t> buffer, GvcpEndpoint& from,
                                                 Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd fd{m_nSocket, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const ssize_t size = recvfrom(m_nSocket, buffer.data(), buffer.size(), MSG_TRUNC,
                                      reinterpret_cast<sockaddr*>(&address), &length);
        if (size < 0) {
            continue;  // a queued ICMP error (port unreachable) surfaces here; keep waiting
        }
        from = {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
        // With MSG_TRUNC the true size comes back, so an oversized datagram is
        // reported as such and the parser rejects it instead of seeing a cut copy.
        return static_cast<size_t>(size);
    }
}
