#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "KvLocations.h"

namespace {

// Sets (or unsets) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_sName(name) {
        if (const char* old = std::getenv(name)) {
            m_Old = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_Old ? setenv(m_sName.c_str(), m_Old->c_str(), 1) : unsetenv(m_sName.c_str()); }

private:
    std::string m_sName;
    std::optional<std::string> m_Old;
};

std::string ExecutableFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace

TEST(KvGetenv, TellsAnEmptyValueFromAMissingVariable) {
    KvString value("untouched");
    {
        ScopedEnv unset("KV_TEST_VARIABLE", nullptr);
        EXPECT_EQ(KvGetenv("KV_TEST_VARIABLE", value), KvCode::NOT_FOUND);
        EXPECT_EQ(value, "untouched");
    }
    {
        ScopedEnv empty("KV_TEST_VARIABLE", "");
        EXPECT_EQ(KvGetenv("KV_TEST_VARIABLE", value), KvCode::OK);
        EXPECT_EQ(value, "");
    }
    ScopedEnv set("KV_TEST_VARIABLE", "C:/x y");
    EXPECT_EQ(KvGetenv("KV_TEST_VARIABLE", value), KvCode::OK);
    EXPECT_EQ(value, "C:/x y");
    EXPECT_EQ(KvGetenv(nullptr, value), KvCode::NOT_FOUND);
}

TEST(TessaryLocations, FollowTheirVariablesElseTheRunningExecutable) {
    const std::string exeFolder = ExecutableFolder();
    struct Case {
        const char* variable;
        KvResult (*locate)(KvString&);
        const char* value;  // null: unset
        std::string expected;
    };
    const Case cases[] = {
        {KV_BINARIES_VARIABLE, TessaryBinariesLocation, "/opt/tessary/bin//", "/opt/tessary/bin"},
        {KV_BINARIES_VARIABLE, TessaryBinariesLocation, nullptr, exeFolder},
        {KV_BINARIES_VARIABLE, TessaryBinariesLocation, "", exeFolder},
        {KV_SOFTWARE_VARIABLE, TessarySoftwareLocation, "/opt/tessary", "/opt/tessary"},
        {KV_SOFTWARE_VARIABLE, TessarySoftwareLocation, nullptr,
         std::filesystem::path(exeFolder).parent_path().string()},
    };
    for (const Case& c : cases) {
        ScopedEnv env(c.variable, c.value);
        KvString folder;
        ASSERT_EQ(c.locate(folder), KvCode::OK) << c.variable;
        EXPECT_EQ(folder.str(), c.expected) << c.variable << "=" << (c.value ? c.value : "(unset)");
    }
}

TEST(TessaryLocations, RefuseToCutAFolderIntoASmallBuffer) {
    ScopedEnv env(KV_BINARIES_VARIABLE, "/opt/tessary/bin");
    char exact[17];
    EXPECT_EQ(TessaryBinariesLocation(exact, sizeof exact), KvCode::OK);
    EXPECT_STREQ(exact, "/opt/tessary/bin");
    char small[16];
    EXPECT_EQ(TessaryBinariesLocation(small, sizeof small), KvCode::BUFFER_TOO_SMALL);
    EXPECT_STREQ(small, "");
}
