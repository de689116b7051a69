#include <gtest/gtest.h>

#include <numeric>

#include "KvGvcpCodec.h"

using namespace Gvcp;

namespace {
Bytes B(std::initializer_list<int> values) {
    Bytes bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}
}  // namespace

TEST(GvcpCodec, CommandsMatchHandBuiltBytes) {
    const uint32_t addresses[] = {0x00000A00, 0x12345678};
    const RegisterWrite writes[] = {{0x00000A00, 2}, {0x00010004, 0xCAFEBABE}};
    const uint8_t data[] = {1, 2, 3, 4};
    ForceIpRequest forceIp;
    forceIp.m_Mac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    forceIp.m_nIp = 0x7F000005;
    forceIp.m_nMask = 0xFF000000;
    forceIp.m_nGateway = 0x7F000001;
    Bytes forceIpBytes = B({0x42, 0x01, 0x00, 0x04, 0x00, 0x38, 0x00, 0x09});
    forceIpBytes.resize(8 + 56, 0);
    const uint8_t mac[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::copy(std::begin(mac), std::end(mac), forceIpBytes.begin() + 10);
    const uint8_t ip[] = {0x7F, 0, 0, 5}, mask[] = {0xFF, 0, 0, 0}, gw[] = {0x7F, 0, 0, 1};
    std::copy(std::begin(ip), std::end(ip), forceIpBytes.begin() + 8 + 20);
    std::copy(std::begin(mask), std::end(mask), forceIpBytes.begin() + 8 + 36);
    std::copy(std::begin(gw), std::end(gw), forceIpBytes.begin() + 8 + 52);

    struct Case {
        const char* name;
        Bytes encoded;
        Bytes expected;
    };
    const Case cases[] = {
        {"discovery", EncodeDiscoveryCommand(1, false), B({0x42, 0x01, 0x00, 0x02, 0, 0, 0, 1})},
        {"discovery, broadcast answer allowed", EncodeDiscoveryCommand(0xFFFF, true),
         B({0x42, 0x11, 0x00, 0x02, 0, 0, 0xFF, 0xFF})},
        {"read two registers", EncodeReadRegCommand(0x0102, addresses),
         B({0x42, 0x01, 0x00, 0x80, 0x00, 0x08, 0x01, 0x02, 0, 0, 0x0A, 0, 0x12, 0x34, 0x56,
            0x78})},
        {"write two registers", EncodeWriteRegCommand(7, writes),
         B({0x42, 0x01, 0x00, 0x82, 0x00, 0x10, 0x00, 0x07, 0,    0,    0x0A, 0,
            0,    0,    0,    2,    0,    1,    0,    4,    0xCA, 0xFE, 0xBA, 0xBE})},
        {"read memory", EncodeReadMemCommand(3, 0x00100000, 536),
         B({0x42, 0x01, 0x00, 0x84, 0x00, 0x08, 0x00, 0x03, 0, 0x10, 0, 0, 0, 0, 0x02, 0x18})},
        {"write memory", EncodeWriteMemCommand(4, 0x200, data),
         B({0x42, 0x01, 0x00, 0x86, 0x00, 0x08, 0x00, 0x04, 0, 0, 2, 0, 1, 2, 3, 4})},
        {"force IP", EncodeForceIpCommand(9, forceIp), forceIpBytes},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.encoded, c.expected) << c.name;
    }
}

TEST(GvcpCodec, AcknowledgesMatchHandBuiltBytes) {
    const uint32_t values[] = {0x00010002};
    const uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF};
    struct Case {
        const char* name;
        Bytes encoded;
        Bytes expected;
    };
    const Case cases[] = {
        {"read register", EncodeReadRegAck(5, values),
         B({0, 0, 0x00, 0x81, 0x00, 0x04, 0x00, 0x05, 0x00, 0x01, 0x00, 0x02})},
        {"write register refused", EncodeWriteRegAck(Status::ACCESS_DENIED, 6, 0),
         B({0x80, 0x06, 0x00, 0x83, 0x00, 0x04, 0x00, 0x06, 0, 0, 0, 0})},
        {"read memory", EncodeReadMemAck(7, 0x10000, data),
         B({0, 0, 0x00, 0x85, 0x00, 0x08, 0x00, 0x07, 0, 1, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF})},
        {"write memory", EncodeWriteMemAck(0, 8, 1),
         B({0, 0, 0x00, 0x87, 0x00, 0x04, 0x00, 0x08, 0, 0, 0, 1})},
        {"pending", EncodePendingAck(9, 500),
         B({0, 0, 0x00, 0x89, 0x00, 0x04, 0x00, 0x09, 0, 0, 0x01, 0xF4})},
        {"error without payload", EncodeAck(Status::INVALID_ADDRESS, Ack::READMEM, 10),
         B({0x80, 0x03, 0x00, 0x85, 0, 0, 0, 10})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.encoded, c.expected) << c.name;
    }
}

