#include "SimGenICamFile.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

#include "KvByteOrder.h"

extern const unsigned char kSimGenICamXmlData[];
extern const size_t kSimGenICamXmlSize;

std::string_view SimGenICamXml() {
    return std::string_view(reinterpret_cast<const char*>(kSimGenICamXmlData), kSimGenICamXmlSize);
}

namespace {

void Put16Le(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32Le(std::vector<uint8_t>& out, uint32_t v) {
    Put16Le(out, static_cast<uint16_t>(v));
    Put16Le(out, static_cast<uint16_t>(v >> 16));
}

std::vector<uint8_t> RawDeflate(std::span<const uint8_t> content) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::vector<uint8_t> out(deflateBound(&stream, static_cast<uLong>(content.size())));
    stream.next_in = const_cast<Bytef*>(content.data());
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    return out;
}

}  // namespace

std::vector<uint8_t> SimZipPack(std::string_view entryName, std::span<const uint8_t> content) {
    const std::vector<uint8_t> packed = RawDeflate(content);
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, content.data(), static_cast<uInt>(content.size())));
    const auto nameLength = static_cast<uint16_t>(entryName.size());
    const auto packedSize = static_cast<uint32_t>(packed.size());
    const auto size = static_cast<uint32_t>(content.size());

    std::vector<uint8_t> zip;
    // Local file header.
    Put32Le(zip, 0x04034B50);
    Put16Le(zip, 20);    // version needed
    Put16Le(zip, 0);     // flags
    Put16Le(zip, 8);     // deflate
    Put16Le(zip, 0);     // time
    Put16Le(zip, 0x21);  // date: 1980-01-01
    Put32Le(zip, crc);
    Put32Le(zip, packedSize);
    Put32Le(zip, size);
    Put16Le(zip, nameLength);
    Put16Le(zip, 0);
    zip.insert(zip.end(), entryName.begin(), entryName.end());
    zip.insert(zip.end(), packed.begin(), packed.end());
    // Central directory.
    const auto directoryOffset = static_cast<uint32_t>(zip.size());
    Put32Le(zip, 0x02014B50);
    Put16Le(zip, 20);  // made by
    Put16Le(zip, 20);
    Put16Le(zip, 0);
    Put16Le(zip, 8);
    Put16Le(zip, 0);
    Put16Le(zip, 0x21);
    Put32Le(zip, crc);
    Put32Le(zip, packedSize);
    Put32Le(zip, size);
    Put16Le(zip, nameLength);
    Put16Le(zip, 0);  // extra
    Put16Le(zip, 0);  // comment
    Put16Le(zip, 0);  // disk
    Put16Le(zip, 0);  // internal attributes
    Put32Le(zip, 0);  // external attributes
    Put32Le(zip, 0);  // offset of the local header
    zip.insert(zip.end(), entryName.begin(), entryName.end());
    const auto directorySize = static_cast<uint32_t>(zip.size()) - directoryOffset;
    // End of central directory.
    Put32Le(zip, 0x06054B50);
    Put16Le(zip, 0);
    Put16Le(zip, 0);
    Put16Le(zip, 1);
    Put16Le(zip, 1);
    Put32Le(zip, directorySize);
    Put32Le(zip, directoryOffset);
    Put16Le(zip, 0);
    return zip;
}

std::string SimLocalUrl(std::string_view fileName, uint32_t address, uint32_t length) {
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, ";%x;%x", address, length);
    return "Local:" + std::string(fileName) + numbers;
}
