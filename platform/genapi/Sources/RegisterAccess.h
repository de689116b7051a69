#pragma once
// The register half of IntReg, MaskedIntReg, StructEntry, FloatReg,
// StringReg and Register nodes: where the bytes are (Address elements summed,
// pAddress, inline IntSwissKnife, pIndex with Offset), how long they are,
// which port carries them, how they are cached and in which byte order they
// hold numbers.

#include <cstdint>
#include <span>
#include <vector>

#include "NodeBase.h"
#include "ValueCache.h"

namespace GenApi {

class RegisterAccess {
public:
    // Registers longer than this are refused: the length comes from the file.
    static constexpr int64_t kMaxLength = 16 * 1024 * 1024;

    RegisterAccess(NodeBase& owner, const Description& d);
    RegisterAccess(const RegisterAccess&) = delete;
    RegisterAccess& operator=(const RegisterAccess&) = delete;

    int64_t Address();
    int64_t Length();
    EEndianess Endianess() const { return m_eEndianess; }
    ESign Sign() const { return m_eSign; }
    ECachingMode Caching() const { return m_eCachable; }
    // The register's AccessMode narrowed by its port's.
    EAccessMode Access() const;
    void ForceAccess(EAccessMode mode) { m_eAccess = mode; }

    // Whole-register transfers; out / bytes must be Length() long.
    void Read(std::span<uint8_t> out, bool ignoreCache);
    void Write(std::span<const uint8_t> bytes);
    // The register as an unsigned number in its byte order (1 to 8 bytes).
    uint64_t ReadBits(bool ignoreCache);
    void WriteBits(uint64_t bits);
    // Cached bytes when there are any, for a read-modify-write of a register
    // that cannot be read.
    bool CachedBits(uint64_t& bits);

    void Drop();
    void Poll(int64_t elapsedMilliseconds);

private:
    IPort& Port();
    CacheKey Key(int64_t length);
    std::span<uint8_t> Scratch(int64_t length);
    // The register length, refused when it is too long to hold a number.
    size_t NumberLength();

    NodeBase& m_Owner;
    std::vector<int64_t> m_Addresses;
    std::vector<NodeRef> m_pAddresses;  // pAddress elements and inline formulas
    NodeRef m_pIndex;
    ValueOrRef<int64_t> m_Offset;
    ValueOrRef<int64_t> m_Length;
    NodeRef m_pPort;
    EAccessMode m_eAccess = RO;
    ECachingMode m_eCachable = WriteThrough;
    int64_t m_nPollingTime = 0;
    int64_t m_nElapsed = 0;
    EEndianess m_eEndianess = LittleEndian;
    ESign m_eSign = Unsigned;
    CacheKey m_LastKey;
    bool m_bHasKey = false;
};

// Converts between register bytes and an unsigned number.
uint64_t BytesToBits(std::span<const uint8_t> bytes, EEndianess endianess);
void BitsToBytes(uint64_t bits, std::span<uint8_t> bytes, EEndianess endianess);

}  // namespace GenApi
