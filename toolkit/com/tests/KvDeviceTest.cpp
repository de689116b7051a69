#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>

#include "GvcpTestDevice.h"
#include "KvConfig.h"
#include "KvDevice.h"
#include "KvDeviceRegisters.h"
#include "SimCameraFeatures.h"

using namespace KvConfigParam;

namespace {

// A configuration with one entry for the device at address.
void Entry(KvConfig& config, const std::string& address, int64_t multiTarget = 0,
           int64_t master = 1, int64_t heartbeatMs = 200, int64_t expirationMs = 1000) {
    ASSERT_EQ(config.AddDevice(), KvCode::OK);
    ASSERT_EQ(config.SetParameter(IP_ADDRESS, KvString("[" + address + "]")), KvCode::OK);
    ASSERT_EQ(config.SetParameter(ANSWER_TIMEOUT, int64_t{200}), KvCode::OK);
    ASSERT_EQ(config.SetParameter(RETRY_COUNT, int64_t{2}), KvCode::OK);
    ASSERT_EQ(config.SetParameter(HEARTBEAT_INTERVAL, heartbeatMs), KvCode::OK);
    ASSERT_EQ(config.SetParameter(HEARTBEAT_EXPIRATION, expirationMs), KvCode::OK);
    ASSERT_EQ(config.SetParameter(MULTI_TARGET_MODE, multiTarget), KvCode::OK);
    ASSERT_EQ(config.SetParameter(MASTER, master), KvCode::OK);
}

int64_t Param(const KvDevice& device, uint32_t id) {
    int64_t value = -1;
    EXPECT_EQ(device.GetParameter(id, value), KvCode::OK);
    return value;
}

const uint32_t WIDTH = KvDeviceReg::FEATURES_BASE + SimCameraFeatures::WIDTH;

}  // namespace

TEST(KvDevice, ConnectTakesControlAndDisconnectReleasesIt) {
    SimGigEOptions options;
    options.m_nCameraIdFirst = 8;
    options.m_nCameraIdSecond = 3;
    GvcpTestDevice sim("127.0.0.70", options);
    KvConfig config;
    Entry(config, "127.0.0.70");

    KvDevice device;
    ASSERT_EQ(device.Connect(config), KvCode::OK) << device.GetInfoString().str();
    EXPECT_TRUE(device.IsConnected());
    EXPECT_TRUE(sim.m_Device.Controller().has_value());
    EXPECT_EQ(Param(device, KvDeviceParam::CONTROL), 1);
    EXPECT_EQ(Param(device, KvDeviceParam::COMMUNICATION_MODE),
              KvCommunicationMode::GIGE_VISION_SOCKETS);
    EXPECT_GE(Param(device, KvDeviceParam::DATA_CHANNELS), 1);
    EXPECT_NE(Param(device, KvDeviceParam::COMMAND_PORT), 0) << "reads back the port in use";
    KvString name;
    device.GetParameter(KvDeviceParam::DEVICE_NAME, name);
    EXPECT_EQ(name.str(), "kvsim") << "taken from the device when empty";
    EXPECT_EQ(device.SetParameter(KvDeviceParam::CONTROL, int64_t{0}), KvCode::READ_ONLY);
    EXPECT_EQ(device.Connect(config), KvCode::ALREADY_CONNECTED);

    ASSERT_EQ(device.WriteRegister(WIDTH, 320), KvCode::OK);
    const uint32_t addresses[] = {Gvcp::Reg::VERSION, WIDTH};
    uint32_t values[2] = {};
    ASSERT_EQ(device.ReadRegisters(addresses, values, 2), KvCode::OK);
    EXPECT_EQ(values[0], 0x00010002u) << "host order";
    EXPECT_EQ(values[1], 320u);

    const uint8_t user[16] = {'c', 'a', 'm', '2'};
    ASSERT_EQ(device.WriteMemory(Gvcp::Reg::USER_NAME, user, sizeof user), KvCode::OK);
    uint8_t back[16] = {};
    uint32_t count = sizeof back;
    ASSERT_EQ(device.ReadMemory(Gvcp::Reg::USER_NAME, back, &count), KvCode::OK);
    EXPECT_EQ(count, sizeof back);
    EXPECT_EQ(std::memcmp(back, user, sizeof user), 0);

    uint8_t id[4] = {9, 9, 9, 9};
    ASSERT_EQ(device.GetId(id), KvCode::OK);
    EXPECT_EQ(id[0], 8);
    EXPECT_EQ(id[1], 3);
    EXPECT_EQ(id[2], 0);

    EXPECT_EQ(device.Reset(), KvCode::NOT_SUPPORTED);
    device.SetParameter(KvDeviceParam::DEVICE_NAME, KvString("line-4"));
    ASSERT_EQ(device.SaveConfiguration(false, true, false, false), KvCode::OK);
    ASSERT_EQ(device.ReadMemory(Gvcp::Reg::USER_NAME, back, &count), KvCode::OK);
    EXPECT_STREQ(reinterpret_cast<const char*>(back), "line-4");

    ASSERT_EQ(device.Disconnect(), KvCode::OK);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_FALSE(sim.m_Device.Controller().has_value()) << "the privilege is released";
    EXPECT_EQ(Param(device, KvDeviceParam::DATA_CHANNELS), 0);
}

