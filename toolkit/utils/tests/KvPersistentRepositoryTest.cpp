#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "KvPersistentRepository.h"
#include "KvTempFolder.h"

namespace {

// Settings of every type, some of them grouped, with a set hook that records
// what it is given and can refuse one name, and a section of its own.
class CameraSettings : public KvPersistentRepository {
public:
    struct Call {
        KvString name;
        bool checkOnly;
        KvString text;
    };
    std::vector<Call> m_Calls;
    KvString m_sRefuse;
    KvString m_sExtra = "extra";
    KvString m_sLoadedExtra;

    CameraSettings() {
        SetRepositoryName("Camera");
        struct Row {
            const char* name;
            uint32_t type;
            const char* group;
        };
        const Row rows[] = {
            {"Label", KvParameterType::TEXT, ""},
            {"Shutter Time", KvParameterType::INT64, "Exposure"},
            {"Channel 1 Gain", KvParameterType::DOUBLE, "Analog"},
            {"Shutter Enable", KvParameterType::BOOL, "Exposure"},
            {"Mode", KvParameterType::ENUM, ""},
            {"Offset", KvParameterType::UINT8, "Analog"},
            {"Hue", KvParameterType::INT8, "Analog"},
            {"Width", KvParameterType::UINT16, ""},
            {"Shift", KvParameterType::INT16, ""},
            {"Address", KvParameterType::UINT32, ""},
            {"Delta", KvParameterType::INT32, ""},
            {"Flags", KvParameterType::UINT64, ""},
            {"Speed", KvParameterType::FLOAT, "Exposure"},
            {"Camera Name", KvParameterType::TEXT, ""},
        };
        for (const Row& row : rows) {
            AddParameter(row.name, row.type);
            SetParameterGroup(row.name, row.group);
        }
        AddEnumParameterValue("Mode", "Continuous", 0);
        AddEnumParameterValue("Mode", "SingleFrame", 1);
        SetParameterRange("Shutter Time", 50, 500000);
        SetParameterDefault("Shutter Time", 50);
        SetAttributes("Camera Name", KV_ATTRIBUTE_READ_ONLY);
    }

    // A distinct value for every parameter, extremes where they matter.
    void Fill() {
        SetParameter("Label", "  spaced & <marked>\nsecond line ");
        SetParameter("Shutter Time", int64_t{123456});
        SetParameter("Channel 1 Gain", 0.1);
        SetParameter("Shutter Enable", true);
        SetParameter("Mode", "SingleFrame");
        SetParameter("Offset", uint8_t{255});
        SetParameter("Hue", int8_t{-128});
        SetParameter("Width", uint16_t{65535});
        SetParameter("Shift", int16_t{-32768});
        SetParameter("Address", uint32_t{4294967295u});
        SetParameter("Delta", int32_t{-2147483647 - 1});
        SetParameter("Flags", std::numeric_limits<uint64_t>::max());
        SetParameter("Speed", 29.97f);
        EnableReadOnlyChecking(false);
        SetParameter("Camera Name", "VKR-Q1");
        EnableReadOnlyChecking(true);
        m_Calls.clear();
    }

    std::vector<KvString> Values() const {
        std::vector<KvString> out;
        for (uint32_t i = 0; i < GetParameterCount(); ++i) {
            KvParameterInfo info;
            GetParameterInfo(i, info);
            out.push_back(info.m_sValue);
        }
        return out;
    }

protected:
    KvResult OnParameterSet(uint32_t, uint32_t, const KvString& name, bool checkOnly,
                            const KvString& text, int64_t, double) override {
        m_Calls.push_back({name, checkOnly, text});
        return name == m_sRefuse ? KvCode::REFUSED : 0;
    }
    KvResult InternalSave(KvXMLDocument& doc) const override {
        return doc.CreateElement("video_decoder", m_sExtra);
    }
    KvResult InternalLoad(KvXMLDocument& doc) override {
        return doc.GetValue("video_decoder", m_sLoadedExtra);
    }
};

class KvPersistentRepositoryTest : public ::testing::Test {
protected:
    KvTempFolder m_Dir;

