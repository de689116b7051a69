#include <gtest/gtest.h>

#include <thread>

#include "SimChildProcess.h"
#include "SimGenICamFile.h"

using namespace std::chrono_literals;

namespace {

struct Kvsim {
    explicit Kvsim(const std::string& address, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> argv = {KVSIM_PATH, "--address", address};
        argv.insert(argv.end(), extra.begin(), extra.end());
        EXPECT_TRUE(m_Child.Start(argv));
        EXPECT_TRUE(m_Child.WaitForOutput("serving", 10s));
    }
    SimChildProcess m_Child;
};

std::string Kvtool(const std::string& address, std::vector<std::string> command, int& status) {
    std::vector<std::string> argv = {KVTOOL_PATH, "--address", address};
    argv.insert(argv.end(), command.begin(), command.end());
    return SimRunProgram(argv, status);
}

}  // namespace

TEST(Kvtool, CommandsAgainstTheSimulatedDevice) {
    Kvsim sim("127.0.0.82", {"--camera-id", "8,3", "--name", "line7"});
    struct Case {
        std::vector<std::string> m_Command;
        int m_nStatus;
        std::string m_sOutput;  // expected part of the output
    };
    const Case cases[] = {
        {{"discover"}, 0, "[127.0.0.82]"},
        {{"info"}, 0, "Camera id:  8.3"},
        {{"info"}, 0, "line7"},
        {{"read-register", "0"}, 0, "0x00010002"},
        {{"write-register", "0x10000", "320"}, 0, ""},
        {{"read-memory", "0x200", "6"}, 0, "4c 6f 63 61 6c 3a"},  // "Local:"
        {{"read-register", "nonsense"}, 1, ""},
        {{"read-register", "0x7FFFFFF0"}, 1, ""},  // refused address
        {{"read-memory", "0x200"}, 2, ""},
        {{"frobnicate"}, 2, ""},
    };
    for (const Case& c : cases) {
        int status = -1;
        const std::string out = Kvtool("127.0.0.82", c.m_Command, status);
        EXPECT_EQ(status, c.m_nStatus) << c.m_Command[0];
        EXPECT_NE(out.find(c.m_sOutput), std::string::npos) << c.m_Command[0] << ": " << out;
    }
}

TEST(Kvtool, GenicamIsTheSameFilePlainAndZipped) {
    for (const char* packing : {"plain", "zip"}) {
        Kvsim sim("127.0.0.83", {"--xml", packing});
        int status = -1;
        const std::string xml = Kvtool("127.0.0.83", {"genicam"}, status);
        EXPECT_EQ(status, 0) << packing;
        EXPECT_EQ(xml, SimGenICamXml()) << packing;
    }
}

TEST(Kvtool, NoAnswerFailsWithTheToolkitText) {
    int status = -1;
    SimChildProcess child;
    ASSERT_TRUE(child.Start({KVTOOL_PATH, "--address", "127.0.0.84", "read-register", "0"}));
    status = child.Finish(20s);
    EXPECT_EQ(status, 1);
}

TEST(Kvtool, AgainstThePeerFakeCamera) {
    if (!SimHaveProgram("arv-fake-gv-camera-0.8") || !SimHaveProgram("arv-tool-0.8") ||
        !SimAddLoopbackAddress("127.0.0.85")) {
        GTEST_SKIP() << "peer camera not installed or not in the private namespace";
    }
    SimChildProcess fake;
    ASSERT_TRUE(fake.Start({"arv-fake-gv-camera-0.8", "-i", "127.0.0.85"}));
    int status = -1;
    std::string out;
    for (int i = 0; i < 50 && status != 0; ++i) {  // until the peer serves
        out = Kvtool("127.0.0.85", {"read-register", "0"}, status);
        if (status != 0)
            std::this_thread::sleep_for(100ms);
    }
    ASSERT_EQ(status, 0) << out;
    int peerStatus = -1;
    const std::string expected =
        SimRunProgram({"arv-tool-0.8", "-a", "127.0.0.85", "genicam"}, peerStatus);
    ASSERT_EQ(peerStatus, 0);
    const std::string xml = Kvtool("127.0.0.85", {"genicam"}, status);
    EXPECT_EQ(status, 0);
    // The peer tool ends what it prints with a line break of its own.
    EXPECT_EQ(xml + "\n", expected);

    // The peer's test register (0x1f0) takes a value and gives it back.
    Kvtool("127.0.0.85", {"write-register", "0x1f0", "0x1234"}, status);
    EXPECT_EQ(status, 0);
    out = Kvtool("127.0.0.85", {"read-register", "0x1f0"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "0x00001234\n");
}
