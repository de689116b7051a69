#include "KvConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace KvConfigParam;

KvString Text(const KvConfig& config, uint32_t id) {
    KvString value;
    EXPECT_EQ(config.GetParameter(id, value), 0u) << "parameter " << id;
    return value;
}

int64_t Integer(const KvConfig& config, uint32_t id) {
    int64_t value = -1;
    EXPECT_EQ(config.GetParameter(id, value), 0u) << "parameter " << id;
    return value;
}

// A configuration holding one entry per name, the last one current.
void AddNamed(KvConfig& config, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        ASSERT_EQ(config.AddDevice(), 0u);
        ASSERT_EQ(config.SetParameter(DEVICE_NAME, KvString(name)), 0u);
    }
}

class KvConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvconfig-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_Folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_Folder); }

    KvString PathOf(const char* name) const { return KvString((m_Folder / name).string()); }
    KvString Write(const char* name, const std::string& content) const {
        const KvString path = PathOf(name);
        std::ofstream(path.str(), std::ios::binary) << content;
        return path;
    }

    std::filesystem::path m_Folder;
};

TEST(KvConfig, EmptyConfigurationRefusesNavigationAndEntryWrites) {
    KvConfig config;
    EXPECT_EQ(Integer(config, DEVICE_COUNT), 0);
    EXPECT_EQ(Integer(config, CURRENT_DEVICE), 0);
    EXPECT_EQ(config.GoFirst(), KvCode::NOT_FOUND);
    EXPECT_EQ(config.GoLast(), KvCode::NOT_FOUND);
    EXPECT_EQ(config.GoNext(), KvCode::NOT_FOUND);
    EXPECT_EQ(config.GoPrevious(), KvCode::NOT_FOUND);
    EXPECT_EQ(config.DeleteDevice(), KvCode::NOT_FOUND);
    EXPECT_EQ(config.FindDeviceByName("Default"), KvCode::NOT_FOUND);

    // Entry parameters read their defaults but cannot be written without an entry.
    EXPECT_EQ(Integer(config, PACKET_SIZE), 1500);
    EXPECT_EQ(config.SetParameter(DEVICE_NAME, "Default"), KvCode::WRONG_STATE);
    EXPECT_EQ(config.GetDeviceCount(), 0u);
    // Selecting the first entry of an empty list is how callers reset; it is harmless.
    EXPECT_EQ(config.SetParameter(CURRENT_DEVICE, int64_t{0}), 0u);
    EXPECT_EQ(config.SetParameter(DEVICE_COUNT, int64_t{3}), KvCode::READ_ONLY);
}

