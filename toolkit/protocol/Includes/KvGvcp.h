#pragma once
// GigE Vision control-channel (GVCP) packet layouts, command and acknowledge
// codes, status codes and bootstrap register addresses. Shared by the toolkit's
// client and the simulator so both ends agree on every number. All multi-byte
// fields are big-endian on the wire.

#include <cstddef>
#include <cstdint>

namespace Gvcp {

inline constexpr uint16_t PORT = 3956;
inline constexpr uint8_t KEY = 0x42;
inline constexpr size_t HEADER_SIZE = 8;
inline constexpr size_t MAX_PAYLOAD = 540;
inline constexpr size_t MAX_PACKET = HEADER_SIZE + MAX_PAYLOAD;
// A read-memory answer carries the address before the data.
inline constexpr size_t MAX_MEMORY_BLOCK = MAX_PAYLOAD - 4;         // 536
inline constexpr size_t MAX_REGISTERS_PER_READ = MAX_PAYLOAD / 4;   // 135
inline constexpr size_t MAX_REGISTERS_PER_WRITE = MAX_PAYLOAD / 8;  // 67
inline constexpr size_t DISCOVERY_ACK_SIZE = 248;
inline constexpr size_t FORCE_IP_PAYLOAD = 56;

// Command flags.
inline constexpr uint8_t FLAG_ACK_REQUIRED = 0x01;
inline constexpr uint8_t FLAG_DISCOVERY_BROADCAST_ACK = 0x10;

namespace Cmd {
inline constexpr uint16_t DISCOVERY = 0x0002;
inline constexpr uint16_t FORCEIP = 0x0004;
inline constexpr uint16_t PACKETRESEND = 0x0040;
inline constexpr uint16_t READREG = 0x0080;
inline constexpr uint16_t WRITEREG = 0x0082;
inline constexpr uint16_t READMEM = 0x0084;
inline constexpr uint16_t WRITEMEM = 0x0086;
inline constexpr uint16_t EVENT = 0x00C0;
inline constexpr uint16_t EVENTDATA = 0x00C2;
inline constexpr uint16_t ACTION = 0x0100;
}  // namespace Cmd

namespace Ack {
inline constexpr uint16_t DISCOVERY = 0x0003;
inline constexpr uint16_t FORCEIP = 0x0005;
inline constexpr uint16_t READREG = 0x0081;
inline constexpr uint16_t WRITEREG = 0x0083;
inline constexpr uint16_t READMEM = 0x0085;
inline constexpr uint16_t WRITEMEM = 0x0087;
inline constexpr uint16_t PENDING = 0x0089;
inline constexpr uint16_t EVENT = 0x00C1;
inline constexpr uint16_t EVENTDATA = 0x00C3;
inline constexpr uint16_t ACTION = 0x0101;
}  // namespace Ack

// The acknowledge code that answers a command (0 when the command has none).
constexpr uint16_t AckFor(uint16_t command) {
    switch (command) {
        case Cmd::DISCOVERY:
        case Cmd::FORCEIP:
        case Cmd::READREG:
        case Cmd::WRITEREG:
        case Cmd::READMEM:
        case Cmd::WRITEMEM:
        case Cmd::EVENT:
        case Cmd::EVENTDATA:
        case Cmd::ACTION:
            return static_cast<uint16_t>(command + 1);
        default:
            return 0;
    }
}

namespace Status {
inline constexpr uint16_t SUCCESS = 0x0000;
inline constexpr uint16_t PACKET_RESEND = 0x0100;  // on a resent stream packet
inline constexpr uint16_t NOT_IMPLEMENTED = 0x8001;
inline constexpr uint16_t INVALID_PARAMETER = 0x8002;
inline constexpr uint16_t INVALID_ADDRESS = 0x8003;
inline constexpr uint16_t WRITE_PROTECT = 0x8004;
inline constexpr uint16_t BAD_ALIGNMENT = 0x8005;
inline constexpr uint16_t ACCESS_DENIED = 0x8006;
inline constexpr uint16_t BUSY = 0x8007;
inline constexpr uint16_t PACKET_UNAVAILABLE = 0x800B;
inline constexpr uint16_t DATA_OVERRUN = 0x800C;
inline constexpr uint16_t INVALID_HEADER = 0x800D;
inline constexpr uint16_t ERROR = 0x8FFF;
}  // namespace Status

// Bootstrap registers.
namespace Reg {
inline constexpr uint32_t VERSION = 0x0000;
inline constexpr uint32_t DEVICE_MODE = 0x0004;
inline constexpr uint32_t MAC_HIGH = 0x0008;
inline constexpr uint32_t MAC_LOW = 0x000C;
inline constexpr uint32_t IP_CONFIG_OPTIONS = 0x0010;
inline constexpr uint32_t IP_CONFIG_CURRENT = 0x0014;
inline constexpr uint32_t CURRENT_IP = 0x0024;
inline constexpr uint32_t CURRENT_MASK = 0x0034;
inline constexpr uint32_t CURRENT_GATEWAY = 0x0044;
inline constexpr uint32_t MANUFACTURER_NAME = 0x0048;
inline constexpr uint32_t MODEL_NAME = 0x0068;
inline constexpr uint32_t DEVICE_VERSION = 0x0088;
inline constexpr uint32_t MANUFACTURER_INFO = 0x00A8;
inline constexpr uint32_t SERIAL_NUMBER = 0x00D8;
inline constexpr uint32_t USER_NAME = 0x00E8;
inline constexpr uint32_t FIRST_URL = 0x0200;
inline constexpr uint32_t SECOND_URL = 0x0400;
inline constexpr uint32_t NETWORK_INTERFACES = 0x0600;
inline constexpr uint32_t MESSAGE_CHANNELS = 0x0900;
inline constexpr uint32_t STREAM_CHANNELS = 0x0904;
inline constexpr uint32_t GVCP_CAPABILITY = 0x0934;
inline constexpr uint32_t HEARTBEAT_TIMEOUT = 0x0938;
inline constexpr uint32_t TIMESTAMP_FREQ_HIGH = 0x093C;
inline constexpr uint32_t TIMESTAMP_FREQ_LOW = 0x0940;
inline constexpr uint32_t TIMESTAMP_CONTROL = 0x0944;
inline constexpr uint32_t TIMESTAMP_VALUE_HIGH = 0x0948;
inline constexpr uint32_t TIMESTAMP_VALUE_LOW = 0x094C;
inline constexpr uint32_t GVCP_CONFIG = 0x0954;
inline constexpr uint32_t CCP = 0x0A00;
inline constexpr uint32_t MCP = 0x0B00;
inline constexpr uint32_t MCDA = 0x0B10;
inline constexpr uint32_t SCP0 = 0x0D00;
inline constexpr uint32_t SCPS0 = 0x0D04;
inline constexpr uint32_t SCPD0 = 0x0D08;
inline constexpr uint32_t SCDA0 = 0x0D18;
inline constexpr uint32_t SCSP0 = 0x0D1C;
inline constexpr uint32_t STREAM_CHANNEL_STRIDE = 0x40;
inline constexpr uint32_t BOOTSTRAP_END = 0xA000;  // first address past the bootstrap space

inline constexpr uint32_t NAME_FIELD_SIZE = 32;
inline constexpr uint32_t MANUFACTURER_INFO_SIZE = 48;
inline constexpr uint32_t SHORT_FIELD_SIZE = 16;  // serial number, user-defined name
inline constexpr uint32_t URL_SIZE = 512;
}  // namespace Reg

// Bits of the control channel privilege register.
namespace Ccp {
inline constexpr uint32_t RELEASED = 0;
inline constexpr uint32_t EXCLUSIVE = 1;
inline constexpr uint32_t CONTROL = 2;
}  // namespace Ccp

// GVCP capability bits, numbered from the register's top bit as the standard does.
inline constexpr uint32_t GVCP_CAP_USER_NAME = 0x80000000;
inline constexpr uint32_t GVCP_CAP_SERIAL_NUMBER = 0x40000000;
inline constexpr uint32_t GVCP_CAP_HEARTBEAT_DISABLE = 0x20000000;
inline constexpr uint32_t GVCP_CAP_PACKET_RESEND = 0x00000004;
inline constexpr uint32_t GVCP_CAP_WRITEMEM = 0x00000002;
inline constexpr uint32_t GVCP_CAP_CONCATENATION = 0x00000001;  // several operations per request
inline constexpr uint32_t DEFAULT_HEARTBEAT_TIMEOUT_MS = 3000;
inline constexpr uint32_t DEVICE_MODE_BIG_ENDIAN = 0x80000000;

}  // namespace Gvcp
