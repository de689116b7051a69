#pragma once
// One grab buffer over memory the caller owns, with its completion event and
// image information, for grabs outside a buffer queue.

#include <cstddef>
#include <cstdint>

#include "KvEvent.h"
#include "KvImageInfo.h"
#include "KvObject.h"

class KvUserBuffer : public KvObject {
public:
    // The memory must outlive the buffer; index is the caller's own number.
    KvUserBuffer(void* data, size_t size, uint32_t index = 0)
        : m_pData(data), m_nSize(size), m_nIndex(index) {}

    void* GetData() const { return m_pData; }
    size_t GetSize() const { return m_nSize; }
    uint32_t GetIndex() const { return m_nIndex; }
    KvResultEvent& GetResultEvent() { return m_evResult; }
    KvImageInfo& GetImageInfo() { return m_Info; }
    const KvImageInfo& GetImageInfo() const { return m_Info; }

    // Ready for the next grab: event unsignalled, information cleared.
    void Reset() {
        m_evResult.Reset();
        m_Info.Reset();
    }

private:
    void* m_pData;
    size_t m_nSize;
    uint32_t m_nIndex;
    KvResultEvent m_evResult{true, false};
    KvImageInfo m_Info;
};
