#include "SimGigEDevice.h"

#include "KvByteOrder.h"
#include "KvDeviceRegisters.h"
#include "SimCameraFeatures.h"
#include "SimGenICamFile.h"
#include "SimMemoryBlock.h"

using namespace Gvcp;

namespace {

constexpr uint32_t CONFIG_HEARTBEAT_DISABLE = 0x00000001;
constexpr uint32_t TIMESTAMP_RESET = 0x1;
constexpr uint32_t TIMESTAMP_LATCH = 0x2;
constexpr uint32_t DEFAULT_PACKET_SIZE = 1500;
constexpr uint32_t TICK_FREQUENCY = 1000000000;  // the timestamp counts nanoseconds

std::unique_ptr<SimMemoryBlock> MakeBootstrap(const SimGigEOptions& options,
                                              const std::string& firstUrl,
                                              const std::string& secondUrl) {
    const SimDeviceIdentity& id = options.m_Identity;
    auto memory = std::make_unique<SimMemoryBlock>(0, Reg::BOOTSTRAP_END);
    memory->Put32(Reg::VERSION, 0x00010002);  // 1.2
    memory->Put32(Reg::DEVICE_MODE, DEVICE_MODE_BIG_ENDIAN);
    memory->Put32(Reg::MAC_HIGH, (uint32_t{id.m_Mac[0]} << 8) | id.m_Mac[1]);
    memory->Put32(Reg::MAC_LOW, (uint32_t{id.m_Mac[2]} << 24) | (uint32_t{id.m_Mac[3]} << 16) |
                                    (uint32_t{id.m_Mac[4]} << 8) | id.m_Mac[5]);
    memory->Put32(Reg::IP_CONFIG_OPTIONS, 0x00000007);  // persistent, DHCP, link-local
    memory->Put32(Reg::IP_CONFIG_CURRENT, 0x00000001);  // persistent
    memory->Put32(Reg::CURRENT_IP, id.m_nIp);
    memory->Put32(Reg::CURRENT_MASK, id.m_nMask);
    memory->Put32(Reg::CURRENT_GATEWAY, id.m_nGateway);
    memory->PutText(Reg::MANUFACTURER_NAME, Reg::NAME_FIELD_SIZE, id.m_sManufacturer);
    memory->PutText(Reg::MODEL_NAME, Reg::NAME_FIELD_SIZE, id.m_sModel);
    memory->PutText(Reg::DEVICE_VERSION, Reg::NAME_FIELD_SIZE, id.m_sDeviceVersion);
    // The marker tells hosts that the device-specific range is ours to read.
    memory->PutText(Reg::MANUFACTURER_INFO, Reg::MANUFACTURER_INFO_SIZE,
                    KvDeviceReg::EXTENSION_MARKER + id.m_sManufacturerInfo);
    memory->PutText(Reg::SERIAL_NUMBER, Reg::SHORT_FIELD_SIZE, id.m_sSerialNumber);
    memory->PutText(Reg::USER_NAME, Reg::SHORT_FIELD_SIZE, id.m_sUserName);
    memory->PutText(Reg::FIRST_URL, Reg::URL_SIZE, firstUrl);
    memory->PutText(Reg::SECOND_URL, Reg::URL_SIZE, secondUrl);
    memory->Put32(Reg::NETWORK_INTERFACES, 1);
    memory->Put32(Reg::MESSAGE_CHANNELS, 0);
    memory->Put32(Reg::STREAM_CHANNELS, 1);
    memory->Put32(Reg::GVCP_CAPABILITY, GVCP_CAP_USER_NAME | GVCP_CAP_SERIAL_NUMBER |
                                            GVCP_CAP_HEARTBEAT_DISABLE | GVCP_CAP_WRITEMEM |
                                            GVCP_CAP_CONCATENATION);
    memory->Put32(Reg::HEARTBEAT_TIMEOUT, DEFAULT_HEARTBEAT_TIMEOUT_MS);
    memory->Put32(Reg::TIMESTAMP_FREQ_HIGH, 0);
    memory->Put32(Reg::TIMESTAMP_FREQ_LOW, TICK_FREQUENCY);
    memory->Put32(Reg::SCPS0, DEFAULT_PACKET_SIZE);

    memory->MarkWritable(Reg::USER_NAME, Reg::SHORT_FIELD_SIZE);
    for (uint32_t address :
         {Reg::HEARTBEAT_TIMEOUT, Reg::TIMESTAMP_CONTROL, Reg::GVCP_CONFIG, Reg::CCP, Reg::MCP,
          Reg::MCDA, Reg::SCP0, Reg::SCPS0, Reg::SCPD0, Reg::SCDA0}) {
        memory->MarkWritable(address, 4);
    }
    return memory;
}

}  // namespace

