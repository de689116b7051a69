#pragma once
// Converts a fixture into a buffer of exactly the destination frame's size,
// so that AddressSanitizer sees any byte read or written past either frame.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "KvPixelTypeFactory.h"
#include "KvRGBFilter.h"

using Bytes = std::vector<uint8_t>;

inline Bytes Convert(uint64_t from, uint64_t to, const Bytes& source, uint32_t width,
                     uint32_t height, uint32_t flags = 0, const KvRGBFilter* filter = nullptr) {
    std::unique_ptr<KvPixelConverter> converter;
    EXPECT_EQ(KvPixelTypeFactory::CreateConverter(from, to, converter), 0u)
        << std::hex << from << " -> " << to;
    if (!converter) {
        return {};
    }
    EXPECT_EQ(source.size(), KvPixelTypeFactory::GetPixelType(from).GetBufferSizeFor(width, height))
        << "fixture size";
    // Heap copies of the exact sizes: a vector's spare capacity would hide overruns.
    auto in = std::make_unique<uint8_t[]>(source.size());
    std::copy(source.begin(), source.end(), in.get());
    const size_t outSize = KvPixelTypeFactory::GetPixelType(to).GetBufferSizeFor(width, height);
    auto out = std::make_unique<uint8_t[]>(outSize);
    EXPECT_EQ(converter->Convert(in.get(), source.size(), out.get(), outSize, width, height, flags,
                                 filter),
              0u)
        << converter->GetInfoString().str();
    return Bytes(out.get(), out.get() + outSize);
}

// Little-endian 16-bit words as bytes.
inline Bytes Words(std::initializer_list<uint16_t> words) {
    Bytes bytes;
    for (uint16_t w : words) {
        bytes.push_back(uint8_t(w & 0xFF));
        bytes.push_back(uint8_t(w >> 8));
    }
    return bytes;
}
