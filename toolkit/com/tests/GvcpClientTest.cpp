#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <future>
#include <numeric>

#include "GvcpClient.h"
#include "GvcpTestDevice.h"
#include "KvDeviceRegisters.h"
#include "SimCameraFeatures.h"
#include "SimGenICamFile.h"

using namespace Gvcp;

namespace {

GvcpClient& Configured(GvcpClient& client) {
    client.SetAnswerTimeout(200);
    client.SetRetryCount(2);
    return client;
}

}  // namespace

TEST(GvcpClient, ReadsAndWritesRegistersAndMemoryOfTheDevice) {
    GvcpTestDevice device("127.0.0.40");
    GvcpClient client;
    ASSERT_EQ(Configured(client).Open("127.0.0.40"), KvCode::OK);

    uint32_t version = 0;
    ASSERT_EQ(client.ReadRegister(Reg::VERSION, version), KvCode::OK);
    EXPECT_EQ(version, 0x00010002u) << "values come back in host order";

    // More addresses than one packet holds go out in several requests.
    std::vector<uint32_t> addresses(200), values(200);
    // Highest address first, so that the known registers land in the second request.
    for (size_t i = 0; i < addresses.size(); ++i)
        addresses[i] = static_cast<uint32_t>(4 * (199 - i));
    ASSERT_EQ(client.ReadRegisters(addresses, values), KvCode::OK);
    EXPECT_EQ(client.GetCounters().m_nRequests, 4u)
        << "the version, the capabilities and two lists";
    EXPECT_EQ(values[199 - Reg::VERSION / 4], version);
    EXPECT_EQ(values[199 - Reg::CURRENT_IP / 4], 0x7F000028u);
    EXPECT_EQ(values[199 - Reg::MANUFACTURER_NAME / 4], 0x5661726Bu) << "'Vark'";

    // The GenICam file through the first URL, read in pieces of at most 536 bytes.
    std::string url(Reg::URL_SIZE, '\0');
    ASSERT_EQ(client.ReadMemory(Reg::FIRST_URL,
                                std::span(reinterpret_cast<uint8_t*>(url.data()), url.size())),
              KvCode::OK);
    url.resize(url.find('\0'));
    const std::string_view xml = SimGenICamXml();
    EXPECT_EQ(url, SimLocalUrl("KvSimGigE.xml", SimGigEDevice::PLAIN_XML_ADDRESS,
                               static_cast<uint32_t>(xml.size())));
    std::string file(xml.size(), '\0');  // not a multiple of 4: the last piece is cut here
    ASSERT_EQ(client.ReadMemory(SimGigEDevice::PLAIN_XML_ADDRESS,
                                std::span(reinterpret_cast<uint8_t*>(file.data()), file.size())),
              KvCode::OK);
    EXPECT_EQ(file, xml);

    ASSERT_EQ(client.TakeControl(), KvCode::OK);
    const uint32_t width = KvDeviceReg::FEATURES_BASE + SimCameraFeatures::WIDTH;
    ASSERT_EQ(client.WriteRegister(width, 320), KvCode::OK);
    uint32_t value = 0;
    ASSERT_EQ(client.ReadRegister(width, value), KvCode::OK);
    EXPECT_EQ(value, 320u);
    const uint8_t name[16] = {'c', 'a', 'm', '7'};
    ASSERT_EQ(client.WriteMemory(Reg::USER_NAME, name), KvCode::OK);
    uint8_t back[16] = {};
    ASSERT_EQ(client.ReadMemory(Reg::USER_NAME, back), KvCode::OK);
    EXPECT_EQ(std::memcmp(back, name, sizeof name), 0);
    ASSERT_EQ(client.ReleaseControl(), KvCode::OK);
    EXPECT_FALSE(device.m_Device.Controller());
}

TEST(GvcpClient, RefusalsAndMissingDevicesGiveClearCodes) {
    GvcpTestDevice device("127.0.0.41");
    GvcpClient client;
    uint32_t value = 0;
    EXPECT_EQ(client.ReadRegister(0, value), KvCode::NOT_CONNECTED);

    ASSERT_EQ(Configured(client).Open("127.0.0.41"), KvCode::OK);
    struct Case {
        const char* name;
        KvResult result;
        KvResult expected;
    };
    const uint8_t four[4] = {};
    const Case cases[] = {
        {"write without control", client.WriteRegister(KvDeviceReg::FEATURES_BASE, 320),
         KvCode::ACCESS_DENIED},
        {"unmapped address", client.ReadRegister(0x00700000, value), KvCode::INVALID_ARGUMENT},
        {"write memory without control", client.WriteMemory(KvDeviceReg::FEATURES_BASE, four),
         KvCode::ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, c.expected) << c.name;
    }
    // The record of the last refusal carries the device's status and a text.
    ASSERT_EQ(client.ReadRegister(0x00700000, value), KvCode::INVALID_ARGUMENT);
    KvErrorInfo info;
    client.GetErrorInfo(&info);
    EXPECT_EQ(info.m_nSystemError, Status::INVALID_ADDRESS);
    EXPECT_NE(client.GetInfoString().str().find("invalid address"), std::string::npos)
        << client.GetInfoString().str();

    uint8_t odd[3];
    EXPECT_EQ(client.ReadMemory(2, odd), KvCode::INVALID_ARGUMENT)
        << "unaligned address refused before sending";

    // Nobody at this address: every try times out.
    GvcpClient lonely;
    Configured(lonely).SetAnswerTimeout(30);
    ASSERT_EQ(lonely.Open("127.0.0.42"), KvCode::OK);
    EXPECT_EQ(lonely.ReadRegister(0, value), KvCode::TIMEOUT);
    EXPECT_EQ(lonely.GetCounters().m_nResends, 2u);
}

