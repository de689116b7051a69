#include <gtest/gtest.h>

#include <cstring>

#include "KvByteOrder.h"
#include "KvDeviceRegisters.h"
#include "SimCameraFeatures.h"
#include "SimGigEDevice.h"

using namespace Gvcp;
using namespace std::chrono_literals;
using Clock = SimGigEDevice::Clock;

namespace {

const SimPeer HOST_A{0x7F000001, 50000};
const SimPeer HOST_B{0x7F000001, 50001};

class Device : public ::testing::Test {
protected:
    explicit Device(SimGigEOptions options = {})
        : m_tNow(Clock::time_point{} + 1h), m_Device(options, m_tNow) {}

    // Sends one command and returns the answer's header and payload copy.
    struct Answer {
        bool m_bAnswered = false;
        AckHeader m_Header;
        Bytes m_Payload;
    };
    Answer Send(const Bytes& command, const SimPeer& from = HOST_A) {
        const Bytes reply = m_Device.HandlePacket(command, from, m_tNow);
        Answer answer;
        if (reply.empty()) {
            return answer;
        }
        const auto ack = ParseAck(reply);
        EXPECT_TRUE(ack) << "the device sent a malformed acknowledge";
        if (!ack) {
            return answer;
        }
        EXPECT_EQ(ack->m_Header.m_nAckId, KvBigEndian::Get16(&command[6]))
            << "the answer must echo the request id";
        answer.m_bAnswered = true;
        answer.m_Header = ack->m_Header;
        answer.m_Payload.assign(ack->m_Payload.begin(), ack->m_Payload.end());
        return answer;
    }
    uint16_t NextId() { return ++m_nLastId; }

    uint16_t Write(uint32_t address, uint32_t value, const SimPeer& from = HOST_A) {
        const RegisterWrite write{address, value};
        return Send(EncodeWriteRegCommand(NextId(), std::span(&write, 1)), from).m_Header.m_nStatus;
    }
    uint16_t Read(uint32_t address, uint32_t& value, const SimPeer& from = HOST_A) {
        const Answer answer = Send(EncodeReadRegCommand(NextId(), std::span(&address, 1)), from);
        value = answer.m_Payload.size() == 4 ? KvBigEndian::Get32(answer.m_Payload.data()) : 0;
        return answer.m_Header.m_nStatus;
    }
    uint16_t ReadMem(uint32_t address, uint16_t count, Bytes* data = nullptr) {
        const Answer answer = Send(EncodeReadMemCommand(NextId(), address, count));
        if (data && answer.m_Payload.size() >= 4) {
            data->assign(answer.m_Payload.begin() + 4, answer.m_Payload.end());
        }
        return answer.m_Header.m_nStatus;
    }

    Clock::time_point m_tNow;
    SimGigEDevice m_Device;
    uint16_t m_nLastId = 0;
};

}  // namespace

TEST_F(Device, OnlyTheControllerWritesButEveryoneReads) {
    EXPECT_EQ(Write(KvDeviceReg::FEATURES_BASE + SimCameraFeatures::WIDTH, 320),
              Status::ACCESS_DENIED)
        << "nobody holds control yet";
    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL, HOST_A), Status::SUCCESS);
    EXPECT_EQ(m_Device.Controller(), HOST_A);

    EXPECT_EQ(Write(Reg::CCP, Ccp::CONTROL, HOST_B), Status::ACCESS_DENIED);
    EXPECT_EQ(Write(KvDeviceReg::FEATURES_BASE, 320, HOST_B), Status::ACCESS_DENIED);
    const uint8_t name[16] = {'x'};
    const Bytes memWrite = EncodeWriteMemCommand(NextId(), Reg::USER_NAME, name);
    EXPECT_EQ(Send(memWrite, HOST_B).m_Header.m_nStatus, Status::ACCESS_DENIED);

    uint32_t value = 0;
    EXPECT_EQ(Read(Reg::CCP, value, HOST_B), Status::SUCCESS);
    EXPECT_EQ(value, Ccp::CONTROL);
    EXPECT_EQ(Write(KvDeviceReg::FEATURES_BASE, 320, HOST_A), Status::SUCCESS);
    EXPECT_EQ(Read(KvDeviceReg::FEATURES_BASE, value, HOST_B), Status::SUCCESS);
    EXPECT_EQ(value, 320u);

    // Exclusive access shuts the others out of reading too.
    ASSERT_EQ(Write(Reg::CCP, Ccp::EXCLUSIVE, HOST_A), Status::SUCCESS);
    EXPECT_EQ(Read(Reg::VERSION, value, HOST_B), Status::ACCESS_DENIED);

    ASSERT_EQ(Write(Reg::CCP, Ccp::RELEASED, HOST_A), Status::SUCCESS);
    EXPECT_EQ(Write(Reg::CCP, Ccp::CONTROL, HOST_B), Status::SUCCESS);
    EXPECT_EQ(m_Device.Controller(), HOST_B);
}

