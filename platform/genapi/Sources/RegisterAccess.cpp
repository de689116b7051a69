#include "RegisterAccess.h"

#include <array>

#include "NodeMap.h"

namespace GenApi {

uint64_t BytesToBits(std::span<const uint8_t> bytes, EEndianess endianess) {
    uint64_t bits = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = endianess == BigEndian ? bytes[i] : bytes[n - 1 - i];
        bits = (bits << 8) | b;
    }
    return bits;
}

void BitsToBytes(uint64_t bits, std::span<uint8_t> bytes, EEndianess endianess) {
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = static_cast<uint8_t>(bits >> (8 * i));
        bytes[endianess == BigEndian ? n - 1 - i : i] = b;
    }
}

RegisterAccess::RegisterAccess(NodeBase& owner, const Description& d) : m_Owner(owner) {
    NodeMap& map = owner.Map();
    for (const Property* p : d.FindAll("Address")) {
        if (auto a = ParseInteger(p->value)) {
            m_Addresses.push_back(*a);
        } else {
            map.AddLoadWarning(d.name + ": Address is not an integer: " + p->value);
        }
    }
    for (const Property* p : d.FindAll("pAddress")) {
        m_pAddresses.push_back(NodeRef{p->value});
    }
    for (const Description& child : d.children) {
        if (child.type == "IntSwissKnife") {
            m_pAddresses.push_back(NodeRef{map.CreateHiddenNode(child)->Name()});
        }
    }
    for (NodeRef& r : m_pAddresses) {
        owner.AddRef(r);
    }
    if (const Property* p = d.Find("pIndex")) {
        m_pIndex.name = p->value;
        owner.AddRef(m_pIndex);
        if (const std::string* offset = p->Attribute("Offset")) {
            m_Offset.literal = ParseInteger(*offset);
        }
        if (const std::string* pOffset = p->Attribute("pOffset")) {
            m_Offset.ref.name = *pOffset;
            owner.AddRef(m_Offset.ref);
        }
    }
    if (const Property* p = d.Find("Length")) {
        m_Length.literal = ParseInteger(p->value);
    }
    if (const Property* p = d.Find("pLength")) {
        m_Length.ref.name = p->value;
        owner.AddRef(m_Length.ref);
    }
    if (const Property* p = d.Find("pPort")) {
        m_pPort.name = p->value;
        owner.AddRef(m_pPort);
    }
    if (const Property* p = d.Find("AccessMode")) {
        m_eAccess = p->value == "RW" ? RW : p->value == "WO" ? WO : RO;
    }
    if (const Property* p = d.Find("Cachable")) {
        m_eCachable = p->value == "NoCache"       ? NoCache
                      : p->value == "WriteAround" ? WriteAround
                                                  : WriteThrough;
    }
    if (const Property* p = d.Find("PollingTime")) {
        m_nPollingTime = ParseInteger(p->value).value_or(0);
        if (m_nPollingTime > 0) {
            map.RegisterPolled(*this);
        }
    }
    if (const Property* p = d.Find("Endianess")) {
        m_eEndianess = p->value == "BigEndian" ? BigEndian : LittleEndian;
    }
    if (const Property* p = d.Find("Sign")) {
        m_eSign = p->value == "Signed" ? Signed : Unsigned;
    }
    map.AddRegister(owner, *this);
}

int64_t RegisterAccess::Address() {
    uint64_t address = 0;  // sums wrap instead of overflowing
    for (int64_t a : m_Addresses) {
        address += static_cast<uint64_t>(a);
    }
    for (NodeRef& r : m_pAddresses) {
        address += static_cast<uint64_t>(r.Get(m_Owner).ReadInt());
    }
    if (m_pIndex.IsSet()) {
        const int64_t index = m_pIndex.Get(m_Owner).ReadInt();
        const int64_t offset = m_Offset.IsSet() ? m_Owner.Evaluate(m_Offset, 0) : Length();
        address += static_cast<uint64_t>(index) * static_cast<uint64_t>(offset);
    }
    return static_cast<int64_t>(address);
}