TEST(GvcpCodec, EncodersRefuseWhatDoesNotFitOnePacket) {
    std::vector<uint32_t> many(MAX_REGISTERS_PER_READ + 1);
    std::vector<RegisterWrite> manyWrites(MAX_REGISTERS_PER_WRITE + 1);
    Bytes big(MAX_MEMORY_BLOCK + 4), odd(6);
    EXPECT_TRUE(EncodeReadRegCommand(1, {}).empty());
    EXPECT_TRUE(EncodeReadRegCommand(1, many).empty());
    EXPECT_FALSE(EncodeReadRegCommand(1, std::span(many).first(MAX_REGISTERS_PER_READ)).empty());
    EXPECT_TRUE(EncodeWriteRegCommand(1, manyWrites).empty());
    EXPECT_TRUE(EncodeWriteMemCommand(1, 0, big).empty());
    EXPECT_TRUE(EncodeWriteMemCommand(1, 0, odd).empty());
    EXPECT_TRUE(EncodeReadMemAck(1, 0, big).empty());
    EXPECT_TRUE(EncodeDiscoveryAck(1, odd).empty());
}

TEST(GvcpCodec, DevicePayloadsRoundTrip) {
    const uint32_t addresses[] = {4, 8, 0xFFFFFFFC};
    const Bytes readRegPacket = EncodeReadRegCommand(1, addresses);
    auto readReg = ParseCommand(readRegPacket);
    ASSERT_TRUE(readReg);
    EXPECT_EQ(readReg->m_Header.m_nCommand, Cmd::READREG);
    EXPECT_EQ(readReg->m_Header.m_nRequestId, 1);
    EXPECT_EQ(ParseReadRegPayload(readReg->m_Payload),
              std::vector<uint32_t>(addresses, addresses + 3));

    const RegisterWrite writes[] = {{0xA00, 2}};
    const Bytes writeRegPacket = EncodeWriteRegCommand(2, writes);
    auto writeReg = ParseCommand(writeRegPacket);
    ASSERT_TRUE(writeReg);
    EXPECT_EQ(ParseWriteRegPayload(writeReg->m_Payload),
              std::vector<RegisterWrite>(writes, writes + 1));

    const Bytes readMemPacket = EncodeReadMemCommand(3, 0x100, 0x40);
    auto readMem = ParseCommand(readMemPacket);
    ASSERT_TRUE(readMem);
    auto request = ParseReadMemPayload(readMem->m_Payload);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->m_nAddress, 0x100u);
    EXPECT_EQ(request->m_nCount, 0x40);

    Bytes data(MAX_MEMORY_BLOCK);
    std::iota(data.begin(), data.end(), 0);
    Bytes writeMemPacket = EncodeWriteMemCommand(4, 0x200, data);
    auto writeMem = ParseCommand(writeMemPacket);
    ASSERT_TRUE(writeMem);
    auto write = ParseWriteMemPayload(writeMem->m_Payload);
    ASSERT_TRUE(write);
    EXPECT_EQ(write->m_nAddress, 0x200u);
    EXPECT_TRUE(std::equal(write->m_Data.begin(), write->m_Data.end(), data.begin(), data.end()));

    ForceIpRequest forceIp;
    forceIp.m_Mac = {1, 2, 3, 4, 5, 6};
    forceIp.m_nIp = 0x7F000009;
    const Bytes forcedPacket = EncodeForceIpCommand(5, forceIp);
    auto forced = ParseCommand(forcedPacket);
    ASSERT_TRUE(forced);
    auto parsed = ParseForceIpPayload(forced->m_Payload);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->m_Mac, forceIp.m_Mac);
    EXPECT_EQ(parsed->m_nIp, forceIp.m_nIp);
}

TEST(GvcpCodec, MalformedTruncatedAndOversizedPacketsAreRejected) {
    const Bytes good = B({0x42, 0x01, 0x00, 0x80, 0x00, 0x04, 0x00, 0x01, 0, 0, 0, 0});
    ASSERT_TRUE(ParseCommand(good));
    const Bytes truncatedHeader(good.begin(), good.begin() + 7),
        truncatedPayload(good.begin(), good.end() - 1);
    Bytes oversized = good;
    oversized.resize(MAX_PACKET + 4, 0);
    oversized[4] = static_cast<uint8_t>((oversized.size() - 8) >> 8);
    oversized[5] = static_cast<uint8_t>(oversized.size() - 8);
    Bytes wrongKey = good;
    wrongKey[0] = 0x43;
    Bytes trailing = good;
    trailing.push_back(0);
    struct Case {
        const char* name;
        Bytes packet;
    };
    const Case cases[] = {
        {"empty", {}},
        {"truncated header", truncatedHeader},
        {"truncated payload", truncatedPayload},
        {"bytes beyond the stated length", trailing},
        {"wrong key", wrongKey},
        {"oversized", oversized},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ParseCommand(c.packet)) << c.name;
    }
    // Acknowledges have no key but the same size rules.
    const Bytes ack = EncodeReadRegAck(1, std::vector<uint32_t>{1});
    ASSERT_TRUE(ParseAck(ack));
    const Bytes shortAck(ack.begin(), ack.end() - 1), headerOnly(ack.begin(), ack.begin() + 7);
    EXPECT_FALSE(ParseAck(shortAck));
    EXPECT_FALSE(ParseAck(headerOnly));
    Bytes longAck = ack;
    longAck.push_back(0);
    EXPECT_FALSE(ParseAck(longAck));
    Bytes hugeAck(MAX_PACKET + 1);
    hugeAck[4] = static_cast<uint8_t>((MAX_PACKET + 1 - 8) >> 8);
    hugeAck[5] = static_cast<uint8_t>(MAX_PACKET + 1 - 8);
    EXPECT_FALSE(ParseAck(hugeAck));
}

