#pragma once
// Settings kept per company and program: integers and texts by section and
// key, with the caller's default when an entry is missing or unreadable, and
// a write-back. Core libraries use this interface; programs may install a
// factory of their own (the Qt programs back the same file with their
// settings class), and the default is the INI file of KvIniSettings.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "KvResultCodes.h"
#include "KvString.h"

inline constexpr const char* KV_COMPANY_NAME = "Varkel Inc";

class KvSettings {
public:
    virtual ~KvSettings() = default;

    // Section and key names compare without regard to case, as the
    // per-user settings of the camera programs always have.
    virtual int64_t GetInt(std::string_view section, std::string_view key,
                           int64_t defaultValue) const = 0;
    virtual KvString GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue = {}) const = 0;
    virtual bool Contains(std::string_view section, std::string_view key) const = 0;

    virtual void SetInt(std::string_view section, std::string_view key, int64_t value) = 0;
    virtual void SetString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
    virtual void Remove(std::string_view section, std::string_view key) = 0;

    // Writes pending changes back; 0 when nothing needed writing.
    virtual KvResult Flush() = 0;
};

using KvSettingsFactory =
    std::function<std::unique_ptr<KvSettings>(std::string_view company, std::string_view program)>;

// Installs the factory that KvOpenSettings uses (an empty one restores the
// INI files) and returns the previous one.
KvSettingsFactory KvSetSettingsFactory(KvSettingsFactory factory);

// The settings of one program of the company.
std::unique_ptr<KvSettings> KvOpenSettings(std::string_view program,
                                           std::string_view company = KV_COMPANY_NAME);
