// Our client against an independent GigE Vision camera: the Aravis fake camera.
#include <gtest/gtest.h>

#include "GvcpClient.h"
#include "GvcpDiscovery.h"
#include "SimChildProcess.h"

using namespace Gvcp;

namespace {

const char* const ADDRESS = "127.0.0.56";

// "Local:name;address;length" in hexadecimal, as the first URL holds it.
bool ParseLocalUrl(const std::string& url, uint32_t& address, uint32_t& length) {
    const size_t first = url.find(';'), second = url.find(';', first + 1);
    if (url.rfind("Local:", 0) != 0 || first == std::string::npos || second == std::string::npos) {
        return false;
    }
    address =
        static_cast<uint32_t>(std::stoul(url.substr(first + 1, second - first - 1), nullptr, 16));
    length = static_cast<uint32_t>(std::stoul(url.substr(second + 1), nullptr, 16));
    return true;
}

}  // namespace

TEST(GvcpPeerCamera, ClientDiscoversReadsFetchesTheFileAndWritesThePeerCamera) {
    if (!SimHaveProgram("arv-fake-gv-camera-0.8") || !SimHaveProgram("arv-tool-0.8")) {
        GTEST_SKIP()
            << "arv-fake-gv-camera-0.8 or arv-tool-0.8 missing (Debian packages aravis-tools, "
               "aravis-tools-cli): interop with the peer camera not tested";
    }
    if (!SimAddLoopbackAddress(ADDRESS)) {
        GTEST_SKIP()
            << "the peer camera binds only to an address lo carries; run inside scripts/netns";
    }
    SimChildProcess camera;
    ASSERT_TRUE(camera.Start({"arv-fake-gv-camera-0.8", "-i", ADDRESS}));

    // The peer says nothing when it is ready (and exits 0 when it fails): ask until it answers.
    GvcpDiscovery discovery;
    discovery.SetAnswerTimeout(200);
    std::vector<GvcpDiscoveredDevice> found;
    const KvString target[] = {ADDRESS};
    for (int i = 0; i < 25 && found.empty(); ++i) {
        ASSERT_EQ(discovery.DiscoverUnicast(target, found), KvCode::OK);
    }
    ASSERT_EQ(found.size(), 1u) << "the peer camera never answered discovery";
    EXPECT_EQ(found[0].m_sIp, ADDRESS);
    EXPECT_FALSE(found[0].m_sModel.IsEmpty());
    EXPECT_EQ(found[0].m_nCameraId[0], 0) << "a foreign device has no camera identification";

    GvcpClient client;
    client.SetAnswerTimeout(500);
    client.SetRetryCount(2);
    ASSERT_EQ(client.Open(ADDRESS), KvCode::OK);
    // Several bootstrap registers at once; the peer takes one per request, and
    // the client must notice that from its capabilities.
    const uint32_t addresses[] = {Reg::VERSION, Reg::DEVICE_MODE, Reg::CURRENT_IP,
                                  Reg::HEARTBEAT_TIMEOUT};
    uint32_t values[4] = {};
    ASSERT_EQ(client.ReadRegisters(addresses, values), KvCode::OK) << client.GetInfoString().str();
    EXPECT_EQ(values[2], *ParseIp(ADDRESS));
    EXPECT_EQ(values[3], DEFAULT_HEARTBEAT_TIMEOUT_MS);

    std::string url(Reg::URL_SIZE, '\0');
    ASSERT_EQ(client.ReadMemory(Reg::FIRST_URL,
                                std::span(reinterpret_cast<uint8_t*>(url.data()), url.size())),
              KvCode::OK);
    url.resize(url.find('\0'));
    uint32_t fileAddress = 0, fileLength = 0;
    ASSERT_TRUE(ParseLocalUrl(url, fileAddress, fileLength)) << url;
    std::string file(fileLength, '\0');
    ASSERT_EQ(client.ReadMemory(fileAddress,
                                std::span(reinterpret_cast<uint8_t*>(file.data()), file.size())),
              KvCode::OK);

    int status = 0;
    std::string printed = SimRunProgram({"arv-tool-0.8", "-a", ADDRESS, "genicam"}, status);
    ASSERT_EQ(status, 0);
    ASSERT_FALSE(printed.empty());
    ASSERT_EQ(printed.back(), '\n') << "the peer tool ends the file with a line break of its own";
    printed.pop_back();
    EXPECT_EQ(file, printed)
        << "the file read through the first URL differs from what the peer tool prints";

    ASSERT_EQ(client.TakeControl(), KvCode::OK);
    ASSERT_EQ(client.WriteRegister(Reg::HEARTBEAT_TIMEOUT, 5000), KvCode::OK);
    uint32_t timeout = 0;
    ASSERT_EQ(client.ReadRegister(Reg::HEARTBEAT_TIMEOUT, timeout), KvCode::OK);
    EXPECT_EQ(timeout, 5000u);
    EXPECT_EQ(client.ReleaseControl(), KvCode::OK);

    EXPECT_EQ(camera.Kill(SIGINT), 0) << "the peer camera should stop cleanly on SIGINT";
}
