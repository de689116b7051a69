// Feeds arbitrary datagrams to every parser a host runs on what a device sends.
#include <cstdlib>

#include "KvGvcpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto ack = Gvcp::ParseAck(Gvcp::ByteView(data, size));
    if (!ack) {
        return 0;
    }
    const Gvcp::ByteView payload = ack->m_Payload;
    if (payload.size() != ack->m_Header.m_nLength) {
        std::abort();
    }
    // The expected counts come from the packet itself so that the accepting
    // branches are reached, and from fixed guesses so the rejecting ones are.
    for (size_t expected : {size_t{1}, payload.size() / 4, size_t{135}}) {
        if (auto values = Gvcp::ParseReadRegAckPayload(payload, expected)) {
            if (values->size() != expected)
                std::abort();
        }
    }
    (void)Gvcp::ParseWriteAckPayload(payload);
    (void)Gvcp::ParsePendingAckPayload(payload);
    const uint32_t address = payload.size() >= 4
                                 ? (uint32_t{payload[0]} << 24 | uint32_t{payload[1]} << 16 |
                                    uint32_t{payload[2]} << 8 | payload[3])
                                 : 0;
    for (size_t expected : {size_t{0}, payload.size() >= 4 ? payload.size() - 4 : 0}) {
        if (auto block = Gvcp::ParseReadMemAckPayload(payload, address, expected)) {
            if (block->size() != expected)
                std::abort();
        }
    }
    if (auto info = Gvcp::ParseDiscoveryAckPayload(payload)) {
        if (info->m_sManufacturer.size() > 32 || info->m_sUserName.size() > 16)
            std::abort();
    }
    return 0;
}
