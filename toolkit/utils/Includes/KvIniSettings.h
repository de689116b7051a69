#pragma once
// Settings in an INI file laid out the way Qt's INI settings format writes
// it: "[Section]" lines and "key=value" lines, names percent-escaped, texts
// quoted and backslash-escaped where needed, keys outside a section under
// "[General]". A file that is corrupt yields the entries that can be read and
// defaults for the rest; a write replaces the file atomically (a temporary
// file beside it, then a rename), so a crash never leaves half a file.

#include <mutex>
#include <vector>

#include "KvSettings.h"

class KvIniSettings : public KvSettings {
public:
    // Reads the file when it exists. Nothing is created before a write.
    explicit KvIniSettings(KvString path);
    // Writes pending changes back; a failure is lost here, call Flush to see it.
    ~KvIniSettings() override;

    // $XDG_CONFIG_HOME/<company>/<program>.ini, or ~/.config/... when the
    // variable is unset or not absolute.
    static KvString PathFor(std::string_view company, std::string_view program);

    const KvString& GetPath() const { return m_sPath; }
    // True when the file exists but could not be read: then Flush refuses to
    // replace it (16), since that would lose whatever it holds.
    bool LoadFailed() const { return m_bLoadFailed; }

    int64_t GetInt(std::string_view section, std::string_view key,
                   int64_t defaultValue) const override;
    KvString GetString(std::string_view section, std::string_view key,
                       std::string_view defaultValue = {}) const override;
    bool Contains(std::string_view section, std::string_view key) const override;
    void SetInt(std::string_view section, std::string_view key, int64_t value) override;
    void SetString(std::string_view section, std::string_view key, std::string_view value) override;
    void Remove(std::string_view section, std::string_view key) override;
    KvResult Flush() override;

private:
    struct Entry {
        KvString m_sKey;
        KvString m_sValue;
    };
    struct Section {
        KvString m_sName;
        std::vector<Entry> m_Entries;
    };

    void Load();
    void Parse(std::string_view text);
    std::string Serialize() const;
    const Entry* FindLocked(std::string_view section, std::string_view key) const;
    void StoreLocked(std::string_view section, std::string_view key, std::string_view value);

    const KvString m_sPath;
    mutable std::mutex m_mLock;
    std::vector<Section> m_Sections;
    bool m_bDirty = false;
    bool m_bLoadFailed = false;
};