TEST(GvcpCodec, PayloadParsersRejectWrongShapes) {
    const Bytes six(6), seven(7), twelve(12), four(4), oversize(MAX_PAYLOAD + 8);
    EXPECT_FALSE(ParseReadRegPayload({}));
    EXPECT_FALSE(ParseReadRegPayload(six));
    EXPECT_FALSE(ParseReadRegPayload(oversize));
    EXPECT_FALSE(ParseWriteRegPayload(twelve));
    EXPECT_FALSE(ParseWriteRegPayload({}));
    EXPECT_FALSE(ParseReadMemPayload(twelve));
    EXPECT_FALSE(ParseWriteMemPayload(four));
    EXPECT_FALSE(ParseWriteMemPayload(oversize));
    EXPECT_FALSE(ParseForceIpPayload(twelve));
    // Answers must carry exactly what was asked for.
    EXPECT_FALSE(ParseReadRegAckPayload(four, 2));
    EXPECT_FALSE(ParseReadRegAckPayload({}, 0));
    EXPECT_FALSE(ParseWriteAckPayload(seven));
    const Bytes memAck = B({0, 1, 0, 0, 9, 9, 9, 9});
    EXPECT_TRUE(ParseReadMemAckPayload(memAck, 0x10000, 4));
    EXPECT_FALSE(ParseReadMemAckPayload(memAck, 0x10004, 4)) << "another address";
    EXPECT_FALSE(ParseReadMemAckPayload(memAck, 0x10000, 8)) << "fewer bytes than asked";
    const Bytes three(3);
    EXPECT_FALSE(ParseReadMemAckPayload(three, 0, 0)) << "shorter than its address";
    const Bytes shortDiscovery(DISCOVERY_ACK_SIZE - 4);
    EXPECT_FALSE(ParseDiscoveryAckPayload(shortDiscovery));
}

TEST(GvcpCodec, DiscoveryAnswerDecodesBootstrapFieldsAndBoundsTexts) {
    Bytes bootstrap(DISCOVERY_ACK_SIZE, 0);
    bootstrap[0] = 0x00;
    bootstrap[1] = 0x02;  // version 2.1
    bootstrap[3] = 0x01;
    const uint8_t mac[] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    std::copy(std::begin(mac), std::end(mac), bootstrap.begin() + Reg::MAC_HIGH + 2);
    const uint8_t ip[] = {127, 0, 0, 7};
    std::copy(std::begin(ip), std::end(ip), bootstrap.begin() + Reg::CURRENT_IP);
    const std::string maker = "Varkel Inc";
    std::copy(maker.begin(), maker.end(), bootstrap.begin() + Reg::MANUFACTURER_NAME);
    // A user name that fills its field without a terminating zero must stop at
    // the field's end, not run into the next bytes.
    std::fill_n(bootstrap.begin() + Reg::USER_NAME, Reg::SHORT_FIELD_SIZE, 'x');

    const Bytes packet = EncodeDiscoveryAck(3, bootstrap);
    auto ack = ParseAck(packet);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->m_Header.m_nAck, Ack::DISCOVERY);
    auto info = ParseDiscoveryAckPayload(ack->m_Payload);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->m_nVersionMajor, 2);
    EXPECT_EQ(info->m_nVersionMinor, 1);
    EXPECT_EQ(FormatMac(info->m_Mac), "AA:BB:CC:DD:EE:FF");
    EXPECT_EQ(FormatIp(info->m_nIp), "127.0.0.7");
    EXPECT_EQ(info->m_sManufacturer, maker);
    EXPECT_EQ(info->m_sUserName, std::string(16, 'x'));
}

TEST(GvcpCodec, IpTextsParseStrictly) {
    EXPECT_EQ(ParseIp("127.0.0.5"), 0x7F000005u);
    EXPECT_FALSE(ParseIp("127.0.0"));
    EXPECT_FALSE(ParseIp("127.0.0.256"));
    EXPECT_FALSE(ParseIp("127.0.0.1 "));
    EXPECT_FALSE(ParseIp(""));
}