TEST_F(Device, HeartbeatExpiryDropsControlAndClosesTheStreamChannel) {
    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL), Status::SUCCESS);
    ASSERT_EQ(Write(Reg::SCP0, 40000), Status::SUCCESS);
    ASSERT_EQ(Write(Reg::HEARTBEAT_TIMEOUT, 1000), Status::SUCCESS);

    // Any command of the controller keeps the privilege alive.
    uint32_t value = 0;
    for (int i = 0; i < 3; ++i) {
        m_tNow += 900ms;
        m_Device.Tick(m_tNow);
        ASSERT_EQ(Read(Reg::CCP, value), Status::SUCCESS);
        EXPECT_EQ(value, Ccp::CONTROL);
    }
    // Another host's traffic does not.
    m_tNow += 900ms;
    ASSERT_EQ(Read(Reg::CCP, value, HOST_B), Status::SUCCESS);
    m_tNow += 200ms;
    m_Device.Tick(m_tNow);
    EXPECT_FALSE(m_Device.Controller());
    EXPECT_EQ(Read(Reg::CCP, value), Status::SUCCESS);
    EXPECT_EQ(value, Ccp::RELEASED);
    EXPECT_EQ(Read(Reg::SCP0, value), Status::SUCCESS);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(Write(Reg::CCP, Ccp::CONTROL, HOST_B), Status::SUCCESS) << "a newcomer may take over";
}

TEST_F(Device, HeartbeatDisableKeepsControl) {
    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL), Status::SUCCESS);
    ASSERT_EQ(Write(Reg::GVCP_CONFIG, 1), Status::SUCCESS);
    m_tNow += 1h;
    m_Device.Tick(m_tNow);
    EXPECT_EQ(m_Device.Controller(), HOST_A);
}

TEST_F(Device, BadAddressesLengthsAndValuesGetTheirStatus) {
    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL), Status::SUCCESS);
    const uint32_t F = KvDeviceReg::FEATURES_BASE;
    uint32_t value = 0;
    struct Case {
        const char* name;
        uint16_t status;
        uint16_t expected;
    };
    Bytes oddReadReg = EncodeReadRegCommand(NextId(), std::vector<uint32_t>{0});
    oddReadReg.resize(oddReadReg.size() + 2);
    oddReadReg[5] = 6;
    const uint32_t oneAddress = 0;
    Bytes noAck = EncodeReadRegCommand(NextId(), std::span(&oneAddress, 1));
    noAck[1] = 0;
    const Case cases[] = {
        {"unmapped address", Read(0x00500000, value), Status::INVALID_ADDRESS},
        {"reserved device-specific block", Read(KvDeviceReg::SERIAL_PORTS_BASE, value),
         Status::INVALID_ADDRESS},
        {"unaligned register", Read(0x0002, value), Status::BAD_ALIGNMENT},
        {"read-only bootstrap register", Write(Reg::VERSION, 5), Status::WRITE_PROTECT},
        {"read-only feature", Write(F + SimCameraFeatures::PAYLOAD_SIZE, 5), Status::WRITE_PROTECT},
        {"width off its increment", Write(F + SimCameraFeatures::WIDTH, 100),
         Status::INVALID_PARAMETER},
        {"width beyond the sensor", Write(F + SimCameraFeatures::WIDTH, 2048),
         Status::INVALID_PARAMETER},
        {"unknown pixel format", Write(F + SimCameraFeatures::PIXEL_FORMAT, 0x1234),
         Status::INVALID_PARAMETER},
        {"exposure not a number", Write(F + SimCameraFeatures::EXPOSURE_TIME, 0x7FC00000),
         Status::INVALID_PARAMETER},
        {"heartbeat timeout zero", Write(Reg::HEARTBEAT_TIMEOUT, 0), Status::INVALID_PARAMETER},
        {"privilege with unknown bits", Write(Reg::CCP, 0x10), Status::INVALID_PARAMETER},
        {"read memory of nothing", ReadMem(0, 0), Status::INVALID_PARAMETER},
        {"read memory beyond 536 bytes", ReadMem(0, 540), Status::INVALID_PARAMETER},
        {"read memory of an odd count", ReadMem(0, 6), Status::BAD_ALIGNMENT},
        {"read memory across the end of a block", ReadMem(Reg::BOOTSTRAP_END - 4, 8),
         Status::INVALID_ADDRESS},
        {"register list of an odd length", Send(oddReadReg).m_Header.m_nStatus,
         Status::INVALID_PARAMETER},
        {"unknown command",
         Send(Bytes{0x42, 1, 0x12, 0x34, 0, 0, 0, static_cast<uint8_t>(NextId())})
             .m_Header.m_nStatus,
         Status::NOT_IMPLEMENTED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.status, c.expected) << c.name;
    }
    EXPECT_FALSE(Send(noAck).m_bAnswered) << "no acknowledge unless one is asked for";
    EXPECT_FALSE(Send(Bytes{0x41, 1, 0, 0x80, 0, 0, 0, 1}).m_bAnswered) << "foreign key ignored";
}

