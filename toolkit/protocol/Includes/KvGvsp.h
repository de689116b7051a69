#pragma once
// GigE Vision stream-channel (GVSP) packet layouts, kept beside the control
// channel's so the stream receiver and the simulator's sender share them.

#include <cstddef>
#include <cstdint>

namespace Gvsp {

inline constexpr size_t HEADER_SIZE = 8;
inline constexpr size_t IP_UDP_OVERHEAD = 20 + 8;
// Data bytes per payload packet for a stream channel packet size (SCPS).
constexpr size_t PayloadPerPacket(size_t packetSize) {
    return packetSize > IP_UDP_OVERHEAD + HEADER_SIZE ? packetSize - IP_UDP_OVERHEAD - HEADER_SIZE
                                                      : 0;
}

namespace Format {
inline constexpr uint8_t LEADER = 1;
inline constexpr uint8_t TRAILER = 2;
inline constexpr uint8_t PAYLOAD = 3;
inline constexpr uint8_t EXTENDED_ID = 0x80;
}  // namespace Format

inline constexpr uint16_t PAYLOAD_TYPE_IMAGE = 0x0001;
inline constexpr uint16_t PAYLOAD_TYPE_CHUNK_FLAG = 0x4000;

// Header: status (16) | block id (16) | format (8) | packet id (24).
struct Header {
    uint16_t m_nStatus = 0;
    uint16_t m_nBlockId = 0;
    uint8_t m_nFormat = 0;
    uint32_t m_nPacketId = 0;  // 24 bits
};

// Image leader after the header, 36 bytes.
inline constexpr size_t IMAGE_LEADER_SIZE = 36;
struct ImageLeader {
    uint16_t m_nPayloadType = PAYLOAD_TYPE_IMAGE;
    uint64_t m_nTimestamp = 0;
    uint32_t m_nPixelFormat = 0;
    uint32_t m_nSizeX = 0;
    uint32_t m_nSizeY = 0;
    uint32_t m_nOffsetX = 0;
    uint32_t m_nOffsetY = 0;
    uint16_t m_nPaddingX = 0;
    uint16_t m_nPaddingY = 0;
};

// Trailer after the header, 8 bytes.
inline constexpr size_t TRAILER_SIZE = 8;
struct Trailer {
    uint16_t m_nPayloadType = PAYLOAD_TYPE_IMAGE;
    uint32_t m_nSizeY = 0;
};

}  // namespace Gvsp
