#pragma once
// The register value cache of one node map. Entries are keyed by port,
// address and length, so every node built on the same register bytes (masked
// registers, StructEntries) shares one entry; a write drops every entry that
// overlaps the written bytes.

#include <cstdint>
#include <map>
#include <span>
#include <tuple>
#include <vector>

namespace GenApi {

struct CacheKey {
    const void* port = nullptr;
    int64_t address = 0;
    int64_t length = 0;
    auto operator<=>(const CacheKey&) const = default;
};

class ValueCache {
public:
    // Copies the cached bytes into out; false when there are none.
    bool Find(const CacheKey& key, std::span<uint8_t> out) const;
    void Store(const CacheKey& key, std::span<const uint8_t> bytes);
    // Drops every entry of the port whose bytes overlap [address, address+length).
    void DropOverlapping(const CacheKey& key);
    void Clear() { m_Entries.clear(); }
    size_t Size() const { return m_Entries.size(); }

private:
    std::map<CacheKey, std::vector<uint8_t>> m_Entries;
};

}  // namespace GenApi
