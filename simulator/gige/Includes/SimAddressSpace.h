#pragma once
// The address space of a simulated device: non-overlapping register blocks.
// An access must lie wholly inside one block; anything else is an invalid address.

#include <memory>
#include <vector>

#include "SimRegisterBlock.h"

class SimAddressSpace {
public:
    // False (and the block is dropped) when it is empty or overlaps another.
    bool AddBlock(std::unique_ptr<SimRegisterBlock> block);

    uint16_t Read(uint32_t address, std::span<uint8_t> out);
    uint16_t Write(uint32_t address, std::span<const uint8_t> data);
    uint16_t Read32(uint32_t address, uint32_t& value);
    uint16_t Write32(uint32_t address, uint32_t value);

private:
    SimRegisterBlock* Find(uint32_t address, size_t size);

    std::vector<std::unique_ptr<SimRegisterBlock>> m_Blocks;
};
