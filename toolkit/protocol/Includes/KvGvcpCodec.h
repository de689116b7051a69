#pragma once
// Builders and parsers of GVCP packets. They take and return bytes and know
// nothing of sockets. Every parser treats its input as untrusted: it rejects
// truncated, oversized and inconsistent packets by returning no value, and
// never reads past the span it was given.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "KvGvcp.h"

namespace Gvcp {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

struct CommandHeader {
    uint8_t m_nFlags = 0;
    uint16_t m_nCommand = 0;
    uint16_t m_nLength = 0;
    uint16_t m_nRequestId = 0;
};

struct AckHeader {
    uint16_t m_nStatus = 0;
    uint16_t m_nAck = 0;
    uint16_t m_nLength = 0;
    uint16_t m_nAckId = 0;
};

// A parsed packet; the payload views the caller's buffer.
struct Command {
    CommandHeader m_Header;
    ByteView m_Payload;
};
struct Acknowledge {
    AckHeader m_Header;
    ByteView m_Payload;
};

struct RegisterWrite {
    uint32_t m_nAddress = 0;
    uint32_t m_nValue = 0;
    bool operator==(const RegisterWrite&) const = default;
};

struct ReadMemRequest {
    uint32_t m_nAddress = 0;
    uint16_t m_nCount = 0;
};

struct WriteMemRequest {
    uint32_t m_nAddress = 0;
    ByteView m_Data;
};

using MacAddress = std::array<uint8_t, 6>;

struct ForceIpRequest {
    MacAddress m_Mac{};
    uint32_t m_nIp = 0;
    uint32_t m_nMask = 0;
    uint32_t m_nGateway = 0;
};

// The discovery acknowledge: bootstrap 0x0000..0x00F7 decoded. Text fields end
// at their first zero byte or at the field's size, whichever comes first.
struct DiscoveryInfo {
    uint16_t m_nVersionMajor = 0;
    uint16_t m_nVersionMinor = 0;
    uint32_t m_nDeviceMode = 0;
    MacAddress m_Mac{};
    uint32_t m_nIpConfigOptions = 0;
    uint32_t m_nIpConfigCurrent = 0;
    uint32_t m_nIp = 0;
    uint32_t m_nMask = 0;
    uint32_t m_nGateway = 0;
    std::string m_sManufacturer;
    std::string m_sModel;
    std::string m_sDeviceVersion;
    std::string m_sManufacturerInfo;
    std::string m_sSerialNumber;
    std::string m_sUserName;
};

// Host side: commands.
Bytes EncodeDiscoveryCommand(uint16_t requestId, bool allowBroadcastAck);
// Empty when the addresses do not fit in one packet (0 or more than 135).
Bytes EncodeReadRegCommand(uint16_t requestId, std::span<const uint32_t> addresses);
// Empty when the writes do not fit in one packet (0 or more than 67).
Bytes EncodeWriteRegCommand(uint16_t requestId, std::span<const RegisterWrite> writes);
Bytes EncodeReadMemCommand(uint16_t requestId, uint32_t address, uint16_t count);
// Empty when the data is empty, longer than 536 bytes or not a multiple of 4.
Bytes EncodeWriteMemCommand(uint16_t requestId, uint32_t address, ByteView data);
Bytes EncodeForceIpCommand(uint16_t requestId, const ForceIpRequest& request);

// Device side: commands. ParseCommand checks the header (key, sizes); the
// payload parsers check the payload's shape, not whether the device can serve it.
std::optional<Command> ParseCommand(ByteView packet);
// The result views the packet, so a temporary packet would leave it dangling.
std::optional<Command> ParseCommand(Bytes&&) = delete;
std::optional<std::vector<uint32_t>> ParseReadRegPayload(ByteView payload);
std::optional<std::vector<RegisterWrite>> ParseWriteRegPayload(ByteView payload);
std::optional<ReadMemRequest> ParseReadMemPayload(ByteView payload);
std::optional<WriteMemRequest> ParseWriteMemPayload(ByteView payload);
std::optional<ForceIpRequest> ParseForceIpPayload(ByteView payload);

// Device side: acknowledges.
Bytes EncodeAck(uint16_t status, uint16_t ack, uint16_t ackId, ByteView payload = {});
Bytes EncodeReadRegAck(uint16_t ackId, std::span<const uint32_t> values);
Bytes EncodeWriteRegAck(uint16_t status, uint16_t ackId, uint16_t index);
Bytes EncodeReadMemAck(uint16_t ackId, uint32_t address, ByteView data);
Bytes EncodeWriteMemAck(uint16_t status, uint16_t ackId, uint16_t index);
Bytes EncodePendingAck(uint16_t ackId, uint16_t timeToCompletionMs);
// Empty unless bootstrap holds exactly 248 bytes.
Bytes EncodeDiscoveryAck(uint16_t ackId, ByteView bootstrap);

// Host side: acknowledges.
std::optional<Acknowledge> ParseAck(ByteView packet);
std::optional<Acknowledge> ParseAck(Bytes&&) = delete;
// The values of a successful read-register answer; rejects a count other than expected.
std::optional<std::vector<uint32_t>> ParseReadRegAckPayload(ByteView payload, size_t expectedCount);
// The index field of a write-register or write-memory answer.
std::optional<uint16_t> ParseWriteAckPayload(ByteView payload);
// The data of a read-memory answer; rejects another address or byte count.
std::optional<ByteView> ParseReadMemAckPayload(ByteView payload, uint32_t expectedAddress,
                                               size_t expectedCount);
std::optional<uint16_t> ParsePendingAckPayload(ByteView payload);
std::optional<DiscoveryInfo> ParseDiscoveryAckPayload(ByteView payload);

// "a.b.c.d" of an address in host order.
std::string FormatIp(uint32_t ip);
// Host-order address of "a.b.c.d"; no value for anything else.
std::optional<uint32_t> ParseIp(std::string_view text);
// "00:11:22:33:44:55".
std::string FormatMac(const MacAddress& mac);

}  // namespace Gvcp
