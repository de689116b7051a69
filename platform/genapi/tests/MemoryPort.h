#pragma once
// A port that serves a register image from memory, so that node maps can be
// driven without a device. Counts the transfers so that tests can tell
// cached reads from device reads.

#include <cstring>
#include <vector>

#include "GenApi/GenApi.h"

class MemoryPort : public GenApi::IPort {
public:
    explicit MemoryPort(size_t size) : m_Image(size, 0) {}

    GenApi::EAccessMode GetAccessMode() const override { return m_eAccess; }
    void Read(void* buffer, int64_t address, int64_t length) override {
        Check(address, length);
        std::memcpy(buffer, m_Image.data() + address, static_cast<size_t>(length));
        ++m_nReads;
    }
    void Write(const void* buffer, int64_t address, int64_t length) override {
        Check(address, length);
        std::memcpy(m_Image.data() + address, buffer, static_cast<size_t>(length));
        ++m_nWrites;
    }

    // Big-endian helpers for setting up and checking the image.
    void Put32(size_t address, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_Image.at(address + static_cast<size_t>(i)) = static_cast<uint8_t>(v >> (24 - 8 * i));
        }
    }
    uint32_t Get32(size_t address) const {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = (v << 8) | m_Image.at(address + static_cast<size_t>(i));
        }
        return v;
    }

    std::vector<uint8_t> m_Image;
    GenApi::EAccessMode m_eAccess = GenApi::RW;
    int m_nReads = 0;
    int m_nWrites = 0;

private:
    void Check(int64_t address, int64_t length) const {
        if (address < 0 || length < 0 ||
            static_cast<uint64_t>(address) + static_cast<uint64_t>(length) > m_Image.size()) {
            GENICAM_RAISE(RuntimeException, "MemoryPort: no memory at 0x%llx + %lld",
                          static_cast<unsigned long long>(address), static_cast<long long>(length));
        }
    }
};

// Wraps a node list in a GenICam file of schema 1.1.
inline std::string GenICamFile(const std::string& nodes) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<RegisterDescription ModelName="Test" VendorName="Varkel" SchemaMajorVersion="1"
    SchemaMinorVersion="1" SchemaSubMinorVersion="0"
    xmlns="http://www.genicam.org/GenApi/Version_1_1">
)" + nodes +
           R"(
<Port Name="Device"/>
</RegisterDescription>)";
}
