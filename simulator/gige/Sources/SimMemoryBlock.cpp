#include "SimMemoryBlock.h"

#include <algorithm>

#include "KvByteOrder.h"
#include "KvGvcp.h"

uint16_t SimMemoryBlock::Read(uint32_t offset, std::span<uint8_t> out) {
    std::copy_n(m_Bytes.begin() + offset, out.size(), out.begin());
    return Gvcp::Status::SUCCESS;
}

uint16_t SimMemoryBlock::Write(uint32_t offset, std::span<const uint8_t> data) {
    if (!IsWritable(offset, data.size())) {
        return Gvcp::Status::WRITE_PROTECT;
    }
    std::copy(data.begin(), data.end(), m_Bytes.begin() + offset);
    return Gvcp::Status::SUCCESS;
}

bool SimMemoryBlock::IsWritable(uint32_t offset, size_t length) const {
    // Every byte must fall in some writable range; ranges are few, so a walk is fine.
    size_t position = offset;
    const size_t end = offset + length;
    while (position < end) {
        auto range = std::find_if(m_Writable.begin(), m_Writable.end(), [&](const auto& r) {
            return position >= r.first && position < size_t{r.first} + r.second;
        });
        if (range == m_Writable.end()) {
            return false;
        }
        position = size_t{range->first} + range->second;
    }
    return true;
}

void SimMemoryBlock::MarkWritable(uint32_t address, uint32_t length) {
    m_Writable.emplace_back(address - m_nBase, length);
}

void SimMemoryBlock::Put32(uint32_t address, uint32_t value) {
    uint8_t bytes[4];
    KvBigEndian::Put32(bytes, value);
    PutBytes(address, bytes);
}

uint32_t SimMemoryBlock::Get32(uint32_t address) const {
    const auto bytes = View(address, 4);
    return bytes.size() == 4 ? KvBigEndian::Get32(bytes.data()) : 0;
}

void SimMemoryBlock::PutText(uint32_t address, uint32_t fieldSize, std::string_view text) {
    std::vector<uint8_t> field(fieldSize, 0);
    // Keep the last byte zero so that every field stays terminated.
    const size_t length = std::min<size_t>(text.size(), fieldSize ? fieldSize - 1 : 0);
    std::copy_n(text.begin(), length, field.begin());
    PutBytes(address, field);
}

void SimMemoryBlock::PutBytes(uint32_t address, std::span<const uint8_t> bytes) {
    if (address < m_nBase || address - m_nBase >= m_Bytes.size()) {
        return;
    }
    const size_t offset = address - m_nBase;
    const size_t length = std::min(bytes.size(), m_Bytes.size() - offset);
    std::copy_n(bytes.begin(), length, m_Bytes.begin() + offset);
}

std::span<const uint8_t> SimMemoryBlock::View(uint32_t address, uint32_t length) const {
    if (address < m_nBase || address - m_nBase >= m_Bytes.size()) {
        return {};
    }
    const size_t offset = address - m_nBase;
    return std::span(m_Bytes).subspan(offset, std::min<size_t>(length, m_Bytes.size() - offset));
}
