#pragma once
// A fresh log folder per test, and the records of the log file split into
// their fields.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "VkrLog.h"

class VkrLogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_Dir = std::filesystem::temp_directory_path() /
                ("vkrlog-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_Dir);
        std::filesystem::create_directories(m_Dir);
    }
    void TearDown() override {
        VLCloseLog();
        std::filesystem::remove_all(m_Dir);
    }

    static std::vector<std::string> Split(const std::string& line) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '\t');) {
            fields.push_back(field);
        }
        return fields;
    }

    static std::vector<std::vector<std::string>> RecordsIn(const std::string& text) {
        std::vector<std::vector<std::string>> records;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            records.push_back(Split(line));
        }
        return records;
    }

    std::vector<std::vector<std::string>> FileRecords() const {
        std::ifstream file(VLGetLogFilePath().str());
        std::ostringstream text;
        text << file.rdbuf();
        return RecordsIn(text.str());
    }

    // Field positions of a record line.
    enum Field { TIME, SEVERITY, PROCESS, THREAD, MODULE, SECOND, SOURCE, FUNCTION, MESSAGE };

    std::filesystem::path m_Dir;
};
