#include "KvToolZip.h"

#include <zlib.h>

namespace {
uint32_t Le(std::span<const uint8_t> b, size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i)
        v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    return v;
}
}  // namespace

std::optional<std::string> KvUnzipFirst(std::span<const uint8_t> zip, std::string& error) {
    constexpr size_t HEADER = 30;
    if (zip.size() < HEADER || Le(zip, 0, 4) != 0x04034B50u) {
        error = "The GenICam file is not a ZIP archive";
        return std::nullopt;
    }
    const uint32_t method = Le(zip, 8, 2);
    const uint32_t packed = Le(zip, 18, 4);
    const uint32_t size = Le(zip, 22, 4);
    const size_t start = HEADER + Le(zip, 26, 2) + Le(zip, 28, 2);
    if (start > zip.size() || packed > zip.size() - start || size > (64u << 20)) {
        error = "The ZIP archive is truncated or malformed";
        return std::nullopt;
    }
    const auto data = zip.subspan(start, packed);
    if (method == 0) {
        return std::string(data.begin(), data.end());
    }
    if (method != 8) {
        error = "The ZIP archive uses an unknown packing method";
        return std::nullopt;
    }
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        error = "Cannot start unpacking";
        return std::nullopt;
    }
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int r = inflate(&z, Z_FINISH);
    const size_t produced = out.size() - z.avail_out;
    inflateEnd(&z);
    if (r != Z_STREAM_END || produced != size) {
        error = "The ZIP archive's data is damaged";
        return std::nullopt;
    }
    return out;
}
