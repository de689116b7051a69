#pragma once
// Plain device memory: bytes that read back as written, read-only except in the
// ranges marked writable. Serves the bootstrap registers, the GenICam file
// memory and the device-information registers.

#include <string_view>
#include <utility>
#include <vector>

#include "SimRegisterBlock.h"

class SimMemoryBlock : public SimRegisterBlock {
public:
    SimMemoryBlock(uint32_t base, uint32_t size) : m_nBase(base), m_Bytes(size, 0) {}

    uint32_t Base() const override { return m_nBase; }
    uint32_t Size() const override { return static_cast<uint32_t>(m_Bytes.size()); }
    uint16_t Read(uint32_t offset, std::span<uint8_t> out) override;
    uint16_t Write(uint32_t offset, std::span<const uint8_t> data) override;

    // Set-up and device-side access by absolute address; they ignore the
    // writable ranges and silently clip at the block's end.
    void MarkWritable(uint32_t address, uint32_t length);
    void Put32(uint32_t address, uint32_t value);
    uint32_t Get32(uint32_t address) const;
    void PutText(uint32_t address, uint32_t fieldSize, std::string_view text);
    void PutBytes(uint32_t address, std::span<const uint8_t> bytes);
    std::span<const uint8_t> View(uint32_t address, uint32_t length) const;

private:
    bool IsWritable(uint32_t offset, size_t length) const;

    uint32_t m_nBase;
    std::vector<uint8_t> m_Bytes;
    std::vector<std::pair<uint32_t, uint32_t>> m_Writable;  // offset, length
};
