// A UDP relay between the client and the simulated device lets each test decide
// what becomes of every acknowledge: lost, held back and sent late, duplicated,
// or preceded by foreign and malformed packets.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <mutex>

#include "GvcpClient.h"
#include "GvcpTestDevice.h"
#include "KvByteOrder.h"
#include "KvDeviceRegisters.h"
#include "SimCameraFeatures.h"

using namespace Gvcp;

namespace {

class UdpRelay {
public:
    // Decides what the client receives for one acknowledge of the device, in order.
    using Policy = std::function<std::vector<Bytes>(const Bytes& ack)>;

    UdpRelay(const std::string& front, const std::string& device, Policy policy)
        : m_Device{*ParseIp(device), PORT}, m_Policy(std::move(policy)) {
        const uint32_t ip = *ParseIp(front);
        EXPECT_EQ(m_Front.Open({ip, PORT}), 0);
        EXPECT_EQ(m_Back.Open({ip, 0}), 0);
        EXPECT_EQ(m_Foreign.Open({ip, 0}), 0);
        m_nWake = eventfd(0, EFD_CLOEXEC);
        m_Thread = std::thread([this] { Run(); });
    }
    ~UdpRelay() {
        const uint64_t one = 1;
        (void)!write(m_nWake, &one, sizeof one);
        m_Thread.join();
        close(m_nWake);
    }
    // Sends a packet to the client from another port than the device's.
    void SendForeign(const Bytes& packet) { m_Foreign.SendTo(packet, m_Client); }

private:
    void Run() {
        uint8_t buffer[2048];
        for (;;) {
            // Poll the wake fd with a short step; the sockets are read with their own deadlines.
            pollfd wake{m_nWake, POLLIN, 0};
            if (poll(&wake, 1, 0) > 0) {
                return;
            }
            GvcpEndpoint from;
            const auto soon = GvcpUdpSocket::Clock::now() + std::chrono::milliseconds(5);
            if (auto size = m_Front.ReceiveFrom(buffer, from, soon)) {
                m_Client = from;
                m_Back.SendTo(std::span(buffer, *size), m_Device);
            }
            if (auto size = m_Back.ReceiveFrom(
                    buffer, from, GvcpUdpSocket::Clock::now() + std::chrono::milliseconds(1))) {
                for (const Bytes& packet : m_Policy(Bytes(buffer, buffer + *size))) {
                    m_Front.SendTo(packet, m_Client);
                }
            }
        }
    }

    GvcpUdpSocket m_Front, m_Back, m_Foreign;
    GvcpEndpoint m_Device, m_Client;
    Policy m_Policy;
    int m_nWake = -1;
    std::thread m_Thread;
};

// The same acknowledge with its first register value replaced.
Bytes WithValue(Bytes ack, uint32_t value) {
    KvBigEndian::Put32(&ack[HEADER_SIZE], value);
    return ack;
}

const uint32_t WIDTH = KvDeviceReg::FEATURES_BASE + SimCameraFeatures::WIDTH;
const uint32_t HEIGHT = KvDeviceReg::FEATURES_BASE + SimCameraFeatures::HEIGHT;

}  // namespace

TEST(GvcpRelay, LostAcknowledgeIsRetried) {
    GvcpTestDevice device("127.0.0.50");
    int acks = 0;
    UdpRelay relay("127.0.0.51", "127.0.0.50", [&](const Bytes& ack) {
        return ++acks == 1 ? std::vector<Bytes>{} : std::vector<Bytes>{ack};
    });
    GvcpClient client;
    client.SetAnswerTimeout(100);
    client.SetRetryCount(2);
    ASSERT_EQ(client.Open("127.0.0.51"), KvCode::OK);
    uint32_t width = 0;
    ASSERT_EQ(client.ReadRegister(WIDTH, width), KvCode::OK);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(client.GetCounters().m_nResends, 1u);
}

TEST(GvcpRelay, LateAndDuplicatedAcknowledgesNeverAnswerANewerRequest) {
    GvcpTestDevice device("127.0.0.52");
    std::mutex lock;
    Bytes held;
    int acks = 0;
    UdpRelay relay("127.0.0.53", "127.0.0.52", [&](const Bytes& ack) {
        std::lock_guard guard(lock);
        switch (++acks) {
            case 1:
                held = ack;
                return std::vector<Bytes>{};  // too late for its try
            case 2:
                return std::vector<Bytes>{ack, ack};  // the retry's answer, duplicated
            default:
                return std::vector<Bytes>{held, ack};  // the late one turns up first
        }
    });
    GvcpClient client;
    client.SetAnswerTimeout(100);
    client.SetRetryCount(2);
    ASSERT_EQ(client.Open("127.0.0.53"), KvCode::OK);
    uint32_t width = 0, height = 0;
    ASSERT_EQ(client.ReadRegister(WIDTH, width), KvCode::OK);
    EXPECT_EQ(width, 640u);
    // Width's stale answer and the duplicate arrive while the client waits for Height.
    ASSERT_EQ(client.ReadRegister(HEIGHT, height), KvCode::OK);
    EXPECT_EQ(height, 480u) << "a stale acknowledge of the previous request was taken";
    EXPECT_GE(client.GetCounters().m_nIgnored, 2u);
}

TEST(GvcpRelay, ForeignAndMalformedPacketsAreIgnored) {
    GvcpTestDevice device("127.0.0.54");
    UdpRelay* relayPointer = nullptr;
    UdpRelay relay("127.0.0.55", "127.0.0.54", [&](const Bytes& ack) {
        relayPointer->SendForeign(WithValue(ack, 0xBAD));  // the right id, from someone else
        Bytes wrongCode = WithValue(ack, 0xBAD1);
        KvBigEndian::Put16(&wrongCode[2], Ack::READMEM);
        Bytes wrongId = WithValue(ack, 0xBAD2);
        KvBigEndian::Put16(&wrongId[6], static_cast<uint16_t>(KvBigEndian::Get16(&ack[6]) + 1));
        Bytes badLength = WithValue(ack, 0xBAD3);
        badLength.push_back(0);
        Bytes twoValues = WithValue(ack, 0xBAD4);  // well-formed, but more values than asked for
        twoValues.insert(twoValues.end(), {0, 0, 0, 0});
        KvBigEndian::Put16(&twoValues[4], 8);
        Bytes oversized(MAX_PACKET + 8, 0);
        std::copy(ack.begin(), ack.begin() + 8, oversized.begin());
        KvBigEndian::Put16(&oversized[4], static_cast<uint16_t>(oversized.size() - 8));
        return std::vector<Bytes>{Bytes{1, 2, 3}, Bytes(ack.begin(), ack.begin() + 6),
                                  wrongCode,      wrongId,
                                  badLength,      twoValues,
                                  oversized,      ack};
    });
    relayPointer = &relay;
    GvcpClient client;
    client.SetAnswerTimeout(1000);
    client.SetRetryCount(0);
    ASSERT_EQ(client.Open("127.0.0.55"), KvCode::OK);
    uint32_t width = 0;
    ASSERT_EQ(client.ReadRegister(WIDTH, width), KvCode::OK);
    EXPECT_EQ(width, 640u);
    EXPECT_EQ(client.GetCounters().m_nIgnored, 8u);
}
