#pragma once
// One block of a simulated device's address space: bootstrap registers, camera
// features, GenICam file memory, and later the serial ports and I/O blocks. A
// block answers with a GVCP status so the device can pass it on unchanged.

#include <cstdint>
#include <span>

class SimRegisterBlock {
public:
    virtual ~SimRegisterBlock() = default;

    virtual uint32_t Base() const = 0;
    virtual uint32_t Size() const = 0;

    // offset is relative to Base(); the address space has checked that
    // [offset, offset + size) lies inside the block and is 4-byte aligned.
    virtual uint16_t Read(uint32_t offset, std::span<uint8_t> out) = 0;
    virtual uint16_t Write(uint32_t offset, std::span<const uint8_t> data) = 0;
};