SimGigEDevice::SimGigEDevice(const SimGigEOptions& options, Clock::time_point start)
    : m_tStart(start), m_tLastContact(start) {
    const std::string_view xml = SimGenICamXml();
    const std::span<const uint8_t> xmlBytes(reinterpret_cast<const uint8_t*>(xml.data()),
                                            xml.size());
    const std::vector<uint8_t> zip = SimZipPack("KvSimGigE.xml", xmlBytes);
    const std::string plainUrl =
        SimLocalUrl("KvSimGigE.xml", PLAIN_XML_ADDRESS, static_cast<uint32_t>(xml.size()));
    const std::string zipUrl =
        SimLocalUrl("KvSimGigE.zip", ZIP_XML_ADDRESS, static_cast<uint32_t>(zip.size()));
    const bool zipFirst = options.m_eXml == SimXmlVariant::ZIP;

    auto bootstrap =
        MakeBootstrap(options, zipFirst ? zipUrl : plainUrl, zipFirst ? plainUrl : zipUrl);
    m_pBootstrap = bootstrap.get();
    m_AddressSpace.AddBlock(std::move(bootstrap));

    auto camera = std::make_unique<SimCameraFeatures>();
    m_pCamera = camera.get();
    m_AddressSpace.AddBlock(std::move(camera));

    auto files = std::make_unique<SimMemoryBlock>(KvDeviceReg::XML_BASE, KvDeviceReg::XML_MAX_SIZE);
    files->PutBytes(PLAIN_XML_ADDRESS, xmlBytes);
    files->PutBytes(ZIP_XML_ADDRESS, zip);
    m_AddressSpace.AddBlock(std::move(files));

    auto info = std::make_unique<SimMemoryBlock>(KvDeviceReg::SPECIFIC_BASE, 8);
    info->Put32(KvDeviceReg::EXTENSION_VERSION, KvDeviceReg::EXTENSION_VERSION_VALUE);
    info->Put32(KvDeviceReg::CAMERA_ID,
                KvDeviceReg::PackCameraId(options.m_nCameraIdFirst, options.m_nCameraIdSecond));
    m_AddressSpace.AddBlock(std::move(info));
}

SimGigEDevice::~SimGigEDevice() = default;

std::optional<SimPeer> SimGigEDevice::Controller() const {
    std::lock_guard lock(m_mLock);
    return m_Controller;
}

uint32_t SimGigEDevice::CurrentIp() const {
    std::lock_guard lock(m_mLock);
    return m_pBootstrap->Get32(Reg::CURRENT_IP);
}

bool SimGigEDevice::IsAcquiring() const {
    std::lock_guard lock(m_mLock);
    return m_pCamera->IsAcquiring();
}

void SimGigEDevice::Tick(Clock::time_point now) {
    std::lock_guard lock(m_mLock);
    ExpireHeartbeat(now);
}

void SimGigEDevice::ExpireHeartbeat(Clock::time_point now) {
    if (!m_Controller || (m_pBootstrap->Get32(Reg::GVCP_CONFIG) & CONFIG_HEARTBEAT_DISABLE)) {
        return;
    }
    const auto timeout = std::chrono::milliseconds(m_pBootstrap->Get32(Reg::HEARTBEAT_TIMEOUT));
    if (now - m_tLastContact > timeout) {
        DropControl();
    }
}

void SimGigEDevice::DropControl() {
    m_Controller.reset();
    m_pBootstrap->Put32(Reg::CCP, Ccp::RELEASED);
    // A device without a controller stops streaming: close the stream channel.
    m_pBootstrap->Put32(Reg::SCP0, 0);
}

