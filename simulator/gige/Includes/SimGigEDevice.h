#pragma once
// The behaviour of the simulated GigE Vision device: it takes one command
// datagram at a time with the sender and the current time, and returns the
// acknowledge to send back (nothing when none is due). It knows no sockets and
// reads no clock of its own, so every rule (control privilege, heartbeat
// expiry, status codes) can be driven step by step.
//
// Later blocks (serial ports, I/O blocks, streaming, the Kovra camera) join
// through AddressSpace() in the device-specific range of KvDeviceRegisters.h.

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "KvGvcpCodec.h"
#include "SimAddressSpace.h"

class SimCameraFeatures;
class SimMemoryBlock;

struct SimPeer {
    uint32_t m_nIp = 0;  // host order
    uint16_t m_nPort = 0;
    bool operator==(const SimPeer&) const = default;
};

enum class SimXmlVariant { PLAIN, ZIP };

struct SimDeviceIdentity {
    std::string m_sManufacturer = "Varkel Inc";
    std::string m_sModel = "KvSim GigE Camera";
    std::string m_sDeviceVersion = "1.0.0";
    std::string m_sManufacturerInfo = "Kovra suite simulated device";  // after the marker
    std::string m_sSerialNumber = "KVSIM0001";
    std::string m_sUserName = "kvsim";
    Gvcp::MacAddress m_Mac = {0x02, 0x4B, 0x56, 0x00, 0x00, 0x01};  // locally administered
    uint32_t m_nIp = 0x7F000001;
    uint32_t m_nMask = 0xFF000000;
    uint32_t m_nGateway = 0;
};

struct SimGigEOptions {
    SimDeviceIdentity m_Identity;
    // Which packing the first URL names; the second URL names the other one.
    SimXmlVariant m_eXml = SimXmlVariant::PLAIN;
    // Identification of the camera attached to the device (0, 0 when none).
    uint8_t m_nCameraIdFirst = 0;
    uint8_t m_nCameraIdSecond = 0;
};

class SimGigEDevice {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr uint32_t PLAIN_XML_ADDRESS = 0x00100000;
    static constexpr uint32_t ZIP_XML_ADDRESS = 0x00180000;

    explicit SimGigEDevice(const SimGigEOptions& options, Clock::time_point start = Clock::now());
    ~SimGigEDevice();
    SimGigEDevice(const SimGigEDevice&) = delete;
    SimGigEDevice& operator=(const SimGigEDevice&) = delete;

    Gvcp::Bytes HandlePacket(Gvcp::ByteView packet, const SimPeer& from, Clock::time_point now);
    // Drops the control privilege when the controller's heartbeat has expired.
    void Tick(Clock::time_point now);

    std::optional<SimPeer> Controller() const;
    uint32_t CurrentIp() const;
    bool IsAcquiring() const;
    SimAddressSpace& AddressSpace() { return m_AddressSpace; }

private:
    Gvcp::Bytes Discovery(const Gvcp::Command& command);
    Gvcp::Bytes ForceIp(const Gvcp::Command& command);
    Gvcp::Bytes ReadRegisters(const Gvcp::Command& command, const SimPeer& from);
    Gvcp::Bytes WriteRegisters(const Gvcp::Command& command, const SimPeer& from,
                               Clock::time_point now);
    Gvcp::Bytes ReadMemory(const Gvcp::Command& command, const SimPeer& from);
    Gvcp::Bytes WriteMemory(const Gvcp::Command& command, const SimPeer& from,
                            Clock::time_point now);

    bool MayRead(const SimPeer& from) const;
    uint16_t WriteWord(const SimPeer& from, uint32_t address, uint32_t value,
                       Clock::time_point now);
    uint16_t WriteControlPrivilege(const SimPeer& from, uint32_t value, Clock::time_point now);
    void ExpireHeartbeat(Clock::time_point now);
    void DropControl();

    mutable std::mutex m_mLock;
    Clock::time_point m_tStart;
    SimAddressSpace m_AddressSpace;
    SimMemoryBlock* m_pBootstrap = nullptr;  // owned by m_AddressSpace
    SimCameraFeatures* m_pCamera = nullptr;  // owned by m_AddressSpace
    std::optional<SimPeer> m_Controller;
    Clock::time_point m_tLastContact;
};
