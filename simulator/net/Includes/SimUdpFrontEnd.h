#pragma once
// Puts a simulated device on the network: one UDP socket bound to the address
// given (never to all interfaces) and a thread that hands each datagram to the
// device and sends its answer back to the sender.

#include <atomic>
#include <string>
#include <thread>

#include "SimGigEDevice.h"

class SimUdpFrontEnd {
public:
    explicit SimUdpFrontEnd(SimGigEDevice& device) : m_Device(device) {}
    ~SimUdpFrontEnd() { Stop(); }
    SimUdpFrontEnd(const SimUdpFrontEnd&) = delete;
    SimUdpFrontEnd& operator=(const SimUdpFrontEnd&) = delete;

    // Binds address:port and starts serving; false with a reason otherwise.
    bool Start(const std::string& address, uint16_t port, std::string& error);
    // Stops the thread and closes the socket; safe to call twice.
    void Stop();
    bool IsRunning() const { return m_Thread.joinable(); }

private:
    void Serve();

    SimGigEDevice& m_Device;
    int m_nSocket = -1;
    int m_nWakeFd = -1;
    std::thread m_Thread;
};