Bytes SimGigEDevice::HandlePacket(ByteView packet, const SimPeer& from, Clock::time_point now) {
    std::lock_guard lock(m_mLock);
    ExpireHeartbeat(now);
    const auto command = ParseCommand(packet);
    if (!command) {
        return {};
    }
    if (m_Controller && *m_Controller == from) {
        m_tLastContact = now;
    }
    Bytes answer;
    switch (command->m_Header.m_nCommand) {
        case Cmd::DISCOVERY:
            answer = Discovery(*command);
            break;
        case Cmd::FORCEIP:
            answer = ForceIp(*command);
            break;
        case Cmd::READREG:
            answer = ReadRegisters(*command, from);
            break;
        case Cmd::WRITEREG:
            answer = WriteRegisters(*command, from, now);
            break;
        case Cmd::READMEM:
            answer = ReadMemory(*command, from);
            break;
        case Cmd::WRITEMEM:
            answer = WriteMemory(*command, from, now);
            break;
        case Cmd::PACKETRESEND:
            return {};  // streams are not simulated yet; resend has no ack
        default:
            answer = EncodeAck(Status::NOT_IMPLEMENTED,
                               static_cast<uint16_t>(command->m_Header.m_nCommand + 1),
                               command->m_Header.m_nRequestId);
            break;
    }
    if (!(command->m_Header.m_nFlags & FLAG_ACK_REQUIRED)) {
        return {};
    }
    return answer;
}

Bytes SimGigEDevice::Discovery(const Command& command) {
    const auto bootstrap = m_pBootstrap->View(0, DISCOVERY_ACK_SIZE);
    return EncodeDiscoveryAck(command.m_Header.m_nRequestId, bootstrap);
}

Bytes SimGigEDevice::ForceIp(const Command& command) {
    const uint16_t id = command.m_Header.m_nRequestId;
    const auto request = ParseForceIpPayload(command.m_Payload);
    if (!request) {
        return EncodeAck(Status::INVALID_PARAMETER, Ack::FORCEIP, id);
    }
    const auto mac = m_pBootstrap->View(Reg::MAC_HIGH + 2, 6);
    if (!std::equal(mac.begin(), mac.end(), request->m_Mac.begin())) {
        return {};  // meant for another device: stay silent
    }
    if (request->m_nIp != 0) {
        m_pBootstrap->Put32(Reg::CURRENT_IP, request->m_nIp);
        m_pBootstrap->Put32(Reg::CURRENT_MASK, request->m_nMask);
        m_pBootstrap->Put32(Reg::CURRENT_GATEWAY, request->m_nGateway);
    }
    return EncodeAck(Status::SUCCESS, Ack::FORCEIP, id);
}

bool SimGigEDevice::MayRead(const SimPeer& from) const {
    // Under exclusive access nobody but the controller may even read.
    return !m_Controller || *m_Controller == from ||
           !(m_pBootstrap->Get32(Reg::CCP) & Ccp::EXCLUSIVE);
}

Bytes SimGigEDevice::ReadRegisters(const Command& command, const SimPeer& from) {
    const uint16_t id = command.m_Header.m_nRequestId;
    const auto addresses = ParseReadRegPayload(command.m_Payload);
    if (!addresses) {
        return EncodeAck(Status::INVALID_PARAMETER, Ack::READREG, id);
    }
    if (!MayRead(from)) {
        return EncodeAck(Status::ACCESS_DENIED, Ack::READREG, id);
    }
    std::vector<uint32_t> values;
    for (uint32_t address : *addresses) {
        uint32_t value = 0;
        const uint16_t status = m_AddressSpace.Read32(address, value);
        if (status != Status::SUCCESS) {
            // The answer carries the values read before the failing address.
            Bytes payload(values.size() * 4);
            for (size_t i = 0; i < values.size(); ++i) {
                KvBigEndian::Put32(&payload[4 * i], values[i]);
            }
            return EncodeAck(status, Ack::READREG, id, payload);
        }
        values.push_back(value);
    }
    return EncodeReadRegAck(id, values);
}

Bytes SimGigEDevice::WriteRegisters(const Command& command, const SimPeer& from,
                                    Clock::time_point now) {
    const uint16_t id = command.m_Header.m_nRequestId;
    const auto writes = ParseWriteRegPayload(command.m_Payload);
    if (!writes) {
        return EncodeWriteRegAck(Status::INVALID_PARAMETER, id, 0);
    }
    for (size_t i = 0; i < writes->size(); ++i) {
        const uint16_t status =
            WriteWord(from, (*writes)[i].m_nAddress, (*writes)[i].m_nValue, now);
        if (status != Status::SUCCESS) {
            return EncodeWriteRegAck(status, id, static_cast<uint16_t>(i));
        }
    }
    return EncodeWriteRegAck(Status::SUCCESS, id, static_cast<uint16_t>(writes->size()));
}

