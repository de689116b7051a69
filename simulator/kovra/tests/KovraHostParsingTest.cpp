// The answers read with the host's own rules: the query pattern, the model
// identification, the colour test and the read-back of the working settings.

#include <gtest/gtest.h>

#include <cstdio>

#include "KovraHostView.h"

using namespace kovra_test;

namespace {

std::string UpToLineEnd(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

TEST(KovraHostParsing, EveryModelIsIdentifiedAndItsColourRecognised) {
    for (const KovraModelInfo& model : KovraModels()) {
        for (bool color : {false, true}) {
            SCOPED_TRACE(std::string(model.m_sName) + (color ? " colour" : " mono"));
            KvSimKovraCamera camera(model, Unpaced(color));
            // The connection page sends the command with a trailing zero byte
            // and cuts the model out of whatever came back.
            camera.Write(std::string_view("gmn\r\0", 5));
            camera.Advance(100ms);
            const std::string reply = camera.ReadAll();
            EXPECT_EQ(HostIdentify(reply), model.m_sName);

            const std::string name = UpToLineEnd(HostQueryValue(reply, "gmn"));
            ASSERT_GE(name.size(), 12u);
            EXPECT_EQ(name[11] == 'C', color);
            EXPECT_NE(name.find(model.m_sDesignation), std::string::npos);

            Exchange(camera, "sem off");
            EXPECT_EQ(UpToLineEnd(HostQueryValue(Exchange(camera, "gmn"), "gmn")), name);
        }
    }
}

TEST(KovraHostParsing, ManufacturerDataCarriesTheSerialNumber) {
    KovraCameraOptions options = Unpaced();
    options.m_sSerialNumber = "00412345";
    KvSimKovraCamera camera(*FindKovraModel("VKR-S2"), options);
    std::string data = HostQueryValue(Exchange(camera, "gmd"), "gmd");
    std::erase(data, '\r');
    const std::string label = "Assembly Serial #:";
    const size_t at = data.find(label);
    ASSERT_NE(at, std::string::npos) << data;
    const size_t start = at + label.size() + 1;
    EXPECT_EQ(data.substr(start, data.find('\n', start) - start), "00412345");

    EXPECT_TRUE(HostQueryValue(Exchange(camera, "gsv"), "gsv").starts_with("SW "));
    EXPECT_NE(HostQueryValue(Exchange(camera, "gfv"), "gfv").find(" v"), std::string::npos);
}

TEST(KovraHostParsing, LiveValuesReadAsTheStatusPollsReadThem) {
    KvSimKovraCamera camera(*FindKovraModel("VKR-Q2"), Unpaced());
    // Temperature: the number between the last line feed before the first
    // "C" and that "C".
    auto temperature = [&] {
        const std::string reply = Exchange(camera, "gct");
        const size_t c = reply.find('C');
        EXPECT_NE(c, std::string::npos) << reply;
        const size_t lf = reply.rfind('\n', c);
        return HostReal(std::string_view(reply).substr(lf + 1, c - lf - 1));
    };
    for (double degrees : {47.3, -3.5, 0.0}) {
        camera.SetTemperature(degrees);
        EXPECT_DOUBLE_EQ(temperature(), degrees);
    }

    Exchange(camera, "sfr 30");
    EXPECT_DOUBLE_EQ(HostReal(HostQueryValue(Exchange(camera, "gcs"), "gcs")), 30.0);
    EXPECT_EQ(HostInteger(HostQueryValue(Exchange(camera, "gce"), "gce")), 33330);
    Exchange(camera, "sst 1234");
    EXPECT_EQ(HostInteger(HostQueryValue(Exchange(camera, "gce"), "gce")), 1234);
    Exchange(camera, "str et s");
    EXPECT_DOUBLE_EQ(HostReal(HostQueryValue(Exchange(camera, "gcs"), "gcs")), 0.0);

    // The edge: falling when the whole reply holds an "f", rising otherwise.
    EXPECT_EQ(Exchange(camera, "gtr_e").find('f'), std::string::npos);
    Exchange(camera, "str_e f");
    EXPECT_NE(Exchange(camera, "gtr_e").find('f'), std::string::npos);
}

TEST(KovraHostParsing, DefectivePixelsMapListsPixelsOnTheSensor) {
    KvSimKovraCamera camera(*FindKovraModel("VKR-R1"), Unpaced());
    const std::string map = HostQueryValue(Exchange(camera, "dpm"), "dpm");
    int count = 0;
    for (size_t at = map.find("\r\n"); at != std::string::npos; at = map.find("\r\n", at + 2)) {
        int number = 0, column = 0, row = 0;
        if (std::sscanf(map.c_str() + at + 2, "%d: X=%d\tY=%d", &number, &column, &row) == 3) {
            EXPECT_EQ(number, ++count);
            EXPECT_TRUE(column >= 1 && column <= 1000 && row >= 1 && row <= 1000);
        }
    }
    EXPECT_EQ(count, 8);
}

// The read-back of the working settings, rule by rule as the host applies it.
struct ReadBack {
    std::string m_sAnswer;

    std::optional<std::string> Value(std::string_view key) const {
        return HostGwsValue(m_sAnswer, key);
    }
    int64_t Integer(std::string_view key) const { return HostInteger(Value(key).value_or("")); }
    double Real(std::string_view key) const {
        return static_cast<float>(HostReal(Value(key).value_or("")));
    }
    bool Flag(std::string_view key) const { return Value(key).value_or("off") != "off"; }
    std::pair<int, int> Pair(std::string_view key) const {
        int a = 0, b = 0;
        std::sscanf(Value(key).value_or("").c_str(), "%i %i", &a, &b);
        return {a, b};
    }
};

TEST(KovraHostParsing, WorkingSettingsReadBackWithEveryKey) {
    KvSimKovraCamera camera(*FindKovraModel("VKR-T1"), Unpaced());
    for (const char* command :
         {"shm w",   "shw 11 2000", "svm w",  "svw 3 1500", "sst 1234", "ssp 777",    "std 9",
          "spe 100", "sde 200",     "slt 2",  "sao 1 20",   "sao 2 30", "sag 1 7.25", "sag 2 8.5",
          "sdm off", "sbd 12",      "snc on", "stm 3",      "sir on",   "str cc f",   "sni on",
          "sai 44",  "sfr 30",      "sci on", "sbf u1",     "sta on",   "stt 90 85"}) {
        ASSERT_EQ(Exchange(camera, command).find("Error"), std::string::npos) << command;
    }
    camera.SetTemperature(41.5);

    for (bool echo : {true, false}) {
        SCOPED_TRACE(echo ? "echo on" : "echo off");
        Exchange(camera, echo ? "sem on" : "sem off");
        const ReadBack r{Exchange(camera, "gws")};
        ASSERT_LT(r.m_sAnswer.size(), 2048u);
        EXPECT_EQ(r.Pair("hw"), std::make_pair(11, 2000));
        EXPECT_EQ(r.Pair("vw"), std::make_pair(3, 1500));
        EXPECT_NE(r.Value("hm").value_or("").find('w'), std::string::npos);
        EXPECT_NE(r.Value("vm").value_or("").find('w'), std::string::npos);
        EXPECT_EQ(r.Integer("st"), 1234);
        EXPECT_FALSE(r.Flag("li"));
        EXPECT_EQ(r.Integer("sp"), 777);
        EXPECT_EQ(r.Integer("td"), 9);
        EXPECT_EQ(r.Integer("pe"), 100);
        EXPECT_EQ(r.Integer("de"), 200);
        EXPECT_NE(r.Value("lt").value_or("").find('2'), std::string::npos);
        EXPECT_EQ(r.Integer("ao 1"), 20);
        EXPECT_EQ(r.Integer("ao 2"), 30);
        EXPECT_DOUBLE_EQ(r.Real("ag 1"), 7.25f);
        EXPECT_DOUBLE_EQ(r.Real("ag 2"), 8.5f);
        EXPECT_FALSE(r.Flag("dm"));
        const std::string depth = r.Value("bd").value_or("");
        EXPECT_TRUE(depth.find('8') == std::string::npos && depth.find("10") == std::string::npos &&
                    depth.find("12") != std::string::npos);
        EXPECT_TRUE(r.Flag("nc"));
        EXPECT_FALSE(r.Flag("dc"));
        EXPECT_NE(r.Value("tm").value_or("").find('3'), std::string::npos);
        EXPECT_TRUE(r.Flag("ir"));
        const std::string trigger = r.Value("tr").value_or("");
        EXPECT_TRUE(trigger.find("et") == std::string::npos &&
                    trigger.find("cc") != std::string::npos);
        EXPECT_TRUE(trigger.find('s') == std::string::npos &&
                    trigger.find('f') != std::string::npos);
        EXPECT_TRUE(r.Flag("ni"));
        EXPECT_EQ(r.Integer("ai"), 44);
        EXPECT_EQ(r.Integer("fr"), 30);
        EXPECT_EQ(r.Integer("ft"), 33330);
        EXPECT_DOUBLE_EQ(r.Real("cs"), 0.0);  // triggered: waiting for triggers
        EXPECT_EQ(r.Integer("ce"), 1234);
        EXPECT_TRUE(r.Flag("ci"));
        const std::string bootLine = "bf " + r.Value("bf").value_or("");
        EXPECT_NE(bootLine.find("u1"), std::string::npos);
        EXPECT_TRUE(r.Flag("ta"));
        const std::string thresholds = r.Value("tt").value_or("");
        EXPECT_EQ(HostInteger(thresholds), 90);
        ASSERT_NE(thresholds.find('C'), std::string::npos);
        EXPECT_EQ(HostInteger(std::string_view(thresholds).substr(thresholds.find('C') + 1)), 85);
        EXPECT_DOUBLE_EQ(r.Real("ct"), 41.5f);
        EXPECT_FALSE(r.Flag("fc"));
    }
}

TEST(KovraHostParsing, WorkingSettingsListOnlyWhatTheModelHas) {
    const std::vector<std::string> common = {"hw", "vw", "hm", "vm",   "st",   "li", "sp", "td",
                                             "pe", "de", "lt", "ao 1", "ag 1", "dm", "bd", "nc",
                                             "dc", "tm", "ir", "tr",   "ni",   "ai", "fr", "cs",
                                             "ce", "ci", "bf", "ta",   "tt",   "ct"};
    struct Case {
        const char* m_szModel;
        bool m_bSecondTap, m_bFrameTime, m_bFlatField;
    };
    for (const Case& c : {Case{"VKR-Q1", false, false, false}, Case{"VKR-R1", true, false, false},
                          Case{"VKR-S1", false, false, true}, Case{"VKR-R2", true, true, true}}) {
        SCOPED_TRACE(c.m_szModel);
        KvSimKovraCamera camera(*FindKovraModel(c.m_szModel), Unpaced());
        const std::string answer = Exchange(camera, "gws");
        for (const std::string& key : common) {
            EXPECT_TRUE(HostGwsValue(answer, key)) << key;
        }
        EXPECT_EQ(HostGwsValue(answer, "ao 2").has_value(), c.m_bSecondTap);
        EXPECT_EQ(HostGwsValue(answer, "ag 2").has_value(), c.m_bSecondTap);
        EXPECT_EQ(HostGwsValue(answer, "ft").has_value(), c.m_bFrameTime);
        EXPECT_EQ(HostGwsValue(answer, "fc").has_value(), c.m_bFlatField);
        EXPECT_EQ(HostGwsValue(answer, "dm").value_or(""), c.m_bSecondTap ? "on" : "off");
    }
}

}  // namespace
