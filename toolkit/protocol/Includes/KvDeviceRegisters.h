#pragma once
// Register map of our own device beyond the GigE Vision bootstrap space. The
// simulator serves it and the toolkit reads it; both include this header so the
// two ends cannot drift apart.
//
//   0x0000_0000 .. 0x0000_9FFF  GigE Vision bootstrap registers
//   0x0001_0000 .. 0x0001_0FFF  camera features of the plain GigE Vision camera
//                               (the registers its GenICam XML describes)
//   0x0010_0000 .. 0x001F_FFFF  device memory holding the GenICam XML file
//                               (plain or ZIP-packed), named by the first URL
//   0x00F0_0000 .. 0x00FF_FFFF  device-specific range of our network
//                               video-interface device:
//       0x00F0_0000  extension protocol version, major << 16 | minor (read-only)
//       0x00F0_0004  camera identification of the camera attached to the device
//                    (read-only): bits 15..8 the first identification byte (camera
//                    family), bits 7..0 the second (model index), bits 31..16 zero.
//                    0 when no camera is attached or it is not identified.
//       0x00F0_0008 .. 0x00F0_0FFF  reserved for device information
//       0x00F0_1000 .. 0x00F0_1FFF  reserved: serial ports (camera console, I2C)
//       0x00F0_2000 .. 0x00F0_2FFF  reserved: I/O blocks (pulse generators, counter,
//                                   delayer, GPIO look-up table, control bits)
//       0x00F0_3000 .. 0x00F0_3FFF  reserved: stream and decoder access
//   Reserved addresses answer "invalid address" until they are built.
//
// Only a device whose manufacturer-specific information (bootstrap 0x00A8, part
// of the discovery answer) starts with EXTENSION_MARKER has this range. Hosts
// must not probe it on other devices: some answer nothing, some even fail on a
// read of an address they do not know.
//
// Bumping the extension version's major number means an older toolkit must not
// drive the device; new registers go into the reserved blocks with a minor bump.

#include <cstdint>

namespace KvDeviceReg {

inline constexpr uint32_t FEATURES_BASE = 0x00010000;
inline constexpr uint32_t FEATURES_SIZE = 0x1000;

inline constexpr uint32_t XML_BASE = 0x00100000;
inline constexpr uint32_t XML_MAX_SIZE = 0x00100000;

inline constexpr uint32_t SPECIFIC_BASE = 0x00F00000;
inline constexpr uint32_t SPECIFIC_SIZE = 0x00100000;
inline constexpr uint32_t EXTENSION_VERSION = SPECIFIC_BASE + 0x0;
inline constexpr uint32_t CAMERA_ID = SPECIFIC_BASE + 0x4;
inline constexpr uint32_t SERIAL_PORTS_BASE = SPECIFIC_BASE + 0x1000;
inline constexpr uint32_t IO_BLOCKS_BASE = SPECIFIC_BASE + 0x2000;
inline constexpr uint32_t STREAM_BASE = SPECIFIC_BASE + 0x3000;

inline constexpr uint32_t EXTENSION_VERSION_VALUE = (1u << 16) | 0u;
inline constexpr const char* EXTENSION_MARKER = "KVX/1 ";

constexpr uint32_t PackCameraId(uint8_t first, uint8_t second) {
    return (static_cast<uint32_t>(first) << 8) | second;
}

}  // namespace KvDeviceReg
