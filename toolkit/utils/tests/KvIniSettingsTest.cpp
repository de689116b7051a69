#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "KvIniSettings.h"

namespace fs = std::filesystem;
using namespace std::string_view_literals;

namespace {

class KvIniSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Dir = fs::temp_directory_path() /
                ("kvini-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    KvString PathOf(const char* name) const { return KvString((m_Dir / name).string()); }
    static std::string Read(const KvString& path) {
        std::ifstream file(path.str(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void Write(const KvString& path, std::string_view text) {
        std::ofstream(path.str(), std::ios::binary) << text;
    }

    fs::path m_Dir;
};

}  // namespace

TEST_F(KvIniSettingsTest, WritesTheLayoutOfQtIniFilesAndReadsEveryValueBack) {
    const KvString path = PathOf("sub/KovraGEV.ini");  // the folder is created on write
    const std::pair<const char*, const char*> texts[] = {
        {"Plain", "Config.xml"},
        {"List-like", "a,b;c=d"},
        {"Spaces", "  padded  "},
        {"Quotes", "say \"hi\" \\ there"},
        {"Controls",
         "line1\r\nline2\t\x01"
         "2"},
        {"At", "@Variant(x)"},
        {"Utf8",
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
        {"Empty", ""},
    };
    {
        KvIniSettings settings(path);
        settings.SetInt("Settings", "Window Width", 1024);
        settings.SetInt("Settings", "Offset", -7);
        settings.SetInt("", "Top", 1);
        for (const auto& [key, value] : texts) {
            settings.SetString("Texts", key, value);
        }
        settings.SetString("Last/Device", "Size", "5");
        ASSERT_EQ(settings.Flush(), KvCode::OK);
    }
    EXPECT_EQ(Read(path),
              "[Settings]\n"
              "Window%20Width=1024\n"
              "Offset=-7\n"
              "\n[General]\n"
              "Top=1\n"
              "\n[Texts]\n"
              "Plain=Config.xml\n"
              "List-like=\"a,b;c=d\"\n"
              "Spaces=\"  padded  \"\n"
              "Quotes=say \\\"hi\\\" \\\\ there\n"
              "Controls=line1\\r\\nline2\\t\\x01\\x32\n"
              "At=@@Variant(x)\n"
              "Utf8=Gr\xC3\xBC\xC3\x9F"
              "e\n"
              "Empty=\n"
              "\n[Last\\Device]\n"
              "Size=5\n");

    const KvIniSettings again(path);
    EXPECT_FALSE(again.LoadFailed());
    EXPECT_EQ(again.GetInt("settings", "window width", 0), 1024);  // names ignore case
    EXPECT_EQ(again.GetInt("Settings", "Offset", 0), -7);
    EXPECT_EQ(again.GetInt("General", "Top", 0), 1);
    for (const auto& [key, value] : texts) {
        EXPECT_EQ(again.GetString("Texts", key, "default").str(), value) << key;
    }
    EXPECT_EQ(again.GetString("Last/Device", "Size").str(), "5");
    EXPECT_TRUE(again.Contains("Texts", "Empty"));
    EXPECT_FALSE(again.Contains("Texts", "Missing"));
}

TEST_F(KvIniSettingsTest, ReadsHandWrittenFilesAndGivesDefaultsForWhatItCannotRead) {
    const KvString path = PathOf("KovraGigE.ini");
    Write(path,
          "top=3\n"
          "; a comment\n"
          "[Debug]\r\n"
          "  Log = 1   ; enabled\r\n"
          "[DebugLevel]\n"
          "File=2\n"
          "Console=two\n"
          "Big=99999999999999999999\n"
          "NoEquals\n"
          "=no key\n"
          "[Broken\n"
          "After=8\n"
          "Flag=true\n"
          "\x00\xff\xfe garbage \x01=\x02\n"
          "Quoted=\"unterminated\n"
          "Bad%zzKey=\\x\n"sv);
    const KvIniSettings settings(path);
    EXPECT_FALSE(settings.LoadFailed());
    EXPECT_EQ(settings.GetInt("General", "top", 0), 3);
    EXPECT_EQ(settings.GetInt("Debug", "Log", 0), 1);
    EXPECT_EQ(settings.GetInt("DebugLevel", "File", 0), 2);
    EXPECT_EQ(settings.GetInt("DebugLevel", "Console", 5), 5);
    EXPECT_EQ(settings.GetInt("DebugLevel", "Big", 6), 6);
    EXPECT_EQ(settings.GetInt("DebugLevel", "After", 0), 8);  // an unclosed header is skipped
    EXPECT_EQ(settings.GetInt("DebugLevel", "Flag", 0), 1);
    EXPECT_EQ(settings.GetString("DebugLevel", "Quoted").str(), "unterminated");
    EXPECT_EQ(settings.GetString("DebugLevel", "Bad%zzKey").str(), "\\x");
    EXPECT_EQ(settings.GetInt("Missing", "Log", 42), 42);
}

TEST_F(KvIniSettingsTest, NeverReplacesAFileItCouldNotRead) {
    const KvString path = PathOf("Unreadable.ini");
    fs::create_directories(path.str());  // a folder where the file should be
    {
        KvIniSettings settings(path);
        EXPECT_TRUE(settings.LoadFailed());
        EXPECT_EQ(settings.GetInt("Settings", "Width", 640), 640);
        settings.SetInt("Settings", "Width", 800);
        EXPECT_EQ(settings.GetInt("Settings", "Width", 640), 800);
        EXPECT_EQ(settings.Flush(), KvCode::CANNOT_CREATE);
    }
    EXPECT_TRUE(fs::is_directory(path.str()));
}

TEST_F(KvIniSettingsTest, ReplacesTheFileWholeAndLeavesNoTemporaryFileBehind) {
    const KvString path = PathOf("Tessary.ini");
    Write(path, "[Old]\nKeep=1\nDrop=2\n");
    {
        KvIniSettings settings(path);
        settings.Remove("Old", "Drop");
        settings.SetString("New", "Value", "x");
    }  // written back on destruction
    EXPECT_EQ(Read(path), "[Old]\nKeep=1\n\n[New]\nValue=x\n");
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_Dir)) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST_F(KvIniSettingsTest, LivesUnderTheUsersConfigurationFolder) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    setenv("XDG_CONFIG_HOME", m_Dir.c_str(), 1);
    EXPECT_EQ(KvIniSettings::PathFor("Varkel Inc", "KovraGEV").str(),
              m_Dir.string() + "/Varkel Inc/KovraGEV.ini");
    {
        auto settings = KvOpenSettings("KovraGEV");
        settings->SetInt("Settings", "Answer", 42);
        ASSERT_EQ(settings->Flush(), KvCode::OK);
    }
    EXPECT_TRUE(fs::exists(m_Dir / "Varkel Inc" / "KovraGEV.ini"));

    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const char* home = std::getenv("HOME");
    if (home) {
        EXPECT_EQ(KvIniSettings::PathFor("Varkel Inc", "Tessary").str(),
                  std::string(home) + "/.config/Varkel Inc/Tessary.ini");
    }
    oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}
