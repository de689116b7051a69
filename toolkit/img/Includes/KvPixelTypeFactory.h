#pragma once
// The toolkit's pixel types by identifier, and the converters between them.

#include <cstdint>
#include <memory>

#include "KvPixelConverter.h"
#include "KvPixelType.h"
#include "KvResultCodes.h"

class KvPixelTypeFactory {
public:
    static bool HasPixelType(uint64_t id);
    // The invalid type (IsValid() false, every size 0) for an unknown id.
    static KvPixelType GetPixelType(uint64_t id);

    // Destinations every source reaches: RGB 24, BGR 24, RGBA 32, BGR 32 and
    // Grayscale 8. Sources deeper than 8 bits (grayscale, Bayer, RGB) also
    // reach RGB 48, and grayscale or Bayer ones the 16-bit-word types of their
    // own family and depth (unpacking, normalizing). A type reaches itself
    // (copy), and an interlaced type its woven form.
    static bool HasConverter(uint64_t from, uint64_t to);
    // 0 and a converter; 6 when either id is unknown, 26 when the pair has no
    // converter (out is then empty).
    static KvResult CreateConverter(uint64_t from, uint64_t to,
                                    std::unique_ptr<KvPixelConverter>& out);
};
