#include <gtest/gtest.h>

#include "GvcpDiscovery.h"
#include "GvcpTestDevice.h"

TEST(GvcpDiscovery, UnicastFindsTheDevicesThatAnswerWithTheirCameraIdentification) {
    SimGigEOptions withCamera;
    withCamera.m_Identity.m_sUserName = "left";
    withCamera.m_Identity.m_Mac = {0x02, 0x4B, 0x56, 0, 0, 0x47};
    withCamera.m_nCameraIdFirst = 3;
    withCamera.m_nCameraIdSecond = 1;
    SimGigEOptions nameless;
    nameless.m_Identity.m_sUserName = "";
    GvcpTestDevice first("127.0.0.47", withCamera), second("127.0.0.48", nameless);

    GvcpDiscovery discovery;
    discovery.SetAnswerTimeout(300);
    // 127.0.0.49 is silent; the first device is named twice and reported once.
    const KvString addresses[] = {"127.0.0.47", "127.0.0.48", "127.0.0.49", "127.0.0.47"};
    std::vector<GvcpDiscoveredDevice> found;
    ASSERT_EQ(discovery.DiscoverUnicast(addresses, found), KvCode::OK);
    ASSERT_EQ(found.size(), 2u);
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.m_sIp < b.m_sIp; });

    EXPECT_EQ(found[0].m_sName, "left");
    EXPECT_EQ(found[0].m_sIp, "127.0.0.47");
    EXPECT_EQ(found[0].m_sMac, "02:4B:56:00:00:47");
    EXPECT_EQ(found[0].m_sManufacturer, "Varkel Inc");
    EXPECT_EQ(found[0].m_sAdapterName, "lo");
    EXPECT_EQ(found[0].m_sAdapterID, "00:00:00:00:00:00");
    EXPECT_EQ(found[0].m_nCameraId[0], 3);
    EXPECT_EQ(found[0].m_nCameraId[1], 1);

    EXPECT_EQ(found[1].m_sName, found[1].m_sModel)
        << "a device without a user name goes by its model";
    EXPECT_EQ(found[1].m_nCameraId[0], 0);
}

TEST(GvcpDiscovery, BroadcastOnlyOnInterfacesThatCanBroadcast) {
    GvcpDiscovery discovery;
    std::vector<GvcpDiscoveredDevice> found;
    const KvString loopback[] = {"lo"}, missing[] = {"no-such-if0"};
    EXPECT_EQ(discovery.DiscoverBroadcast(loopback, found), KvCode::NOT_SUPPORTED);
    EXPECT_EQ(discovery.DiscoverBroadcast(missing, found), KvCode::NOT_FOUND);
    const KvString bad[] = {"255.255.255.255"};
    EXPECT_EQ(discovery.DiscoverUnicast(bad, found), KvCode::INVALID_ARGUMENT)
        << "unicast never broadcasts";
    EXPECT_TRUE(found.empty());
}