int64_t RegisterAccess::Length() {
    const int64_t length = m_Owner.Evaluate(m_Length, 0);
    if (length <= 0 || length > kMaxLength) {
        GENICAM_RAISE(PropertyException, "Register '%.100s' has the invalid length %lld",
                      m_Owner.Name().c_str(), static_cast<long long>(length));
    }
    return length;
}

EAccessMode RegisterAccess::Access() const {
    if (!m_pPort.node) {
        return NA;
    }
    return CombineAccess(m_eAccess, m_pPort.node->GetAccessMode());
}

IPort& RegisterAccess::Port() {
    if (!m_pPort.IsSet()) {
        GENICAM_RAISE(PropertyException, "Register '%.100s' has no pPort", m_Owner.Name().c_str());
    }
    auto* port = dynamic_cast<IPort*>(&m_pPort.Get(m_Owner));
    if (!port) {
        GENICAM_RAISE(PropertyException, "Register '%.100s': pPort '%.100s' is not a port",
                      m_Owner.Name().c_str(), m_pPort.name.c_str());
    }
    return *port;
}

CacheKey RegisterAccess::Key(int64_t length) {
    m_LastKey = CacheKey{m_pPort.node, Address(), length};
    m_bHasKey = true;
    return m_LastKey;
}

void RegisterAccess::Read(std::span<uint8_t> out, bool ignoreCache) {
    const CacheKey key = Key(static_cast<int64_t>(out.size()));
    ValueCache& cache = m_Owner.Map().Cache();
    if (!ignoreCache && m_eCachable != NoCache && cache.Find(key, out)) {
        return;
    }
    Port().Read(out.data(), key.address, key.length);
    if (m_eCachable != NoCache) {
        cache.Store(key, out);
    }
}

void RegisterAccess::Write(std::span<const uint8_t> bytes) {
    const CacheKey key = Key(static_cast<int64_t>(bytes.size()));
    ValueCache& cache = m_Owner.Map().Cache();
    // Drop first: a failed write must not leave the old bytes looking current.
    cache.DropOverlapping(key);
    Port().Write(bytes.data(), key.address, key.length);
    if (m_eCachable == WriteThrough) {
        cache.Store(key, bytes);
    }
    m_nElapsed = 0;
    m_Owner.NotifyChanged();
}

size_t RegisterAccess::NumberLength() {
    const int64_t length = Length();
    if (length > 8) {
        GENICAM_RAISE(PropertyException,
                      "Register '%.100s' is %lld bytes long, more than a number holds",
                      m_Owner.Name().c_str(), static_cast<long long>(length));
    }
    return static_cast<size_t>(length);
}

uint64_t RegisterAccess::ReadBits(bool ignoreCache) {
    const size_t length = NumberLength();
    std::array<uint8_t, 8> bytes{};
    std::span<uint8_t> view(bytes.data(), length);
    Read(view, ignoreCache);
    return BytesToBits(view, m_eEndianess);
}

void RegisterAccess::WriteBits(uint64_t bits) {
    const size_t length = NumberLength();
    std::array<uint8_t, 8> bytes{};
    std::span<uint8_t> view(bytes.data(), length);
    BitsToBytes(bits, view, m_eEndianess);
    Write(view);
}

bool RegisterAccess::CachedBits(uint64_t& bits) {
    const int64_t length = Length();
    if (length > 8) {
        return false;
    }
    std::array<uint8_t, 8> bytes{};
    std::span<uint8_t> view(bytes.data(), length);
    if (!m_Owner.Map().Cache().Find(Key(length), view)) {
        return false;
    }
    bits = BytesToBits(view, m_eEndianess);
    return true;
}

void RegisterAccess::Drop() {
    if (m_bHasKey) {
        m_Owner.Map().Cache().DropOverlapping(m_LastKey);
    }
}

void RegisterAccess::Poll(int64_t elapsedMilliseconds) {
    m_nElapsed += elapsedMilliseconds;
    if (m_nPollingTime > 0 && m_nElapsed >= m_nPollingTime) {
        m_nElapsed = 0;
        Drop();
    }
}

}  // namespace GenApi
