#include "KvIniSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "KvIniText.h"
#include "KvLocations.h"

namespace {

// Keys written outside any section belong to this one, as Qt names it.
constexpr std::string_view kGeneral = "General";

std::string_view SectionName(std::string_view section) {
    return section.empty() ? kGeneral : section;
}

// A settings file is a few kilobytes; anything far larger is not ours.
constexpr std::uintmax_t kMaxFileSize = 16u << 20;

bool SameName(std::string_view a, std::string_view b) {
    return KvString(a).CompareNoCase(b) == 0;
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string SectionFromLine(std::string_view inner) {
    if (inner == "%General") {
        return std::string(kGeneral);  // Qt's spelling of a group really called so
    }
    return KvIniText::UnescapeName(inner);
}

// Writes the whole text to a new file beside the target and renames it over
// the target, so that readers see either the old or the new file.
KvResult ReplaceFile(const std::filesystem::path& target, const std::string& text) {
    std::error_code error;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), error);
    }
    std::string tempName = target.string() + ".XXXXXX";
    const int fd = mkstemp(tempName.data());
    if (fd < 0) {
        return KvCode::CANNOT_CREATE;
    }
    bool written = fchmod(fd, 0644) == 0;
    for (size_t done = 0; written && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        written = n > 0;
        done += written ? static_cast<size_t>(n) : 0;
    }
    written = written && fsync(fd) == 0;
    written = (close(fd) == 0) && written;
    if (!written || std::rename(tempName.c_str(), target.c_str()) != 0) {
        unlink(tempName.c_str());
        return KvCode::CANNOT_CREATE;
    }
    return KvCode::OK;
}

}  // namespace

KvIniSettings::KvIniSettings(KvString path) : m_sPath(std::move(path)) {
    Load();
}

KvIniSettings::~KvIniSettings() {
    Flush();
}

KvString KvIniSettings::PathFor(std::string_view company, std::string_view program) {
    KvString base;
    if (KvGetenv("XDG_CONFIG_HOME", base) != KvCode::OK || !base.StartsWith("/")) {
        KvString home;
        if (KvGetenv("HOME", home) != KvCode::OK || home.IsEmpty()) {
            home = ".";
        }
        base = home + "/.config";
    }
    return base + "/" + KvString(company) + "/" + KvString(program) + ".ini";
}

void KvIniSettings::Load() {
    std::error_code error;
    const std::filesystem::path path(m_sPath.str());
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return;  // no file yet: every value is its default
    }
    const auto size = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    if (error || !std::filesystem::is_regular_file(status) || size > kMaxFileSize || !file) {
        m_bLoadFailed = true;
        return;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        m_bLoadFailed = true;
        return;
    }
    Parse(text.str());
}

void KvIniSettings::Parse(std::string_view text) {
    std::string section(kGeneral);
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close != std::string_view::npos) {
                section = SectionFromLine(Trimmed(line.substr(1, close - 1)));
            }
            continue;  // an unclosed section header is ignored, not guessed at
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) {
            continue;
        }
        const std::string key = KvIniText::UnescapeName(Trimmed(line.substr(0, equals)));
        if (!key.empty()) {
            StoreLocked(section, key, KvIniText::UnescapeValue(line.substr(equals + 1)));
        }
    }
    m_bDirty = false;
}

std::string KvIniSettings::Serialize() const {
    std::string text;
    for (const Section& section : m_Sections) {
        if (section.m_Entries.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += "[" + KvIniText::EscapeName(section.m_sName) + "]\n";
        for (const Entry& entry : section.m_Entries) {
            text += KvIniText::EscapeName(entry.m_sKey) + "=" +
                    KvIniText::EscapeValue(entry.m_sValue) + "\n";
        }
    }
    return text;
}

const KvIniSettings::Entry* KvIniSettings::FindLocked(std::string_view section,
                                                      std::string_view key) const {
    for (const Section& s : m_Sections) {
        if (SameName(s.m_sName, section)) {
            for (const Entry& e : s.m_Entries) {
                if (SameName(e.m_sKey, key)) {
                    return &e;
                }
            }
            return nullptr;
        }
    }
    return nullptr;
}

void KvIniSettings::StoreLocked(std::string_view section, std::string_view key,
                                std::string_view value) {
    Section* target = nullptr;
    for (Section& s : m_Sections) {
        if (SameName(s.m_sName, section)) {
            target = &s;
            break;
        }
    }
    if (!target) {
        target = &m_Sections.emplace_back(Section{KvString(section), {}});
    }
    for (Entry& e : target->m_Entries) {
        if (SameName(e.m_sKey, key)) {
            if (e.m_sValue != KvString(value)) {
                e.m_sValue = KvString(value);
                m_bDirty = true;
            }
            return;
        }
    }
    target->m_Entries.push_back(Entry{KvString(key), KvString(value)});
    m_bDirty = true;
}

int64_t KvIniSettings::GetInt(std::string_view section, std::string_view key,
                              int64_t defaultValue) const {
    const KvString text = GetString(section, key, {});
    std::string_view digits = Trimmed(text.view());
    if (digits == "true") {
        return 1;  // what a Qt program writes for a bool
    }
    if (digits == "false") {
        return 0;
    }
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return defaultValue;
    }
    return value;
}

KvString KvIniSettings::GetString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    std::lock_guard lock(m_mLock);
    const Entry* entry = FindLocked(SectionName(section), key);
    return entry ? entry->m_sValue : KvString(defaultValue);
}

bool KvIniSettings::Contains(std::string_view section, std::string_view key) const {
    std::lock_guard lock(m_mLock);
    return FindLocked(SectionName(section), key) != nullptr;
}

void KvIniSettings::SetInt(std::string_view section, std::string_view key, int64_t value) {
    SetString(section, key, std::to_string(value));
}

void KvIniSettings::SetString(std::string_view section, std::string_view key,
                              std::string_view value) {
    std::lock_guard lock(m_mLock);
    StoreLocked(SectionName(section), key, value);
}

void KvIniSettings::Remove(std::string_view section, std::string_view key) {
    std::lock_guard lock(m_mLock);
    for (Section& s : m_Sections) {
        if (SameName(s.m_sName, SectionName(section))) {
            const size_t erased =
                std::erase_if(s.m_Entries, [&](const Entry& e) { return SameName(e.m_sKey, key); });
            m_bDirty = m_bDirty || erased > 0;
        }
    }
}

KvResult KvIniSettings::Flush() {
    std::lock_guard lock(m_mLock);
    if (!m_bDirty) {
        return KvCode::OK;
    }
    if (m_bLoadFailed) {
        return KvCode::CANNOT_CREATE;
    }
    const KvResult result = ReplaceFile(std::filesystem::path(m_sPath.str()), Serialize());
    if (result == KvCode::OK) {
        m_bDirty = false;
    }
    return result;
}
