// Feeds arbitrary datagrams to every parser a device runs on what a host sends.
#include <cstdlib>

#include "KvGvcpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Gvcp::ByteView packet(data, size);
    const auto command = Gvcp::ParseCommand(packet);
    if (!command) {
        return 0;
    }
    if (command->m_Payload.size() != command->m_Header.m_nLength ||
        command->m_Payload.data() + command->m_Payload.size() != data + size) {
        std::abort();
    }
    const Gvcp::ByteView payload = command->m_Payload;
    if (auto addresses = Gvcp::ParseReadRegPayload(payload)) {
        if (addresses->size() * 4 != payload.size())
            std::abort();
    }
    if (auto writes = Gvcp::ParseWriteRegPayload(payload)) {
        if (writes->size() * 8 != payload.size())
            std::abort();
    }
    (void)Gvcp::ParseReadMemPayload(payload);
    if (auto write = Gvcp::ParseWriteMemPayload(payload)) {
        if (write->m_Data.size() + 4 != payload.size())
            std::abort();
    }
    (void)Gvcp::ParseForceIpPayload(payload);
    return 0;
}
