// The console as a line discipline: echo, framing, pacing at the baud rate,
// answer times, the temperature warnings, the reset and untrusted input.

#include <gtest/gtest.h>

#include <random>

#include "KovraHostView.h"

using namespace kovra_test;

namespace {

const KovraModelInfo& Q1() {
    return *FindKovraModel("VKR-Q1");
}

TEST(KovraConsole, EchoFramesAndLineEditing) {
    struct Case {
        const char* m_szTyped;
        bool m_bEcho;
        const char* m_szExpected;
    };
    const Case cases[] = {
        {"sst 100\r", true, "sst 100\r\n\r\nOK\r\n\r\n:"},
        {"sst 100\r", false, "\r\nOK\r\n\r\n:"},
        {"gst\r", false, "\r\noff\r\n\r\n:"},
        {"\r", true, "\r\n\r\n:"},
        // A terminal's backspace rubs the character out on the screen too.
        {"sx\bst 50\r", true, "sx\b \bst 50\r\n\r\nOK\r\n\r\n:"},
        // The line feed of a terminal and the zero byte after a command are dropped.
        {"gsp\r\n", true, "gsp\r\n\r\noff\r\n\r\n:"},
        {std::string_view("gsp\r\0", 5).data(), true, "gsp\r\n\r\noff\r\n\r\n:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_szTyped);
        KvSimKovraCamera camera(Q1(), Unpaced());
        if (!c.m_bEcho) {
            Exchange(camera, "sem off");
        }
        camera.Write(c.m_szTyped);
        camera.Advance(100ms);
        EXPECT_EQ(camera.ReadAll(), c.m_szExpected);
    }
}

TEST(KovraConsole, EchoSwitchesAfterItsOwnLine) {
    KvSimKovraCamera camera(Q1(), Unpaced());
    EXPECT_EQ(Exchange(camera, "sem off"), "sem off\r\n\r\nOK\r\n\r\n:");
    EXPECT_EQ(Exchange(camera, "sem on"), "\r\nOK\r\n\r\n:");
    EXPECT_TRUE(camera.State().m_bEcho);
}

TEST(KovraConsole, OverlongLineIsRefusedAndTheNextLineWorks) {
    KvSimKovraCamera camera(Q1(), Unpaced());
    Exchange(camera, "sem off");
    EXPECT_EQ(Exchange(camera, "sst 100" + std::string(400, ' ') + "x"),
              "\r\nError: command line too long\r\n\r\n:");
    EXPECT_FALSE(camera.Settings().m_bShutterOn);
    EXPECT_EQ(Exchange(camera, "sst 100"), "\r\nOK\r\n\r\n:");
}

TEST(KovraConsole, AnswerIsPacedAtTheBaudRate) {
    KvSimKovraCamera camera(Q1());  // 9600 baud: ten bits a byte
    const int64_t byteNs = 1000000000LL * 10 / 9600;
    const std::string expected = "gmn\r\n\r\nVKR-Q1-GE-1M\r\n\r\n:";
    camera.Write("gmn\r");
    std::string received;
    // The echo and the answer follow one another without a pause on the line.
    for (size_t i = 1; i <= expected.size(); ++i) {
        camera.Advance(std::chrono::nanoseconds(byteNs * int64_t(i) - 1) - camera.Now());
        EXPECT_EQ(camera.Available(), 0u) << i;
        camera.Advance(1ns);
        ASSERT_EQ(camera.Available(), 1u) << i;
        received += camera.ReadAll();
    }
    EXPECT_EQ(received, expected);
    EXPECT_FALSE(camera.NextEventIn().has_value());
}

TEST(KovraConsole, AnswersStartBeforeTheHostStopsListening) {
    // The host reads after its own wait and gives up after 50 ms of silence.
    struct Case {
        const char* m_szCommand;
        int m_nHostWaitMs;
    };
    const Case cases[] = {{"gws", 0},   {"gmn", 0},     {"sst 1000", 0}, {"sfc off", 0},
                          {"gct", 0},   {"slt 1", 500}, {"sfc on", 500}, {"dpm", 500},
                          {"lff", 300}, {"lfu 1", 300}, {"stu 2", 300},  {"rc", 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_szCommand);
        KvSimKovraCamera camera(*FindKovraModel("VKR-T1"), Unpaced());
        Exchange(camera, "sem off");
        camera.Write(std::string(c.m_szCommand) + "\r");
        int elapsedMs = 0;
        while (camera.Available() == 0 && elapsedMs < 1000) {
            camera.Advance(1ms);
            ++elapsedMs;
        }
        EXPECT_LT(elapsedMs, c.m_nHostWaitMs + 50);
        camera.Advance(1s);
        EXPECT_EQ((camera.ReadAll()).find("Error"), std::string::npos);
    }
}

TEST(KovraConsole, WarningsArriveInTheMiddleOfAReplyAndOnlyOnCrossing) {
    KovraCameraOptions options;  // paced, so that a long answer is still on the line
    options.m_dStartTemperature = 79.9;
    KvSimKovraCamera camera(*FindKovraModel("VKR-Q2"), options);
    KvSimKovraCamera reference(*FindKovraModel("VKR-Q2"), options);
    for (KvSimKovraCamera* c : {&camera, &reference}) {
        Exchange(*c, "sta on");
    }

    camera.SetTargetTemperature(95.0, 1.0);  // crosses 80 degrees 100 ms from now
    std::string reply = Exchange(camera, "gws", 2s);
    const std::string clean = Exchange(reference, "gws", 2s);
    const size_t at = reply.find("\r\nWarning set - High temperature\r\n\r\n:");
    ASSERT_NE(at, std::string::npos) << reply;
    EXPECT_GT(at, 50u);
    EXPECT_LT(at, clean.size() - 50);
    EXPECT_EQ(RemoveWarnings(reply), 1);
    EXPECT_EQ(reply, clean);

    // Still hot: no second warning.
    camera.Advance(20s);
    EXPECT_EQ(camera.ReadAll(), "");
    EXPECT_DOUBLE_EQ(camera.State().m_dTemperature, 95.0);

    // Cooling below the clear threshold clears it, unsolicited.
    camera.SetTargetTemperature(70.0, 2.0);
    camera.Advance(15s);
    EXPECT_EQ(camera.ReadAll(), "\r\nWarning cleared - High temperature\r\n\r\n:");
    EXPECT_FALSE(camera.State().m_bWarningActive);

    // With the alarm off nothing is sent however hot it gets.
    Exchange(camera, "sta off");
    camera.SetTemperature(120.0);
    camera.Advance(1s);
    EXPECT_EQ(camera.ReadAll(), "");
}

TEST(KovraConsole, ResetComesBackWithTheBootSetAndKeepsTheUserSets) {
    KovraCameraOptions options = Unpaced();
    options.m_BootDelay = 5000ms;
    KvSimKovraCamera camera(*FindKovraModel("VKR-R2"), options);
    Exchange(camera, "sem off");
    for (const char* command : {"sst 1000", "stu 1", "sst 2000", "stu 2", "sbf u1", "sst 3000"}) {
        ASSERT_EQ(Exchange(camera, command), "\r\nOK\r\n\r\n:") << command;
    }

    // The host's sequence: "rc", 10 ms, then the confirmation.
    camera.Write("rc\r");
    camera.Advance(10ms);
    EXPECT_NE(camera.ReadAll().find("(y/n)"), std::string::npos);
    camera.Write("y\r");
    camera.Advance(100ms);
    const std::string going = camera.ReadAll();
    EXPECT_EQ(going.find("OK"), std::string::npos) << going;
    EXPECT_EQ(camera.State().m_ePhase, KovraPhase::Booting);

    // Deaf and silent while it boots.
    camera.Write("gst\r");
    camera.Advance(4800ms);
    EXPECT_EQ(camera.ReadAll(), "");

    camera.Advance(200ms);
    EXPECT_NE(camera.ReadAll().find("OK"), std::string::npos);
    EXPECT_TRUE(camera.State().m_bEcho);
    EXPECT_EQ(HostQueryValue(Exchange(camera, "gst"), "gst"), "1000\r\n\r\n:");
    EXPECT_EQ(HostQueryValue(Exchange(camera, "gbf"), "gbf"), "u1\r\n\r\n:");
    Exchange(camera, "lfu 2");
    EXPECT_EQ(camera.Settings().m_nShutterTime, 2000);
    Exchange(camera, "lff");
    EXPECT_FALSE(camera.Settings().m_bShutterOn);
}

TEST(KovraConsole, ResetQuestionAnsweredOtherwiseCancels) {
    KvSimKovraCamera camera(Q1(), Unpaced());
    Exchange(camera, "rc");
    const std::string reply = Exchange(camera, "sst 100");
    EXPECT_NE(reply.find("Reset cancelled"), std::string::npos);
    EXPECT_EQ(camera.State().m_ePhase, KovraPhase::Running);
    EXPECT_FALSE(camera.Settings().m_bShutterOn);  // the line answered the question only
}

TEST(KovraConsole, TriggerInputsFollowSourceEdgeAndDuration) {
    KvSimKovraCamera camera(Q1(), Unpaced());
    auto pulse = [&](KovraTriggerSource input) {
        camera.SetTriggerInput(input, true);
        camera.SetTriggerInput(input, false);
    };
    pulse(KovraTriggerSource::External);  // triggering is off
    EXPECT_EQ(camera.TriggeredFrames(), 0);
    Exchange(camera, "std 3");
    Exchange(camera, "str et s");
    pulse(KovraTriggerSource::CC);  // not the chosen input
    camera.SetTriggerInput(KovraTriggerSource::External, true);
    EXPECT_EQ(camera.TriggeredFrames(), 3);
    Exchange(camera, "str_e f");
    camera.SetTriggerInput(KovraTriggerSource::External, true);  // no edge: already high
    EXPECT_EQ(camera.TriggeredFrames(), 3);
    camera.SetTriggerInput(KovraTriggerSource::External, false);
    EXPECT_EQ(camera.TriggeredFrames(), 6);
}

TEST(KovraConsole, LineNoiseIsRepeatableForASeed) {
    auto run = [](double rate, uint32_t seed) {
        KovraCameraOptions options = Unpaced();
        options.m_dNoiseRate = rate;
        options.m_nNoiseSeed = seed;
        KvSimKovraCamera camera(*FindKovraModel("VKR-T1"), options);
        return Exchange(camera, "gws");
    };
    const std::string clean = run(0.0, 1);
    const std::string noisy = run(0.05, 7);
    EXPECT_EQ(noisy, run(0.05, 7));
    EXPECT_NE(noisy, run(0.05, 8));
    EXPECT_GT(noisy.size(), clean.size());
    EXPECT_LT(noisy.size(), clean.size() * 2);
}

TEST(KovraConsole, SurvivesRandomInput) {
    std::mt19937 random(12345);
    for (const KovraModelInfo& model : KovraModels()) {
        KovraCameraOptions options;
        options.m_BootDelay = 50ms;
        KvSimKovraCamera camera(model, options);
        std::string input;
        for (int i = 0; i < 4000; ++i) {
            // Mostly command letters, digits and spaces, so that lines reach
            // the parser, with any byte now and then.
            static constexpr std::string_view ALPHABET = "sgtrhmwcbn0123456789 -.\r";
            const uint32_t pick = random() % 100;
            input += pick < 95 ? ALPHABET[random() % ALPHABET.size()] : char(random() % 256);
        }
        for (size_t i = 0; i < input.size(); i += 7) {
            camera.Write(std::string_view(input).substr(i, 7));
            camera.Advance(3ms);
        }
        camera.Advance(10s);
        camera.ReadAll();
        camera.PowerCycle();
        EXPECT_EQ(HostIdentify(Exchange(camera, "gmn")), model.m_sName);
    }
}

}  // namespace