TEST(KvConfig, ParametersReadAndWriteTheCurrentEntry) {
    KvConfig config;
    AddNamed(config, {"A", "B", "C"});
    EXPECT_EQ(Integer(config, DEVICE_COUNT), 3);
    EXPECT_EQ(Integer(config, CURRENT_DEVICE), 2);
    EXPECT_EQ(Text(config, DEVICE_NAME), "C");

    ASSERT_EQ(config.GoFirst(), 0u);
    ASSERT_EQ(config.SetParameter(PACKET_SIZE, int64_t{9000}), 0u);
    ASSERT_EQ(config.GoNext(), 0u);
    EXPECT_EQ(Text(config, DEVICE_NAME), "B");
    EXPECT_EQ(Integer(config, PACKET_SIZE), 1500);
    ASSERT_EQ(config.GoPrevious(), 0u);
    EXPECT_EQ(Text(config, DEVICE_NAME), "A");
    EXPECT_EQ(Integer(config, PACKET_SIZE), 9000);

    // The stored snapshot that configuration pages show follows navigation too.
    KvParameterInfo info;
    ASSERT_EQ(config.GetParameterInfo(DEVICE_NAME, info), 0u);
    EXPECT_EQ(info.m_sValue, "A");

    // Stepping past either end fails and stays put.
    EXPECT_EQ(config.GoPrevious(), KvCode::NOT_FOUND);
    EXPECT_EQ(Text(config, DEVICE_NAME), "A");
    ASSERT_EQ(config.GoLast(), 0u);
    EXPECT_EQ(config.GoNext(), KvCode::NOT_FOUND);
    EXPECT_EQ(Text(config, DEVICE_NAME), "C");

    // Parameter 1 selects by position.
    ASSERT_EQ(config.SetParameter(CURRENT_DEVICE, int64_t{1}), 0u);
    EXPECT_EQ(Text(config, DEVICE_NAME), "B");
    EXPECT_EQ(config.SetParameter(CURRENT_DEVICE, int64_t{3}), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(Text(config, DEVICE_NAME), "B");
}

TEST(KvConfig, DeletingTheCurrentEntryMovesToItsFollowerOrTheNewLast) {
    struct Case {
        int64_t m_nDeleted;
        const char* m_pCurrentAfter;
    };
    for (const Case& c : {Case{0, "B"}, Case{1, "C"}, Case{2, "B"}}) {
        SCOPED_TRACE(c.m_nDeleted);
        KvConfig config;
        AddNamed(config, {"A", "B", "C"});
        ASSERT_EQ(config.SetParameter(CURRENT_DEVICE, c.m_nDeleted), 0u);
        ASSERT_EQ(config.DeleteDevice(), 0u);
        EXPECT_EQ(Integer(config, DEVICE_COUNT), 2);
        EXPECT_EQ(Text(config, DEVICE_NAME), c.m_pCurrentAfter);
        EXPECT_EQ(config.FindDeviceByName(KvString(1, static_cast<char>('A' + c.m_nDeleted))),
                  KvCode::NOT_FOUND);
    }

    // Deleting until the list is empty (what a disconnect of two entries does).
    KvConfig config;
    AddNamed(config, {"A", "B"});
    ASSERT_EQ(config.GoLast(), 0u);
    ASSERT_EQ(config.DeleteDevice(), 0u);
    ASSERT_EQ(config.DeleteDevice(), 0u);
    EXPECT_EQ(config.DeleteDevice(), KvCode::NOT_FOUND);
    EXPECT_EQ(Integer(config, DEVICE_COUNT), 0);
    EXPECT_EQ(Text(config, DEVICE_NAME), "");
    EXPECT_EQ(config.SetParameter(DEVICE_NAME, "X"), KvCode::WRONG_STATE);
}

TEST(KvConfig, FindDeviceByNamePositionsOnTheFirstMatch) {
    KvConfig config;
    AddNamed(config, {"Left", "Default", "Right", "Default"});
    ASSERT_EQ(config.SetParameter(CAMERA_TYPE, "second"), 0u);

    ASSERT_EQ(config.FindDeviceByName("Default"), 0u);
    EXPECT_EQ(Integer(config, CURRENT_DEVICE), 1);
    EXPECT_EQ(Text(config, CAMERA_TYPE), "");

    ASSERT_EQ(config.FindDeviceByName("Right"), 0u);
    EXPECT_EQ(config.FindDeviceByName("default"), KvCode::NOT_FOUND);
    EXPECT_EQ(config.FindDeviceByName(""), KvCode::NOT_FOUND);
    EXPECT_EQ(Text(config, DEVICE_NAME), "Right");
}

TEST(KvConfig, ParameterTypesAndValues) {
    KvConfig config;
    ASSERT_EQ(config.AddDevice(), 0u);
    for (uint32_t id = 0; id < COUNT; ++id) {
        const bool text =
            id == ADAPTER_ID || (id >= IP_ADDRESS && id <= CAMERA_TYPE) || id >= MULTICAST_ADDRESS;
        const uint32_t expected = text                       ? KvParameterType::TEXT
                                  : id == COMMUNICATION_MODE ? KvParameterType::ENUM
                                                             : KvParameterType::INT64;
        EXPECT_EQ(config.GetParameterType(id), expected) << "parameter " << id;
    }
    uint32_t attributes = 0;
    ASSERT_EQ(config.GetAttributes(DEVICE_COUNT, attributes), 0u);
    EXPECT_TRUE(attributes & KV_ATTRIBUTE_READ_ONLY);

    // The communication mode takes its seven values, by number or by name.
    EXPECT_EQ(config.SetParameter(COMMUNICATION_MODE, KvCommunicationMode::GIGE_VISION_SOCKETS),
              0u);
    EXPECT_EQ(Text(config, COMMUNICATION_MODE), "GigE Vision Sockets");
    EXPECT_EQ(config.SetParameter(COMMUNICATION_MODE, "ZE Redeze Sockets"), 0u);
    EXPECT_EQ(Integer(config, COMMUNICATION_MODE), KvCommunicationMode::REDEZE_SOCKETS);
    EXPECT_EQ(config.SetParameter(COMMUNICATION_MODE, int64_t{7}), KvCode::INVALID_ARGUMENT);
    // A packet size of 0 would break every computation that divides by it.
    EXPECT_EQ(config.SetParameter(PACKET_SIZE, int64_t{0}), KvCode::INVALID_ARGUMENT);
    EXPECT_EQ(config.SetParameter(MASTER, false), 0u);
    EXPECT_EQ(Integer(config, MASTER), 0);
}

TEST(KvConfig, AddressesAreBracketedDottedQuads) {
    const char* accepted[] = {"[192.168.0.10]", "[0.0.0.0]", "[255.255.255.255]", "", "[]"};
    const char* refused[] = {"192.168.0.10", "[256.1.1.1]", "[1.2.3]",      "[1.2.3.4.5]",
                             "[1.2.3.4]x",   "[1..3.4]",    "[1234.1.1.1]", "[a.b.c.d]",
                             "[1.2.3.4",     "[-1.2.3.4]"};
    KvConfig config;
    ASSERT_EQ(config.AddDevice(), 0u);
    for (const char* text : accepted) {
        EXPECT_EQ(config.SetParameter(IP_ADDRESS, text), 0u) << text;
        EXPECT_EQ(config.SetParameter(MULTICAST_ADDRESS, text), 0u) << text;
    }
    ASSERT_EQ(config.SetParameter(IP_ADDRESS, "[10.0.0.1]"), 0u);
    for (const char* text : refused) {
        EXPECT_EQ(config.SetParameter(IP_ADDRESS, text), KvCode::INVALID_ARGUMENT) << text;
    }
    EXPECT_EQ(Text(config, IP_ADDRESS), "[10.0.0.1]");
}

TEST_F(KvConfigFile, RoundTripOfTwoEntriesThroughAFile) {
    KvConfig saved;
    ASSERT_EQ(saved.AddDevice(), 0u);
    ASSERT_EQ(saved.SetParameter(DEVICE_NAME, "Default"), 0u);
    ASSERT_EQ(saved.SetParameter(IP_ADDRESS, "[127.0.0.5]"), 0u);
    ASSERT_EQ(saved.SetParameter(MAC_ADDRESS, "00:11:22:33:44:55"), 0u);
    ASSERT_EQ(saved.SetParameter(COMMUNICATION_MODE, KvCommunicationMode::GIGE_VISION_SOCKETS), 0u);
    ASSERT_EQ(saved.SetParameter(HEARTBEAT_INTERVAL, int64_t{4500}), 0u);
    ASSERT_EQ(saved.SetParameter(DEVICE_DETAIL_2, "a <b> & \"c\""), 0u);
    ASSERT_EQ(saved.AddDevice(), 0u);
    ASSERT_EQ(saved.SetParameter(DEVICE_NAME, "Second"), 0u);
    ASSERT_EQ(saved.SetParameter(MULTI_TARGET_MODE, int64_t{1}), 0u);
    ASSERT_EQ(saved.SetParameter(MULTICAST_ADDRESS, "[224.64.16.1]"), 0u);
    ASSERT_EQ(saved.SetParameter(REQUEST_TIMEOUT, int64_t{12345}), 0u);
    ASSERT_EQ(saved.GoFirst(), 0u);

    KvXMLDocument doc;
    ASSERT_EQ(doc.CreateDocument("Camera_Interface_Application"), 0u);
    ASSERT_EQ(doc.CreateElement("camera"), 0u);
    ASSERT_EQ(doc.GoToParent(), 0u);
    // Saving twice replaces the first section instead of adding a second.
    ASSERT_EQ(saved.SaveToXML(doc), 0u);
    ASSERT_EQ(saved.SaveToXML(doc), 0u);
    KvString root;
    ASSERT_EQ(doc.GetElementName(root), 0u);
    EXPECT_EQ(root, "Camera_Interface_Application");
    const KvString path = PathOf("last_config.xml");
    ASSERT_EQ(doc.SaveDocument(path), 0u);

    KvXMLDocument reread;
    ASSERT_EQ(reread.LoadDocument(path), 0u);
    KvConfig loaded;
    AddNamed(loaded, {"replaced"});
    ASSERT_EQ(loaded.LoadFromXML(reread), 0u) << loaded.GetInfoString().c_str_ascii();
    EXPECT_EQ(loaded.GetDeviceCount(), 2u);
    EXPECT_EQ(loaded.FindDeviceByName("replaced"), KvCode::NOT_FOUND);
    ASSERT_EQ(loaded.GoFirst(), 0u);
    for (int entry = 0; entry < 2; ++entry) {
        ASSERT_EQ(saved.SetParameter(CURRENT_DEVICE, int64_t{entry}), 0u);
        ASSERT_EQ(loaded.SetParameter(CURRENT_DEVICE, int64_t{entry}), 0u);
        for (uint32_t id = ANSWER_TIMEOUT; id < COUNT; ++id) {
            EXPECT_EQ(Text(loaded, id), Text(saved, id)) << "entry " << entry << " id " << id;
        }
    }
    // The entry that was current when saving is current again, and the
    // neighbouring camera section survived.
    KvConfig again;
    ASSERT_EQ(again.LoadFromXML(reread), 0u);
    EXPECT_EQ(Text(again, DEVICE_NAME), "Default");
    EXPECT_EQ(reread.GoToElement("camera"), 0u);
    ASSERT_EQ(reread.GoToParent(), 0u);
    EXPECT_EQ(reread.GoToNext(KvConfig::XML_SECTION), KvCode::NOT_FOUND);
}

TEST_F(KvConfigFile, MissingSectionAnswersNotFound) {
    KvXMLDocument doc;
    ASSERT_EQ(doc.LoadDocument(Write("other.xml",
                                     "<Camera_Interface_Application>"
                                     "<camera name=\"x\" type=\"y\"/>"
                                     "</Camera_Interface_Application>")),
              0u);
    KvConfig config;
    AddNamed(config, {"kept"});
    EXPECT_EQ(config.LoadFromXML(doc), KvCode::NOT_FOUND);
    EXPECT_EQ(config.GetDeviceCount(), 1u);
    EXPECT_EQ(Text(config, DEVICE_NAME), "kept");
    KvString root;
    ASSERT_EQ(doc.GetElementName(root), 0u);
    EXPECT_EQ(root, "Camera_Interface_Application");
}

TEST_F(KvConfigFile, BadSectionIsRefusedWholeAndChangesNothing) {
    const std::string good = "<device><parameter id=\"12\">first</parameter></device>";
    struct Case {
        const char* m_pWhat;
        std::string m_sSection;
        KvResult m_nCode;
    };
    const Case cases[] = {
        {"text in an integer", "<device><parameter id=\"6\">big</parameter></device>",
         KvCode::WRONG_TYPE},
        {"out of range", "<device><parameter id=\"7\">1000000</parameter></device>",
         KvCode::INVALID_ARGUMENT},
        {"unknown mode", "<device><parameter id=\"8\">Carrier Pigeon</parameter></device>",
         KvCode::WRONG_TYPE},
        {"bare address", "<device><parameter id=\"10\">10.0.0.1</parameter></device>",
         KvCode::INVALID_ARGUMENT},
        {"no id", "<device><parameter name=\"Packet Size\">1500</parameter></device>",
         KvCode::INVALID_ARGUMENT},
        {"id not a number", "<device><parameter id=\"6x\">1500</parameter></device>",
         KvCode::INVALID_ARGUMENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_pWhat);
        const KvString path =
            Write("bad.xml", "<Camera_Interface_Application><KvConfig>" + good + c.m_sSection +
                                 "</KvConfig></Camera_Interface_Application>");
        KvXMLDocument doc;
        ASSERT_EQ(doc.LoadDocument(path), 0u);
        KvConfig config;
        AddNamed(config, {"kept"});
        EXPECT_EQ(config.LoadFromXML(doc), c.m_nCode);
        EXPECT_TRUE(config.GetInfoString().Contains("Device entry 1"))
            << config.GetInfoString().c_str_ascii();
        EXPECT_EQ(config.GetDeviceCount(), 1u);
        EXPECT_EQ(Text(config, DEVICE_NAME), "kept");
    }

    for (const char* current : {"2", "-1", "one"}) {
        SCOPED_TRACE(current);
        const KvString path = Write(
            "bad.xml", "<Camera_Interface_Application><KvConfig current=\"" + std::string(current) +
                           "\">" + good + good + "</KvConfig></Camera_Interface_Application>");
        KvXMLDocument doc;
        ASSERT_EQ(doc.LoadDocument(path), 0u);
        KvConfig config;
        EXPECT_EQ(config.LoadFromXML(doc), KvCode::INVALID_ARGUMENT);
        EXPECT_EQ(config.GetDeviceCount(), 0u);
    }
}

TEST_F(KvConfigFile, SectionFromANewerVersionLoadsWhatItKnows) {
    const KvString path =
        Write("newer.xml",
              "<Camera_Interface_Application><KvConfig version=\"2\">"
              "<device><parameter id=\"12\">Default</parameter><parameter id=\"99\">?</parameter>"
              "<extra/></device><device/><unknown/></KvConfig></Camera_Interface_Application>");
    KvXMLDocument doc;
    ASSERT_EQ(doc.LoadDocument(path), 0u);
    KvConfig config;
    ASSERT_EQ(config.LoadFromXML(doc), 0u) << config.GetInfoString().c_str_ascii();
    EXPECT_EQ(config.GetDeviceCount(), 2u);
    EXPECT_EQ(Text(config, DEVICE_NAME), "Default");
    ASSERT_EQ(config.GoNext(), 0u);
    EXPECT_EQ(Integer(config, PACKET_SIZE), 1500);
}

}  // namespace