    // Saves a filled repository into a file and returns its text.
    std::string SaveFilled(bool grouped) {
        CameraSettings saved;
        saved.Fill();
        saved.GroupParametersInXML(grouped);
        KvXMLDocument doc;
        EXPECT_EQ(doc.CreateDocument("Camera_Interface_Application"), 0u);
        EXPECT_EQ(saved.SaveToXML(doc), 0u);
        EXPECT_EQ(saved.SaveToXML(doc), 0u);  // a second save replaces the first
        EXPECT_EQ(doc.SaveDocument(KvString(m_Dir.File("config.xml"))), 0u);
        return KvTempFolder::Read(m_Dir.File("config.xml"));
    }
    KvResult Load(CameraSettings& into, const std::string& content) {
        KvXMLDocument doc;
        EXPECT_EQ(doc.LoadDocument(KvString(m_Dir.Write("config.xml", content))), 0u);
        const KvResult r = into.LoadFromXML(doc);
        KvString where;
        doc.GetElementName(where);
        EXPECT_EQ(where, "Camera_Interface_Application");  // the document is back where it was
        return r;
    }
};

TEST_F(KvPersistentRepositoryTest, RoundTripsEveryTypeGroupedAndUngroupedThroughHooks) {
    CameraSettings reference;
    reference.Fill();
    for (const bool grouped : {true, false}) {
        const std::string text = SaveFilled(grouped);
        EXPECT_EQ(text.find("<repository name=\"Camera\">"), text.rfind("<repository"));
        EXPECT_NE(text.find("<parameter name=\"Offset\" type=\"uint8\">255</parameter>"),
                  std::string::npos);
        EXPECT_NE(text.find("<parameter name=\"Mode\" type=\"enum\">SingleFrame</parameter>"),
                  std::string::npos);
        EXPECT_EQ(text.find("<group name=\"Analog\">") != std::string::npos, grouped) << text;

        CameraSettings loaded;
        ASSERT_EQ(Load(loaded, text), 0u) << loaded.GetInfoString().str();
        std::vector<KvString> expected = reference.Values();
        expected.back() = "";  // read-only "Camera Name" is not loaded
        EXPECT_EQ(loaded.Values(), expected);
        EXPECT_EQ(loaded.m_sLoadedExtra, "extra");
        // Every loaded value went through the hook as an ordinary set.
        ASSERT_EQ(loaded.m_Calls.size(), 13u);
        for (const auto& call : loaded.m_Calls) {
            EXPECT_FALSE(call.checkOnly) << call.name.str();
        }
        EXPECT_TRUE(loaded.IsParameterChanged("Flags"));
    }
}

TEST_F(KvPersistentRepositoryTest, FaultyFilesLoadNothing) {
    const std::string good = SaveFilled(true);
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    struct Case {
        std::string content;
        KvResult expected;
        const char* mentions;
    };
    // Each fault sits after good values, so a partial load would show.
    const Case cases[] = {
        {edited("type=\"uint16\">65535", "type=\"uint16\">lots"), KvCode::WRONG_TYPE, "Width"},
        {edited("type=\"uint16\">", "type=\"double\">"), KvCode::WRONG_TYPE, "Width"},
        {edited("type=\"int32\">-2147483648", "type=\"int32\">-2147483649"),
         KvCode::INVALID_ARGUMENT, "Delta"},
        {edited("type=\"enum\">SingleFrame", "type=\"enum\">Burst"), KvCode::WRONG_TYPE, "Mode"},
        {edited("<parameter name=\"Width\"", "<parameter nom=\"Width\""), KvCode::BAD_XML, "name"},
        {edited("repository name=\"Camera\"", "repository name=\"Other\""), KvCode::MISSING_XML,
         "Camera"},
    };
    for (const Case& c : cases) {
        CameraSettings loaded;
        const std::vector<KvString> before = loaded.Values();
        EXPECT_EQ(Load(loaded, c.content), c.expected) << c.mentions;
        EXPECT_TRUE(loaded.GetInfoString().Contains(c.mentions)) << loaded.GetInfoString().str();
        EXPECT_EQ(loaded.Values(), before);
        EXPECT_TRUE(loaded.m_Calls.empty());
        EXPECT_FALSE(loaded.IsAnyParameterChanged());
    }
}

TEST_F(KvPersistentRepositoryTest, RefusalMidwaySetsEarlierValuesBack) {
    const std::string text = SaveFilled(false);
    CameraSettings loaded;
    const std::vector<KvString> before = loaded.Values();
    loaded.m_sRefuse = "Mode";  // the fifth value in document order
    EXPECT_EQ(Load(loaded, text), KvCode::REFUSED);
    EXPECT_EQ(loaded.Values(), before);
    EXPECT_TRUE(loaded.GetInfoString().Contains("\"Mode\"")) << loaded.GetInfoString().str();
    // Four values set, the refused one, then the four set back newest first.
    ASSERT_EQ(loaded.m_Calls.size(), 9u);
    EXPECT_EQ(loaded.m_Calls[5].name, "Shutter Enable");
    EXPECT_EQ(loaded.m_Calls[5].text, "0");
    EXPECT_EQ(loaded.m_Calls[8].name, "Label");
    EXPECT_TRUE(loaded.m_sLoadedExtra.IsEmpty());  // derived sections wait for success
}

TEST_F(KvPersistentRepositoryTest, ForeignNamesAreIgnoredAndReadOnlyOnesSkippedUnlessUnlocked) {
    std::string text = SaveFilled(false);
    text.replace(text.find("<parameter name=\"Label\""), 0,
                 "<parameter name=\"From Another Version\" type=\"int64\">7</parameter>");
    CameraSettings loaded;
    ASSERT_EQ(Load(loaded, text), 0u);
    KvString name;
    EXPECT_EQ(loaded.GetParameter("Camera Name", name), 0u);
    EXPECT_EQ(name, "");

    CameraSettings unlocked;
    unlocked.EnableReadOnlyChecking(false);
    ASSERT_EQ(Load(unlocked, text), 0u);
    EXPECT_EQ(unlocked.GetParameter("Camera Name", name), 0u);
    EXPECT_EQ(name, "VKR-Q1");
}

}  // namespace
