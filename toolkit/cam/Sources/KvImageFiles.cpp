// Single frames to files: raw bytes and uncompressed bitmaps.

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "KvImageBuffer.h"
#include "KvPixelTypeFactory.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

KvResult WriteFile(const std::string& path, const std::vector<std::byte>& header,
                   const std::byte* body, size_t bodySize) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return KvCode::CANNOT_CREATE;
    }
    if ((!header.empty() &&
         std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) ||
        (bodySize != 0 && std::fwrite(body, 1, bodySize, file.get()) != bodySize)) {
        return KvCode::CANNOT_OPEN;
    }
    return std::fclose(file.release()) == 0 ? KvCode::OK : KvCode::CANNOT_OPEN;
}

void Put16(std::vector<std::byte>& out, uint32_t value) {
    out.push_back(static_cast<std::byte>(value & 0xFF));
    out.push_back(static_cast<std::byte>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::byte>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// The bitmap form a source type is written in.
uint64_t BitmapTypeFor(const KvPixelType& source) {
    if (!source.IsColor()) {
        return KvPixelID::GRAY8;
    }
    switch (source.GetLayout()) {
        case KvPixelLayout::Rgba8:
        case KvPixelLayout::Bgra8:
            return KvPixelID::BGR32;
        default:
            return KvPixelID::BGR24;
    }
}

}  // namespace

KvResult KvImageBuffer::SaveRaw(const std::string& path, const void* data, size_t size) {
    if (data == nullptr && size != 0) {
        return KvCode::INVALID_ARGUMENT;
    }
    return WriteFile(path, {}, static_cast<const std::byte*>(data), size);
}

KvResult KvImageBuffer::SaveBitmap(const std::string& path, const void* data, size_t size,
                                   uint32_t width, uint32_t height, uint64_t pixelType,
                                   uint32_t conversionFlags, const KvRGBFilter* filter) {
    if (width == 0 || height == 0 || data == nullptr) {
        return KvCode::INVALID_ARGUMENT;
    }
    const KvPixelType source = KvPixelTypeFactory::GetPixelType(pixelType);
    if (!source.IsValid()) {
        return KvCode::INVALID_ARGUMENT;
    }
    const uint64_t targetID = BitmapTypeFor(source);
    std::unique_ptr<KvPixelConverter> converter;
    if (KvPixelTypeFactory::CreateConverter(pixelType, targetID, converter) != KvCode::OK) {
        return KvCode::NOT_SUPPORTED;
    }
    const KvPixelType target = KvPixelTypeFactory::GetPixelType(targetID);
    const uint32_t bytesPerPixel = target.GetBytesPerPixel();
    const size_t row = static_cast<size_t>(width) * bytesPerPixel;
    const size_t stride = (row + 3) & ~size_t{3};
    const size_t palette = bytesPerPixel == 1 ? 256 * 4 : 0;
    const size_t offset = 14 + 40 + palette;
    const size_t imageSize = stride * height;
    if (imageSize / height != stride || imageSize > std::numeric_limits<int32_t>::max() - offset ||
        width > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ||
        height > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
        return KvCode::INVALID_ARGUMENT;
    }

    // Convert into the padded layout straight away, then flip the row order:
    // bitmaps store the bottom row first.
    std::vector<std::byte> pixels(imageSize);  // row padding stays zero
    if (const KvResult result = converter->Convert(data, size, pixels.data(), pixels.size(), width,
                                                   height, conversionFlags, filter, 0, stride);
        result != KvCode::OK) {
        return result;
    }
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * stride),
                         pixels.begin() + static_cast<std::ptrdiff_t>(top * stride + stride),
                         pixels.begin() + static_cast<std::ptrdiff_t>(bottom * stride));
    }
    std::vector<std::byte> header;
    header.reserve(offset);
    header.push_back(std::byte{'B'});
    header.push_back(std::byte{'M'});
    Put32(header, static_cast<uint32_t>(offset + imageSize));
    Put32(header, 0);  // two reserved words
    Put32(header, static_cast<uint32_t>(offset));
    Put32(header, 40);
    Put32(header, width);
    Put32(header, height);  // positive: bottom-up
    Put16(header, 1);       // planes
    Put16(header, bytesPerPixel * 8);
    Put32(header, 0);  // no compression
    Put32(header, static_cast<uint32_t>(imageSize));
    Put32(header, 2835);  // 72 dots per inch
    Put32(header, 2835);
    Put32(header, palette != 0 ? 256 : 0);
    Put32(header, 0);
    for (uint32_t grey = 0; palette != 0 && grey < 256; ++grey) {
        const auto level = static_cast<std::byte>(grey);
        header.insert(header.end(), {level, level, level, std::byte{0}});
    }
    return WriteFile(path, header, pixels.data(), pixels.size());
}
