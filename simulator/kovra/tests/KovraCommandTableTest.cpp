// Every set command with valid and invalid values, checked through the query
// that reads the setting back.

#include <gtest/gtest.h>

#include "KovraHostView.h"

using namespace kovra_test;

namespace {

struct CommandCase {
    const char* m_szModel;
    const char* m_szCommand;
    bool m_bAccepted;
    const char* m_szQuery;     // nullptr: nothing to read back
    const char* m_szExpected;  // the query's value afterwards
};

std::ostream& operator<<(std::ostream& out, const CommandCase& c) {
    return out << c.m_szModel << " \"" << c.m_szCommand << "\"";
}

// The value of a single-value query, up to its line end: past the echo, its
// line end and the answer's leading line end.
std::string QueryValue(KvSimKovraCamera& camera, std::string_view query) {
    const std::string reply = Exchange(camera, query);
    const size_t at = reply.find(query);
    const std::string value = reply.substr(at == std::string::npos ? 2 : at + query.size() + 4);
    return value.substr(0, value.find('\r'));
}

class KovraCommandTable : public testing::TestWithParam<CommandCase> {};

TEST_P(KovraCommandTable, AnswersAndKeepsTheValue) {
    const CommandCase& c = GetParam();
    KvSimKovraCamera camera(*FindKovraModel(c.m_szModel), Unpaced());
    const std::string reply = Exchange(camera, c.m_szCommand);
    EXPECT_EQ(reply.find("Error") == std::string::npos, c.m_bAccepted) << reply;
    EXPECT_TRUE(reply.ends_with("\r\n:")) << reply;
    if (c.m_szQuery) {
        EXPECT_EQ(QueryValue(camera, c.m_szQuery), c.m_szExpected);
    }
}

// clang-format off
const CommandCase CASES[] = {
    // Window: modes, positions inside the sensor, start before end.
    {"VKR-Q2", "shm w", true, "ghm", "w"},
    {"VKR-Q2", "shm c", true, "ghm", "c"},
    {"VKR-Q2", "shm x", false, "ghm", "n"},
    {"VKR-Q2", "shm", false, "ghm", "n"},
    {"VKR-Q2", "shw 10 600", true, "ghw", "10 600"},
    {"VKR-Q2", "shw  10   600 ", true, "ghw", "10 600"},
    {"VKR-Q2", "shw 0 600", false, "ghw", "1 640"},
    {"VKR-Q2", "shw 1 641", false, "ghw", "1 640"},
    {"VKR-Q2", "shw 600 600", false, "ghw", "1 640"},
    {"VKR-Q2", "shw 10", false, "ghw", "1 640"},
    {"VKR-T2", "shw 4871 4872", true, "ghw", "4871 4872"},
    {"VKR-Q2", "svm b", true, "gvm", "b"},
    {"VKR-Q2", "svm c", false, "gvm", "n"},
    {"VKR-Q2", "svw 5 480", true, "gvw", "5 480"},
    {"VKR-Q2", "svw 7 7", true, "gvw", "7 7"},
    {"VKR-Q2", "svw 8 7", false, "gvw", "1 480"},
    {"VKR-Q2", "svw 5 481", false, "gvw", "1 480"},
    // Exposure and strobe, with the model's ranges.
    {"VKR-Q2", "sst 100", true, "gst", "100"},
    {"VKR-Q2", "sst off", true, "gst", "off"},
    {"VKR-Q2", "sst 49", false, "gst", "off"},
    {"VKR-Q2", "sst 500001", false, "gst", "off"},
    {"VKR-Q2", "sst 655350", false, "gst", "off"},
    {"VKR-T2", "sst 655350", true, "gst", "655350"},
    {"VKR-T2", "sst 619", false, "gst", "off"},
    {"VKR-Q2", "sst abc", false, "gst", "off"},
    {"VKR-Q2", "sst 1e3", false, "gst", "off"},
    {"VKR-Q2", "sst 99999999999999999999", false, "gst", "off"},
    {"VKR-Q2", "sli 10000", true, "gli", "10000"},
    {"VKR-Q2", "sli 9", false, "gli", "off"},
    {"VKR-T1", "sli 419", false, "gli", "off"},
    {"VKR-Q2", "ssp 50", true, "gsp", "50"},
    {"VKR-S1", "ssp 99", false, "gsp", "off"},
    // Trigger timing and modes.
    {"VKR-Q2", "std 255", true, "gtd", "255"},
    {"VKR-Q2", "std 0", false, "gtd", "1"},
    {"VKR-Q2", "spe 655320", true, "gpe", "655320"},
    {"VKR-T1", "spe 655350", false, "gpe", "10"},
    {"VKR-S1", "spe 655350", true, "gpe", "655350"},
    {"VKR-Q2", "sde 65535", true, "gde", "65535"},
    {"VKR-Q2", "sde 0", false, "gde", "10"},
    {"VKR-R4", "sde 1", true, "gde", "1"},
    {"VKR-Q2", "str et m", true, "gtr", "et m"},
    {"VKR-Q2", "str cc d", true, "gtr", "cc d"},
    {"VKR-Q2", "str cc m", false, "gtr", "off"},
    {"VKR-Q2", "str et", false, "gtr", "off"},
    {"VKR-Q2", "str xx s", false, "gtr", "off"},
    {"VKR-Q2", "str_e f", true, "gtr_e", "falling"},
    {"VKR-Q2", "str_e x", false, "gtr_e", "rising"},
    {"VKR-Q2", "sci on", true, "gci", "on"},
    // Video amplifier: taps, offsets and the model's gain range.
    {"VKR-Q2", "sao 1 255", true, "gao 1", "255"},
    {"VKR-Q2", "sao 2 0", true, "gao 2", "0"},
    {"VKR-Q2", "sao 0 20", true, "gao 2", "20"},
    {"VKR-Q2", "sao 3 5", false, "gao 1", "16"},
    {"VKR-Q2", "sao 1 256", false, "gao 1", "16"},
    {"VKR-Q1", "sao 2 10", false, nullptr, nullptr},
    {"VKR-Q1", "gao 2", false, nullptr, nullptr},
    {"VKR-Q2", "sag 1 12.5", true, "gag 1", "12.50"},
    {"VKR-Q2", "sag 2 30.000000", true, "gag 2", "30.00"},
    {"VKR-Q2", "sag 1 5.9", false, "gag 1", "6.00"},
    {"VKR-Q2", "sag 1 36", false, "gag 1", "6.00"},
    {"VKR-T1", "sag 1 36", true, "gag 1", "36.00"},
    {"VKR-R1", "sag 1 0", true, "gag 1", "0.00"},
    {"VKR-Q2", "sag 1 nan", false, "gag 1", "6.00"},
    {"VKR-Q2", "sag 1 inf", false, "gag 1", "6.00"},
    // Pixel format and taps.
    {"VKR-Q2", "sdm off", true, "gdm", "off"},
    {"VKR-Q1", "sdm on", false, "gdm", "off"},
    {"VKR-Q1", "sdm off", true, "gdm", "off"},
    {"VKR-Q2", "sbd 12", true, "gbd", "12"},
    {"VKR-Q2", "sbd 9", false, "gbd", "8"},
    // Corrections and image options.
    {"VKR-Q2", "snc on", true, "gnc", "on"},
    {"VKR-Q2", "snc yes", false, "gnc", "off"},
    {"VKR-Q2", "sdc on", true, "gdc", "on"},
    {"VKR-Q2", "sir on", true, "gir", "on"},
    {"VKR-Q2", "sni on", true, "gni", "on"},
    {"VKR-Q2", "stm 3", true, "gtm", "3"},
    {"VKR-Q2", "stm 4", false, "gtm", "off"},
    {"VKR-Q2", "slt 2", true, "glt", "2"},
    {"VKR-Q2", "slt 3", false, "glt", "off"},
    {"VKR-Q2", "sfc on", false, nullptr, nullptr},
    {"VKR-T1", "sfc on", true, "gfc", "on"},
    {"VKR-Q2", "sai 255", true, "gai", "255"},
    {"VKR-Q2", "sai 0", false, "gai", "off"},
    // Frame rate and frame time.
    {"VKR-Q2", "sfr 30", true, "gfr", "30"},
    {"VKR-Q2", "sfr 3001", false, "gfr", "off"},
    {"VKR-Q2", "sfr 1", false, "gfr", "off"},
    {"VKR-Q2", "sft 1000", false, nullptr, nullptr},
    {"VKR-Q2", "gft", false, nullptr, nullptr},
    {"VKR-T1", "sft 332", false, nullptr, nullptr},
    // Temperature alarm, boot set, echo and setting sets.
    {"VKR-Q2", "sta on", true, "gta", "on"},
    {"VKR-Q2", "stt 70 60", true, "gtt", "70C60C"},
    {"VKR-Q2", "stt -128 -128", true, "gtt", "-128C-128C"},
    {"VKR-Q2", "stt 60 70", false, "gtt", "80C75C"},
    {"VKR-Q2", "stt 128 0", false, "gtt", "80C75C"},
    {"VKR-Q2", "sbf u2", true, "gbf", "u2"},
    {"VKR-Q2", "sbf u3", false, "gbf", "f"},
    {"VKR-Q2", "sem off", true, "gem", "off"},
    {"VKR-Q2", "lfu 3", false, nullptr, nullptr},
    {"VKR-Q2", "stu 0", false, nullptr, nullptr},
    {"VKR-Q2", "lff x", false, nullptr, nullptr},
    {"VKR-Q2", "rc now", false, nullptr, nullptr},
    // Unknown commands: commands are lower case.
    {"VKR-Q2", "xyz", false, nullptr, nullptr},
    {"VKR-Q2", "SST 100", false, "gst", "off"},
    {"VKR-Q2", "gzz", false, nullptr, nullptr},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Commands, KovraCommandTable, testing::ValuesIn(CASES));

TEST(KovraCommands, FrameRateAndFrameTimeFollowEachOther) {
    KvSimKovraCamera camera(*FindKovraModel("VKR-T1"), Unpaced());
    Exchange(camera, "sfr 30");
    EXPECT_EQ(QueryValue(camera, "gft"), "33330");
    Exchange(camera, "sft 20000");
    EXPECT_EQ(QueryValue(camera, "gfr"), "50");
    EXPECT_EQ(camera.Settings().m_nFrameTime, 20000);
    Exchange(camera, "sfr off");
    EXPECT_EQ(QueryValue(camera, "gft"), "off");
}

TEST(KovraCommands, UserTableAndFlatFieldFollowTheModel) {
    // Where the two exclude each other, switching one on switches the other off.
    KvSimKovraCamera exclusive(*FindKovraModel("VKR-S1"), Unpaced());
    Exchange(exclusive, "sfc on");
    Exchange(exclusive, "slt 1");
    EXPECT_EQ(QueryValue(exclusive, "gfc"), "off");
    Exchange(exclusive, "sfc on");
    EXPECT_EQ(QueryValue(exclusive, "glt"), "off");

    // Elsewhere loading a table stops the correction, which can then be
    // switched on again beside the table.
    KvSimKovraCamera independent(*FindKovraModel("VKR-T1"), Unpaced());
    Exchange(independent, "sfc on");
    Exchange(independent, "slt 1");
    EXPECT_EQ(QueryValue(independent, "gfc"), "off");
    Exchange(independent, "sfc on");
    EXPECT_EQ(QueryValue(independent, "glt"), "1");
    EXPECT_EQ(QueryValue(independent, "gfc"), "on");
}

TEST(KovraCommands, StateShowsWhatTheVideoSideNeeds) {
    KvSimKovraCamera camera(*FindKovraModel("VKR-R3"), Unpaced());
    for (const char* command : {"shm w", "shw 101 900", "svm b", "sbd 10", "sdm off", "stm 2",
                                "sst 2000", "sfr 25", "str et d", "str_e f"}) {
        ASSERT_EQ(Exchange(camera, command).find("Error"), std::string::npos) << command;
    }
    const KovraImageGeometry g = camera.Geometry();
    EXPECT_EQ(g.m_nOffsetX, 100);
    EXPECT_EQ(g.m_nWidth, 800);
    EXPECT_EQ(g.m_nHeight, 540);
    EXPECT_EQ(g.m_nBinningY, 2);
    const KovraSettings& s = camera.Settings();
    EXPECT_EQ(s.m_nBitDepth, 10);
    EXPECT_FALSE(s.m_bDualTap);
    EXPECT_EQ(s.m_nTestMode, 2);
    EXPECT_TRUE(s.m_bShutterOn);
    EXPECT_EQ(s.m_nShutterTime, 2000);
    EXPECT_EQ(s.m_nFrameRate, 25);
    EXPECT_EQ(s.m_eTriggerSource, KovraTriggerSource::External);
    EXPECT_EQ(s.m_eTriggerMode, KovraTriggerMode::Double);
    EXPECT_FALSE(s.m_bTriggerRisingEdge);
}

}  // namespace
