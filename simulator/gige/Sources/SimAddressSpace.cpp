#include "SimAddressSpace.h"

#include "KvByteOrder.h"
#include "KvGvcp.h"

bool SimAddressSpace::AddBlock(std::unique_ptr<SimRegisterBlock> block) {
    if (!block || block->Size() == 0) {
        return false;
    }
    const uint64_t begin = block->Base(), end = begin + block->Size();
    for (const auto& other : m_Blocks) {
        const uint64_t otherBegin = other->Base(), otherEnd = otherBegin + other->Size();
        if (begin < otherEnd && otherBegin < end) {
            return false;
        }
    }
    m_Blocks.push_back(std::move(block));
    return true;
}

SimRegisterBlock* SimAddressSpace::Find(uint32_t address, size_t size) {
    for (const auto& block : m_Blocks) {
        const uint64_t begin = block->Base(), end = begin + block->Size();
        if (address >= begin && uint64_t{address} + size <= end) {
            return block.get();
        }
    }
    return nullptr;
}

uint16_t SimAddressSpace::Read(uint32_t address, std::span<uint8_t> out) {
    if (address % 4 != 0 || out.size() % 4 != 0) {
        return Gvcp::Status::BAD_ALIGNMENT;
    }
    SimRegisterBlock* block = Find(address, out.size());
    if (!block) {
        return Gvcp::Status::INVALID_ADDRESS;
    }
    return block->Read(address - block->Base(), out);
}

uint16_t SimAddressSpace::Write(uint32_t address, std::span<const uint8_t> data) {
    if (address % 4 != 0 || data.size() % 4 != 0) {
        return Gvcp::Status::BAD_ALIGNMENT;
    }
    SimRegisterBlock* block = Find(address, data.size());
    if (!block) {
        return Gvcp::Status::INVALID_ADDRESS;
    }
    return block->Write(address - block->Base(), data);
}

uint16_t SimAddressSpace::Read32(uint32_t address, uint32_t& value) {
    uint8_t bytes[4] = {};
    const uint16_t status = Read(address, bytes);
    value = status == Gvcp::Status::SUCCESS ? KvBigEndian::Get32(bytes) : 0;
    return status;
}

uint16_t SimAddressSpace::Write32(uint32_t address, uint32_t value) {
    uint8_t bytes[4];
    KvBigEndian::Put32(bytes, value);
    return Write(address, bytes);
}
