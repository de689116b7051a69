// Feeds arbitrary datagrams from two hosts to one device, so that privilege
// and heartbeat state carries over between inputs the way it does on a network.
#include <cstdlib>

#include "SimGigEDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SimGigEDevice device{SimGigEOptions{}, SimGigEDevice::Clock::time_point{}};
    static SimGigEDevice::Clock::time_point now{};
    if (size == 0) {
        return 0;
    }
    // The first byte picks the sender and how much time passes.
    const SimPeer from{0x7F000001, static_cast<uint16_t>(50000 + (data[0] & 1))};
    now += std::chrono::milliseconds((data[0] >> 1) * 50);
    const Gvcp::Bytes answer = device.HandlePacket(Gvcp::ByteView(data + 1, size - 1), from, now);
    if (!answer.empty() && !Gvcp::ParseAck(answer)) {
        std::abort();  // the device must never send a malformed acknowledge
    }
    return 0;
}