Bytes SimGigEDevice::ReadMemory(const Command& command, const SimPeer& from) {
    const uint16_t id = command.m_Header.m_nRequestId;
    const auto request = ParseReadMemPayload(command.m_Payload);
    if (!request || request->m_nCount == 0 || request->m_nCount > MAX_MEMORY_BLOCK) {
        return EncodeAck(Status::INVALID_PARAMETER, Ack::READMEM, id);
    }
    if (!MayRead(from)) {
        return EncodeAck(Status::ACCESS_DENIED, Ack::READMEM, id);
    }
    Bytes data(request->m_nCount);
    const uint16_t status = m_AddressSpace.Read(request->m_nAddress, data);
    if (status != Status::SUCCESS) {
        return EncodeAck(status, Ack::READMEM, id);
    }
    return EncodeReadMemAck(id, request->m_nAddress, data);
}

Bytes SimGigEDevice::WriteMemory(const Command& command, const SimPeer& from,
                                 Clock::time_point now) {
    const uint16_t id = command.m_Header.m_nRequestId;
    const auto request = ParseWriteMemPayload(command.m_Payload);
    if (!request) {
        return EncodeWriteMemAck(Status::INVALID_PARAMETER, id, 0);
    }
    const uint32_t address = request->m_nAddress;
    const ByteView data = request->m_Data;
    if (address % 4 != 0 || data.size() % 4 != 0) {
        return EncodeWriteMemAck(Status::BAD_ALIGNMENT, id, 0);
    }
    if (uint64_t{address} + data.size() > Reg::BOOTSTRAP_END && address < Reg::BOOTSTRAP_END) {
        return EncodeWriteMemAck(Status::INVALID_ADDRESS, id, 0);
    }
    if (address < Reg::BOOTSTRAP_END) {
        // Word by word, so that the privilege and timestamp registers keep their rules.
        for (size_t i = 0; i < data.size(); i += 4) {
            const uint16_t status = WriteWord(from, address + static_cast<uint32_t>(i),
                                              KvBigEndian::Get32(&data[i]), now);
            if (status != Status::SUCCESS) {
                return EncodeWriteMemAck(status, id, static_cast<uint16_t>(i));
            }
        }
        return EncodeWriteMemAck(Status::SUCCESS, id, static_cast<uint16_t>(data.size()));
    }
    if (!m_Controller || !(*m_Controller == from)) {
        return EncodeWriteMemAck(Status::ACCESS_DENIED, id, 0);
    }
    const uint16_t status = m_AddressSpace.Write(address, data);
    return EncodeWriteMemAck(status, id,
                             static_cast<uint16_t>(status == Status::SUCCESS ? data.size() : 0));
}

uint16_t SimGigEDevice::WriteWord(const SimPeer& from, uint32_t address, uint32_t value,
                                  Clock::time_point now) {
    if (address == Reg::CCP) {
        return WriteControlPrivilege(from, value, now);
    }
    if (!m_Controller || !(*m_Controller == from)) {
        return Status::ACCESS_DENIED;
    }
    switch (address) {
        case Reg::HEARTBEAT_TIMEOUT:
            if (value == 0) {
                return Status::INVALID_PARAMETER;
            }
            break;
        case Reg::TIMESTAMP_CONTROL: {
            if (value & TIMESTAMP_RESET) {
                m_tStart = now;
            }
            if (value & TIMESTAMP_LATCH) {
                const auto ticks = static_cast<uint64_t>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_tStart).count());
                m_pBootstrap->Put32(Reg::TIMESTAMP_VALUE_HIGH, static_cast<uint32_t>(ticks >> 32));
                m_pBootstrap->Put32(Reg::TIMESTAMP_VALUE_LOW, static_cast<uint32_t>(ticks));
            }
            return Status::SUCCESS;  // a control register: it never reads back the bits
        }
        case Reg::SCPS0:
            // The test-packet bit fires once and does not stay set.
            value &= ~0x80000000u;
            break;
        default:
            break;
    }
    return m_AddressSpace.Write32(address, value);
}

uint16_t SimGigEDevice::WriteControlPrivilege(const SimPeer& from, uint32_t value,
                                              Clock::time_point now) {
    if (m_Controller && !(*m_Controller == from)) {
        return Status::ACCESS_DENIED;
    }
    if (value & ~uint32_t{Ccp::EXCLUSIVE | Ccp::CONTROL}) {
        return Status::INVALID_PARAMETER;
    }
    if (value == Ccp::RELEASED) {
        if (m_Controller) {
            DropControl();
        }
        return Status::SUCCESS;
    }
    m_Controller = from;
    m_tLastContact = now;
    m_pBootstrap->Put32(Reg::CCP, value);
    return Status::SUCCESS;
}
