#include "SimUdpFrontEnd.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool SimUdpFrontEnd::Start(const std::string& address, uint16_t port, std::string& error) {
    Stop();
    const auto ip = Gvcp::ParseIp(address);
    if (!ip) {
        error = "not an IPv4 address: " + address;
        return false;
    }
    m_nSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    m_nWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_nSocket < 0 || m_nWakeFd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        Stop();
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(*ip);
    if (bind(m_nSocket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = "cannot bind " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
        Stop();
        return false;
    }
    m_Thread = std::thread(&SimUdpFrontEnd::Serve, this);
    return true;
}

void SimUdpFrontEnd::Stop() {
    if (m_Thread.joinable()) {
        const uint64_t one = 1;
        (void)!write(m_nWakeFd, &one, sizeof one);
        m_Thread.join();
    }
    if (m_nSocket >= 0) {
        close(m_nSocket);
        m_nSocket = -1;
    }
    if (m_nWakeFd >= 0) {
        close(m_nWakeFd);
        m_nWakeFd = -1;
    }
}

void SimUdpFrontEnd::Serve() {
    // Larger than any valid packet, so an oversized one arrives whole and is refused
    // by the parser rather than cut to something that might look valid.
    uint8_t buffer[2048];
    pollfd fds[2] = {{m_nSocket, POLLIN, 0}, {m_nWakeFd, POLLIN, 0}};
    for (;;) {
        // Wake at least every 100 ms so a silent controller's heartbeat can expire.
        const int ready = poll(fds, 2, 100);
        const auto now = SimGigEDevice::Clock::now();
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents) {
            return;
        }
        m_Device.Tick(now);
        if (!(fds[0].revents & POLLIN)) {
            continue;
        }
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t size = recvfrom(m_nSocket, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (size < 0 || peer.sin_family != AF_INET) {
            continue;
        }
        const SimPeer from{ntohl(peer.sin_addr.s_addr), ntohs(peer.sin_port)};
        const Gvcp::Bytes answer =
            m_Device.HandlePacket(Gvcp::ByteView(buffer, static_cast<size_t>(size)), from, now);
        if (!answer.empty()) {
            sendto(m_nSocket, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&peer),
                   peerLength);
        }
    }
}
