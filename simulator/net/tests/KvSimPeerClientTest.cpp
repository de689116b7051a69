// kvsim, the program, driven by an independent GigE Vision client: arv-tool.
#include <gtest/gtest.h>

#include "SimChildProcess.h"
#include "SimGenICamFile.h"

namespace {

std::string Tool(const std::string& address, std::vector<std::string> args) {
    args.insert(args.begin(), {"arv-tool-0.8", "-a", address});
    int status = 0;
    std::string out = SimRunProgram(args, status);
    EXPECT_EQ(status, 0);
    return out;
}

}  // namespace

TEST(KvSimProgram, HelpBadOptionsAndCleanStop) {
    int status = 0;
    EXPECT_NE(SimRunProgram({KVSIM_PATH, "--help"}, status).find("--address"), std::string::npos);
    EXPECT_EQ(status, 0);
    SimRunProgram({KVSIM_PATH}, status);
    EXPECT_EQ(status, 2) << "--address is required";
    SimRunProgram({KVSIM_PATH, "--address", "127.0.0.61", "--xml", "tar"}, status);
    EXPECT_EQ(status, 2);
    SimRunProgram({KVSIM_PATH, "--address", "0.0.0.0"}, status);
    EXPECT_EQ(status, 2) << "never bind to every interface";

    for (int signal : {SIGINT, SIGTERM}) {
        SimChildProcess kvsim;
        ASSERT_TRUE(kvsim.Start({KVSIM_PATH, "--address", "127.0.0.61"}));
        ASSERT_TRUE(kvsim.WaitForOutput("serving on 127.0.0.61:3956", std::chrono::seconds(10)));
        EXPECT_EQ(kvsim.Kill(signal), 0);
    }
}

TEST(KvSimProgram, PeerClientLoadsOurFileAndReadsAndWritesFeatures) {
    if (!SimHaveProgram("arv-tool-0.8")) {
        GTEST_SKIP() << "arv-tool-0.8 missing (Debian package aravis-tools-cli): interop with the "
                        "peer client not tested";
    }
    struct Case {
        const char* address;
        const char* xml;
    };
    for (const Case& c : {Case{"127.0.0.62", "plain"}, Case{"127.0.0.63", "zip"}}) {
        SCOPED_TRACE(c.xml);
        SimChildProcess kvsim;
        ASSERT_TRUE(kvsim.Start({KVSIM_PATH, "--address", c.address, "--xml", c.xml}));
        ASSERT_TRUE(kvsim.WaitForOutput("serving", std::chrono::seconds(10)));

        std::string printed = Tool(c.address, {"genicam"});
        ASSERT_FALSE(printed.empty());
        printed.pop_back();  // the tool's own line break
        EXPECT_EQ(printed, SimGenICamXml()) << "the peer got another file than we serve";

        EXPECT_NE(Tool(c.address, {"control", "Width", "PixelFormat"}).find("Width = 640"),
                  std::string::npos);
        Tool(c.address, {"control", "Width=320", "PixelFormat=Mono16", "ExposureTime=2500"});
        const std::string after =
            Tool(c.address, {"control", "Width", "PixelFormat", "ExposureTime"});
        EXPECT_NE(after.find("Width = 320"), std::string::npos) << after;
        EXPECT_NE(after.find("PixelFormat = Mono16"), std::string::npos) << after;
        EXPECT_NE(after.find("ExposureTime = 2500"), std::string::npos) << after;
        // Out of range: refused by the peer's node map or by our device, never stored.
        Tool(c.address, {"control", "Width=4000"});
        EXPECT_NE(Tool(c.address, {"control", "Width"}).find("Width = 320"), std::string::npos);

        EXPECT_NE(Tool(c.address, {"control", "R[0x0000]"}).find("= 0x00010002"),
                  std::string::npos);
        EXPECT_NE(Tool(c.address, {"control", "R[0x0048]"}).find("= 0x5661726b"), std::string::npos)
            << "'Vark' of the manufacturer name";
        EXPECT_EQ(kvsim.Kill(SIGTERM), 0);
    }
}
