#pragma once
// A private folder under the system's temporary folder, removed with its
// content when the test ends.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

class KvTempFolder {
public:
    KvTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvutils-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            m_Path = pattern;
        }
    }
    ~KvTempFolder() {
        std::error_code ignored;
        if (!m_Path.empty()) {
            std::filesystem::remove_all(m_Path, ignored);
        }
    }
    KvTempFolder(const KvTempFolder&) = delete;
    KvTempFolder& operator=(const KvTempFolder&) = delete;

    bool IsValid() const { return !m_Path.empty(); }
    std::string File(const std::string& name) const { return (m_Path / name).string(); }
    std::string Write(const std::string& name, const std::string& content) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    size_t CountFiles() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(m_Path)) {
            ++n;
        }
        return n;
    }

private:
    std::filesystem::path m_Path;
};
