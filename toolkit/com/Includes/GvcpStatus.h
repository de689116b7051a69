#pragma once
// What a device's refusal means to the toolkit: a result code and a text.

#include <cstdint>

#include "KvResultCodes.h"

struct GvcpRefusal {
    KvResult m_nCode;
    const char* m_szText;
};

GvcpRefusal GvcpMapStatus(uint16_t status);
