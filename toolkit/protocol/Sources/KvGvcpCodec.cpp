#include "KvGvcpCodec.h"

#include <arpa/inet.h>

#include <cstdio>

#include "KvByteOrder.h"

using namespace KvBigEndian;

namespace Gvcp {
namespace {

Bytes CommandPacket(uint8_t flags, uint16_t command, uint16_t requestId, size_t payloadSize) {
    Bytes packet(HEADER_SIZE + payloadSize, 0);
    packet[0] = KEY;
    packet[1] = flags;
    Put16(&packet[2], command);
    Put16(&packet[4], static_cast<uint16_t>(payloadSize));
    Put16(&packet[6], requestId);
    return packet;
}

std::string TextField(ByteView field) {
    size_t length = 0;
    while (length < field.size() && field[length] != 0) {
        ++length;
    }
    return std::string(reinterpret_cast<const char*>(field.data()), length);
}

}  // namespace

Bytes EncodeDiscoveryCommand(uint16_t requestId, bool allowBroadcastAck) {
    uint8_t flags = FLAG_ACK_REQUIRED;
    if (allowBroadcastAck) {
        flags |= FLAG_DISCOVERY_BROADCAST_ACK;
    }
    return CommandPacket(flags, Cmd::DISCOVERY, requestId, 0);
}

Bytes EncodeReadRegCommand(uint16_t requestId, std::span<const uint32_t> addresses) {
    if (addresses.empty() || addresses.size() > MAX_REGISTERS_PER_READ) {
        return {};
    }
    Bytes packet = CommandPacket(FLAG_ACK_REQUIRED, Cmd::READREG, requestId, addresses.size() * 4);
    for (size_t i = 0; i < addresses.size(); ++i) {
        Put32(&packet[HEADER_SIZE + 4 * i], addresses[i]);
    }
    return packet;
}

Bytes EncodeWriteRegCommand(uint16_t requestId, std::span<const RegisterWrite> writes) {
    if (writes.empty() || writes.size() > MAX_REGISTERS_PER_WRITE) {
        return {};
    }
    Bytes packet = CommandPacket(FLAG_ACK_REQUIRED, Cmd::WRITEREG, requestId, writes.size() * 8);
    for (size_t i = 0; i < writes.size(); ++i) {
        Put32(&packet[HEADER_SIZE + 8 * i], writes[i].m_nAddress);
        Put32(&packet[HEADER_SIZE + 8 * i + 4], writes[i].m_nValue);
    }
    return packet;
}

Bytes EncodeReadMemCommand(uint16_t requestId, uint32_t address, uint16_t count) {
    Bytes packet = CommandPacket(FLAG_ACK_REQUIRED, Cmd::READMEM, requestId, 8);
    Put32(&packet[HEADER_SIZE], address);
    Put16(&packet[HEADER_SIZE + 6], count);
    return packet;
}

Bytes EncodeWriteMemCommand(uint16_t requestId, uint32_t address, ByteView data) {
    if (data.empty() || data.size() > MAX_MEMORY_BLOCK || data.size() % 4 != 0) {
        return {};
    }
    Bytes packet = CommandPacket(FLAG_ACK_REQUIRED, Cmd::WRITEMEM, requestId, 4 + data.size());
    Put32(&packet[HEADER_SIZE], address);
    std::copy(data.begin(), data.end(), packet.begin() + HEADER_SIZE + 4);
    return packet;
}

// Force IP payload: reserved (16) | MAC high (16) | MAC low (32) | 12 reserved |
// IP | 12 reserved | mask | 12 reserved | gateway.
Bytes EncodeForceIpCommand(uint16_t requestId, const ForceIpRequest& request) {
    Bytes packet = CommandPacket(FLAG_ACK_REQUIRED, Cmd::FORCEIP, requestId, FORCE_IP_PAYLOAD);
    uint8_t* p = &packet[HEADER_SIZE];
    std::copy(request.m_Mac.begin(), request.m_Mac.end(), p + 2);
    Put32(p + 20, request.m_nIp);
    Put32(p + 36, request.m_nMask);
    Put32(p + 52, request.m_nGateway);
    return packet;
}

std::optional<Command> ParseCommand(ByteView packet) {
    if (packet.size() < HEADER_SIZE || packet.size() > MAX_PACKET || packet[0] != KEY) {
        return std::nullopt;
    }
    Command command;
    command.m_Header.m_nFlags = packet[1];
    command.m_Header.m_nCommand = Get16(&packet[2]);
    command.m_Header.m_nLength = Get16(&packet[4]);
    command.m_Header.m_nRequestId = Get16(&packet[6]);
    if (command.m_Header.m_nLength != packet.size() - HEADER_SIZE) {
        return std::nullopt;
    }
    command.m_Payload = packet.subspan(HEADER_SIZE);
    return command;
}

std::optional<std::vector<uint32_t>> ParseReadRegPayload(ByteView payload) {
    if (payload.empty() || payload.size() % 4 != 0 || payload.size() > MAX_PAYLOAD) {
        return std::nullopt;
    }
    std::vector<uint32_t> addresses(payload.size() / 4);
    for (size_t i = 0; i < addresses.size(); ++i) {
        addresses[i] = Get32(&payload[4 * i]);
    }
    return addresses;
}

std::optional<std::vector<RegisterWrite>> ParseWriteRegPayload(ByteView payload) {
    if (payload.empty() || payload.size() % 8 != 0 || payload.size() > MAX_PAYLOAD) {
        return std::nullopt;
    }
    std::vector<RegisterWrite> writes(payload.size() / 8);
    for (size_t i = 0; i < writes.size(); ++i) {
        writes[i] = {Get32(&payload[8 * i]), Get32(&payload[8 * i + 4])};
    }
    return writes;
}

std::optional<ReadMemRequest> ParseReadMemPayload(ByteView payload) {
    if (payload.size() != 8) {
        return std::nullopt;
    }
    return ReadMemRequest{Get32(&payload[0]), Get16(&payload[6])};
}

std::optional<WriteMemRequest> ParseWriteMemPayload(ByteView payload) {
    if (payload.size() < 8 || payload.size() > MAX_PAYLOAD) {
        return std::nullopt;
    }
    return WriteMemRequest{Get32(&payload[0]), payload.subspan(4)};
}

std::optional<ForceIpRequest> ParseForceIpPayload(ByteView payload) {
    if (payload.size() != FORCE_IP_PAYLOAD) {
        return std::nullopt;
    }
    ForceIpRequest request;
    std::copy(payload.begin() + 2, payload.begin() + 8, request.m_Mac.begin());
    request.m_nIp = Get32(&payload[20]);
    request.m_nMask = Get32(&payload[36]);
    request.m_nGateway = Get32(&payload[52]);
    return request;
}

Bytes EncodeAck(uint16_t status, uint16_t ack, uint16_t ackId, ByteView payload) {
    if (payload.size() > MAX_PAYLOAD) {
        return {};
    }
    Bytes packet(HEADER_SIZE + payload.size());
    Put16(&packet[0], status);
    Put16(&packet[2], ack);
    Put16(&packet[4], static_cast<uint16_t>(payload.size()));
    Put16(&packet[6], ackId);
    std::copy(payload.begin(), payload.end(), packet.begin() + HEADER_SIZE);
    return packet;
}

Bytes EncodeReadRegAck(uint16_t ackId, std::span<const uint32_t> values) {
    if (values.size() > MAX_REGISTERS_PER_READ) {
        return {};
    }
    Bytes payload(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i) {
        Put32(&payload[4 * i], values[i]);
    }
    return EncodeAck(Status::SUCCESS, Ack::READREG, ackId, payload);
}

Bytes EncodeWriteRegAck(uint16_t status, uint16_t ackId, uint16_t index) {
    uint8_t payload[4] = {};
    Put16(&payload[2], index);
    return EncodeAck(status, Ack::WRITEREG, ackId, payload);
}

Bytes EncodeReadMemAck(uint16_t ackId, uint32_t address, ByteView data) {
    if (data.size() > MAX_MEMORY_BLOCK) {
        return {};
    }
    Bytes payload(4 + data.size());
    Put32(&payload[0], address);
    std::copy(data.begin(), data.end(), payload.begin() + 4);
    return EncodeAck(Status::SUCCESS, Ack::READMEM, ackId, payload);
}

Bytes EncodeWriteMemAck(uint16_t status, uint16_t ackId, uint16_t index) {
    uint8_t payload[4] = {};
    Put16(&payload[2], index);
    return EncodeAck(status, Ack::WRITEMEM, ackId, payload);
}

Bytes EncodePendingAck(uint16_t ackId, uint16_t timeToCompletionMs) {
    uint8_t payload[4] = {};
    Put16(&payload[2], timeToCompletionMs);
    return EncodeAck(Status::SUCCESS, Ack::PENDING, ackId, payload);
}

Bytes EncodeDiscoveryAck(uint16_t ackId, ByteView bootstrap) {
    if (bootstrap.size() != DISCOVERY_ACK_SIZE) {
        return {};
    }
    return EncodeAck(Status::SUCCESS, Ack::DISCOVERY, ackId, bootstrap);
}

std::optional<Acknowledge> ParseAck(ByteView packet) {
    if (packet.size() < HEADER_SIZE || packet.size() > MAX_PACKET) {
        return std::nullopt;
    }
    Acknowledge ack;
    ack.m_Header.m_nStatus = Get16(&packet[0]);
    ack.m_Header.m_nAck = Get16(&packet[2]);
    ack.m_Header.m_nLength = Get16(&packet[4]);
    ack.m_Header.m_nAckId = Get16(&packet[6]);
    if (ack.m_Header.m_nLength != packet.size() - HEADER_SIZE) {
        return std::nullopt;
    }
    ack.m_Payload = packet.subspan(HEADER_SIZE);
    return ack;
}

std::optional<std::vector<uint32_t>> ParseReadRegAckPayload(ByteView payload,
                                                            size_t expectedCount) {
    if (expectedCount == 0 || payload.size() != expectedCount * 4) {
        return std::nullopt;
    }
    std::vector<uint32_t> values(expectedCount);
    for (size_t i = 0; i < expectedCount; ++i) {
        values[i] = Get32(&payload[4 * i]);
    }
    return values;
}

std::optional<uint16_t> ParseWriteAckPayload(ByteView payload) {
    if (payload.size() != 4) {
        return std::nullopt;
    }
    return Get16(&payload[2]);
}

std::optional<ByteView> ParseReadMemAckPayload(ByteView payload, uint32_t expectedAddress,
                                               size_t expectedCount) {
    if (payload.size() < 4 || payload.size() - 4 != expectedCount ||
        Get32(&payload[0]) != expectedAddress) {
        return std::nullopt;
    }
    return payload.subspan(4);
}

std::optional<uint16_t> ParsePendingAckPayload(ByteView payload) {
    if (payload.size() != 4) {
        return std::nullopt;
    }
    return Get16(&payload[2]);
}

std::optional<DiscoveryInfo> ParseDiscoveryAckPayload(ByteView payload) {
    if (payload.size() != DISCOVERY_ACK_SIZE) {
        return std::nullopt;
    }
    DiscoveryInfo info;
    info.m_nVersionMajor = Get16(&payload[Reg::VERSION]);
    info.m_nVersionMinor = Get16(&payload[Reg::VERSION + 2]);
    info.m_nDeviceMode = Get32(&payload[Reg::DEVICE_MODE]);
    std::copy(payload.begin() + Reg::MAC_HIGH + 2, payload.begin() + Reg::MAC_LOW + 4,
              info.m_Mac.begin());
    info.m_nIpConfigOptions = Get32(&payload[Reg::IP_CONFIG_OPTIONS]);
    info.m_nIpConfigCurrent = Get32(&payload[Reg::IP_CONFIG_CURRENT]);
    info.m_nIp = Get32(&payload[Reg::CURRENT_IP]);
    info.m_nMask = Get32(&payload[Reg::CURRENT_MASK]);
    info.m_nGateway = Get32(&payload[Reg::CURRENT_GATEWAY]);
    info.m_sManufacturer = TextField(payload.subspan(Reg::MANUFACTURER_NAME, Reg::NAME_FIELD_SIZE));
    info.m_sModel = TextField(payload.subspan(Reg::MODEL_NAME, Reg::NAME_FIELD_SIZE));
    info.m_sDeviceVersion = TextField(payload.subspan(Reg::DEVICE_VERSION, Reg::NAME_FIELD_SIZE));
    info.m_sManufacturerInfo =
        TextField(payload.subspan(Reg::MANUFACTURER_INFO, Reg::MANUFACTURER_INFO_SIZE));
    info.m_sSerialNumber = TextField(payload.subspan(Reg::SERIAL_NUMBER, Reg::SHORT_FIELD_SIZE));
    info.m_sUserName = TextField(payload.subspan(Reg::USER_NAME, Reg::SHORT_FIELD_SIZE));
    return info;
}

std::string FormatIp(uint32_t ip) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                  ip & 0xFF);
    return text;
}

std::optional<uint32_t> ParseIp(std::string_view text) {
    if (text.size() > 15) {
        return std::nullopt;
    }
    std::string copy(text);
    in_addr address{};
    if (inet_pton(AF_INET, copy.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return ntohl(address.s_addr);
}

std::string FormatMac(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

}  // namespace Gvcp