TEST(KvDevice, SecondApplicationIsRefusedControlAndMayMonitorAsMulticastSlave) {
    GvcpTestDevice sim("127.0.0.71");
    KvConfig master, slave;
    Entry(master, "127.0.0.71", 1, 1);
    Entry(slave, "127.0.0.71", 1, 0);

    KvDevice first;
    ASSERT_EQ(first.Connect(master), KvCode::OK) << first.GetInfoString().str();
    const auto controller = sim.m_Device.Controller();

    KvDevice second;
    EXPECT_EQ(second.Connect(master), KvCode::ACCESS_DENIED);
    EXPECT_FALSE(second.IsConnected());
    EXPECT_NE(second.GetInfoString().str().find("another application"), std::string::npos)
        << second.GetInfoString().str();

    KvDevice monitor;
    ASSERT_EQ(monitor.Connect(slave), KvCode::OK) << monitor.GetInfoString().str();
    EXPECT_EQ(Param(monitor, KvDeviceParam::CONTROL), 0);
    uint32_t value = 0;
    EXPECT_EQ(monitor.ReadRegister(Gvcp::Reg::VERSION, &value), KvCode::OK);
    EXPECT_EQ(monitor.WriteRegister(WIDTH, 320), KvCode::ACCESS_DENIED);
    ASSERT_EQ(monitor.Disconnect(), KvCode::OK);
    EXPECT_EQ(sim.m_Device.Controller(), controller) << "the slave never took nor gave control";
    EXPECT_EQ(first.WriteRegister(WIDTH, 320), KvCode::OK);
}

TEST(KvDevice, LossOfTheDeviceIsReportedThroughTheCallbackAndIsConnected) {
    auto sim = std::make_unique<GvcpTestDevice>("127.0.0.72");
    KvConfig config;
    Entry(config, "127.0.0.72", 0, 1, 200, 1000);

    struct Seen {
        std::mutex m_Lock;
        std::condition_variable m_Cv;
        uint32_t m_nEvent = 0;
        uint32_t m_nData = 0;
    } seen;
    KvDevice device;
    device.RegisterCallback(
        KvDevice::CALLBACK_EVENT,
        [](void* context, uint32_t event, uint32_t data) {
            auto& s = *static_cast<Seen*>(context);
            std::lock_guard lock(s.m_Lock);
            s.m_nEvent = event;
            s.m_nData = data;
            s.m_Cv.notify_all();
        },
        &seen);
    ASSERT_EQ(device.Connect(config), KvCode::OK) << device.GetInfoString().str();
    device.SetParameter(KvDeviceParam::CONNECTION_LOSSES, int64_t{0});

    sim.reset();  // the device goes silent
    {
        std::unique_lock lock(seen.m_Lock);
        // The client reports within the expiration; the bound here only keeps a
        // broken build from hanging.
        ASSERT_TRUE(
            seen.m_Cv.wait_for(lock, std::chrono::seconds(10), [&] { return seen.m_nEvent != 0; }));
    }
    EXPECT_EQ(seen.m_nEvent, KvDevice::EVENT_CONNECTION_LOST);
    EXPECT_EQ(seen.m_nData, KvCode::CONNECTION_LOST);
    EXPECT_FALSE(device.IsConnected());
    EXPECT_EQ(Param(device, KvDeviceParam::CONNECTION_LOSSES), 1);
    uint32_t value = 0;
    EXPECT_EQ(device.ReadRegister(Gvcp::Reg::VERSION, &value), KvCode::CONNECTION_LOST);
    EXPECT_EQ(device.Disconnect(), KvCode::OK) << "a lost device is not asked to release";
}

