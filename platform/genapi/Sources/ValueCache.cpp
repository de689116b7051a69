#include "ValueCache.h"

#include <algorithm>

namespace GenApi {

bool ValueCache::Find(const CacheKey& key, std::span<uint8_t> out) const {
    auto it = m_Entries.find(key);
    if (it == m_Entries.end() || it->second.size() != out.size()) {
        return false;
    }
    std::copy(it->second.begin(), it->second.end(), out.begin());
    return true;
}

void ValueCache::Store(const CacheKey& key, std::span<const uint8_t> bytes) {
    DropOverlapping(key);
    m_Entries[key].assign(bytes.begin(), bytes.end());
}

void ValueCache::DropOverlapping(const CacheKey& key) {
    // Overflow-safe end addresses: addresses come from device files.
    auto end = [](int64_t address, int64_t length) {
        uint64_t e =
            static_cast<uint64_t>(address) + static_cast<uint64_t>(std::max<int64_t>(length, 0));
        return e;
    };
    const uint64_t start = static_cast<uint64_t>(key.address);
    const uint64_t stop = end(key.address, key.length);
    for (auto it = m_Entries.begin(); it != m_Entries.end();) {
        const CacheKey& k = it->first;
        const bool overlaps = k.port == key.port && static_cast<uint64_t>(k.address) < stop &&
                              start < end(k.address, k.length);
        if (overlaps || (k.port == key.port && k.address == key.address)) {
            it = m_Entries.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace GenApi