TEST_F(Device, SeveralRegistersInOneRequest) {
    const uint32_t F = KvDeviceReg::FEATURES_BASE;
    const uint32_t addresses[] = {F + SimCameraFeatures::WIDTH, F + SimCameraFeatures::HEIGHT,
                                  F + SimCameraFeatures::PAYLOAD_SIZE, KvDeviceReg::CAMERA_ID};
    Answer answer = Send(EncodeReadRegCommand(NextId(), addresses));
    ASSERT_EQ(answer.m_Header.m_nStatus, Status::SUCCESS);
    EXPECT_EQ(ParseReadRegAckPayload(answer.m_Payload, 4),
              (std::vector<uint32_t>{640, 480, 640 * 480, 0}));

    // A failing address stops the list; the values before it still come back.
    const uint32_t broken[] = {F + SimCameraFeatures::WIDTH, 0x00700000, F};
    answer = Send(EncodeReadRegCommand(NextId(), broken));
    EXPECT_EQ(answer.m_Header.m_nStatus, Status::INVALID_ADDRESS);
    EXPECT_EQ(answer.m_Payload.size(), 4u);

    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL), Status::SUCCESS);
    const RegisterWrite writes[] = {{F + SimCameraFeatures::WIDTH, 320},
                                    {F + SimCameraFeatures::HEIGHT, 7},
                                    {F + SimCameraFeatures::OFFSET_X, 16}};
    answer = Send(EncodeWriteRegCommand(NextId(), writes));
    EXPECT_EQ(answer.m_Header.m_nStatus, Status::INVALID_PARAMETER);
    EXPECT_EQ(ParseWriteAckPayload(answer.m_Payload), 1) << "index of the refused pair";
    uint32_t value = 0;
    Read(F + SimCameraFeatures::WIDTH, value);
    EXPECT_EQ(value, 320u) << "pairs before the refused one are written";
    Read(F + SimCameraFeatures::OFFSET_X, value);
    EXPECT_EQ(value, 0u) << "pairs after it are not";
}

TEST_F(Device, DiscoveryAnswersWithTheBootstrapAndForceIpMovesTheDevice) {
    Answer answer = Send(EncodeDiscoveryCommand(NextId(), true), HOST_B);
    ASSERT_EQ(answer.m_Header.m_nAck, Ack::DISCOVERY);
    const auto info = ParseDiscoveryAckPayload(answer.m_Payload);
    ASSERT_TRUE(info);
    const SimDeviceIdentity identity;
    EXPECT_EQ(info->m_sManufacturer, identity.m_sManufacturer);
    EXPECT_EQ(info->m_sModel, identity.m_sModel);
    EXPECT_EQ(info->m_sSerialNumber, identity.m_sSerialNumber);
    EXPECT_EQ(info->m_sUserName, identity.m_sUserName);
    EXPECT_EQ(info->m_Mac, identity.m_Mac);
    EXPECT_EQ(info->m_nIp, identity.m_nIp);

    ForceIpRequest request;
    request.m_Mac = identity.m_Mac;
    request.m_nIp = 0x7F000063;
    request.m_nMask = 0xFFFF0000;
    answer = Send(EncodeForceIpCommand(NextId(), request));
    EXPECT_EQ(answer.m_Header.m_nAck, Ack::FORCEIP);
    EXPECT_EQ(answer.m_Header.m_nStatus, Status::SUCCESS);
    EXPECT_EQ(m_Device.CurrentIp(), 0x7F000063u);

    request.m_Mac[5] ^= 1;
    request.m_nIp = 0x7F000064;
    EXPECT_FALSE(Send(EncodeForceIpCommand(NextId(), request)).m_bAnswered)
        << "a force IP for another MAC is not ours to answer";
    EXPECT_EQ(m_Device.CurrentIp(), 0x7F000063u);
}

TEST_F(Device, TimestampLatchesTheDeviceClock) {
    ASSERT_EQ(Write(Reg::CCP, Ccp::CONTROL), Status::SUCCESS);
    ASSERT_EQ(Write(Reg::TIMESTAMP_CONTROL, 1), Status::SUCCESS);  // reset
    m_tNow += 1500ms;
    ASSERT_EQ(Write(Reg::TIMESTAMP_CONTROL, 2), Status::SUCCESS);  // latch
    uint32_t high = 0, low = 0;
    Read(Reg::TIMESTAMP_VALUE_HIGH, high);
    Read(Reg::TIMESTAMP_VALUE_LOW, low);
    EXPECT_EQ((uint64_t{high} << 32) | low, 1500000000u);
}