TEST(KvDevice, CallsWithoutConnectionAnswer23AndBadEntriesAreRefused) {
    KvDevice device;
    uint32_t value = 0;
    uint8_t buffer[8] = {};
    uint32_t count = sizeof buffer;
    uint8_t id[4] = {};
    const uint32_t address = 0;
    const std::vector<std::pair<const char*, std::function<KvResult()>>> calls = {
        {"ReadRegister", [&] { return device.ReadRegister(0, &value); }},
        {"WriteRegister", [&] { return device.WriteRegister(0, 1); }},
        {"ReadRegisters", [&] { return device.ReadRegisters(&address, &value, 1); }},
        {"ReadMemory", [&] { return device.ReadMemory(0, buffer, &count); }},
        {"WriteMemory", [&] { return device.WriteMemory(0, buffer, sizeof buffer); }},
        {"GetId", [&] { return device.GetId(id); }},
        {"Reset", [&] { return device.Reset(); }},
        {"SaveConfiguration", [&] { return device.SaveConfiguration(false, true, false, false); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(call(), KvCode::NOT_CONNECTED) << name;
        EXPECT_EQ(device.GetInfoString().str(), "The device is not connected") << name;
    }
    EXPECT_EQ(device.Disconnect(), KvCode::OK);

    KvConfig empty;
    empty.AddDevice();  // no IP address
    EXPECT_EQ(device.Connect(empty), KvCode::WRONG_STATE);

    KvConfig nobody;  // nothing answers there
    Entry(nobody, "127.0.0.73");
    nobody.SetParameter(ANSWER_TIMEOUT, int64_t{20});
    nobody.SetParameter(RETRY_COUNT, int64_t{0});
    EXPECT_EQ(device.Connect(nobody), KvCode::TIMEOUT);
    EXPECT_FALSE(device.IsConnected());

    GvcpTestDevice sim("127.0.0.74");
    KvConfig badMac;
    Entry(badMac, "127.0.0.74");
    badMac.SetParameter(MAC_ADDRESS, KvString("02:4B:56"));
    EXPECT_EQ(device.Connect(badMac, KvDevice::FLAG_SET_IP_ON_CONNECT), KvCode::WRONG_STATE);
    EXPECT_FALSE(sim.m_Device.Controller().has_value());
}

TEST(KvDevice, SetIpOnConnectGivesTheDeviceTheEntryAddress) {
    SimGigEOptions options;
    GvcpTestDevice sim("127.0.0.75", options);
    KvConfig config;
    Entry(config, "127.0.0.75");
    config.SetParameter(MAC_ADDRESS, KvString(Gvcp::FormatMac(options.m_Identity.m_Mac)));
    KvDevice device;
    ASSERT_EQ(device.Connect(config, KvDevice::FLAG_SET_IP_ON_CONNECT), KvCode::OK)
        << device.GetInfoString().str();
    EXPECT_EQ(sim.m_Device.CurrentIp(), 0x7F00004Bu);
    EXPECT_EQ(device.GetConnectFlags(), KvDevice::FLAG_SET_IP_ON_CONNECT);
}