TEST(GvcpClient, SecondClientIsRefusedControlYetReads) {
    GvcpTestDevice device("127.0.0.43");
    GvcpClient first, second;
    ASSERT_EQ(Configured(first).Open("127.0.0.43"), KvCode::OK);
    ASSERT_EQ(Configured(second).Open("127.0.0.43"), KvCode::OK);
    ASSERT_EQ(first.TakeControl(), KvCode::OK);

    EXPECT_EQ(second.TakeControl(), KvCode::ACCESS_DENIED);
    EXPECT_FALSE(second.HasControl());
    EXPECT_EQ(second.WriteRegister(KvDeviceReg::FEATURES_BASE, 320), KvCode::ACCESS_DENIED);
    uint32_t ccp = 0;
    ASSERT_EQ(second.ReadRegister(Reg::CCP, ccp), KvCode::OK);
    EXPECT_EQ(ccp, Ccp::CONTROL);

    ASSERT_EQ(first.ReleaseControl(), KvCode::OK);
    EXPECT_EQ(second.TakeControl(), KvCode::OK);
}

TEST(GvcpClient, HeartbeatKeepsControlAndReportsLossWithinTheExpiration) {
    auto device = std::make_unique<GvcpTestDevice>("127.0.0.44");
    GvcpClient client;
    ASSERT_EQ(Configured(client).Open("127.0.0.44"), KvCode::OK);
    ASSERT_EQ(client.TakeControl(), KvCode::OK);

    std::mutex lock;
    std::condition_variable signalled;
    std::vector<KvResult> losses;
    ASSERT_EQ(client.StartHeartbeat(50, 400,
                                    [&](KvResult code) {
                                        std::lock_guard guard(lock);
                                        losses.push_back(code);
                                        signalled.notify_all();
                                    }),
              KvCode::OK);
    uint32_t timeout = 0;
    ASSERT_EQ(client.ReadRegister(Reg::HEARTBEAT_TIMEOUT, timeout), KvCode::OK);
    EXPECT_EQ(timeout, 400u) << "the device's heartbeat timeout follows the expiration";

    // Beats go out: the request counter climbs while nothing is lost.
    const uint64_t before = client.GetCounters().m_nRequests;
    {
        std::unique_lock guard(lock);
        signalled.wait_for(guard, std::chrono::milliseconds(300), [&] { return !losses.empty(); });
        EXPECT_TRUE(losses.empty());
    }
    EXPECT_GT(client.GetCounters().m_nRequests, before);
    EXPECT_EQ(device->m_Device.Controller().has_value(), true);

    // The device goes away: the loss is reported once, and soon after the expiration.
    device.reset();
    const auto gone = std::chrono::steady_clock::now();
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(
            signalled.wait_for(guard, std::chrono::seconds(10), [&] { return !losses.empty(); }));
    }
    const auto waited = std::chrono::steady_clock::now() - gone;
    EXPECT_GE(waited, std::chrono::milliseconds(300))
        << "no loss before the expiration could have passed";
    EXPECT_EQ(losses, std::vector<KvResult>{KvCode::CONNECTION_LOST});
    EXPECT_FALSE(client.HasControl());
    EXPECT_FALSE(client.IsHeartbeatRunning());
    client.StopHeartbeat();
}

TEST(GvcpClient, HeartbeatReportsAPrivilegeTheDeviceDropped) {
    GvcpTestDevice device("127.0.0.45");
    GvcpClient client;
    ASSERT_EQ(Configured(client).Open("127.0.0.45"), KvCode::OK);
    ASSERT_EQ(client.TakeControl(), KvCode::OK);
    std::promise<KvResult> lost;
    ASSERT_EQ(client.StartHeartbeat(300, 5000, [&](KvResult code) { lost.set_value(code); }),
              KvCode::OK);
    // A device timeout shorter than the beat: the device drops the privilege
    // between two beats, and the next beat finds it gone.
    ASSERT_EQ(client.WriteRegister(Reg::HEARTBEAT_TIMEOUT, 100), KvCode::OK);
    auto reported = lost.get_future();
    ASSERT_EQ(reported.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(reported.get(), KvCode::ACCESS_DENIED);
    EXPECT_FALSE(client.HasControl());
    EXPECT_EQ(client.GetErrorInfo(), KvCode::ACCESS_DENIED);
}

TEST(GvcpClient, ForceIpReachesOnlyTheDeviceWithThatMac) {
    GvcpTestDevice device("127.0.0.46");
    GvcpClient client;
    ASSERT_EQ(Configured(client).Open("127.0.0.46"), KvCode::OK);
    MacAddress mac = SimDeviceIdentity().m_Mac;
    ASSERT_EQ(client.ForceIp(mac, 0x7F000063, 0xFF000000, 0), KvCode::OK);
    EXPECT_EQ(device.m_Device.CurrentIp(), 0x7F000063u);
    mac[0] ^= 0x80;
    client.SetRetryCount(0);
    EXPECT_EQ(client.ForceIp(mac, 0x7F000064, 0xFF000000, 0), KvCode::TIMEOUT);
    EXPECT_EQ(device.m_Device.CurrentIp(), 0x7F000063u);
}
