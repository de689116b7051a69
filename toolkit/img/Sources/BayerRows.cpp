#include "BayerRows.h"

#include <limits>

#include "KvConversionFlags.h"

namespace KvImgDetail {
namespace {

// N channels a pixel, red at RI, blue at BI, green at 1, alpha (N == 4) at 3.
// RedRow: the row's non-green sites are red. GreenFirst: column 0 is green.
template <typename T, int N, int RI, int BI, bool RedRow, bool GreenFirst>
struct BayerRow {
    static void Put(T* o, uint32_t r, uint32_t g, uint32_t b) {
        o[RI] = T(r);
        o[1] = T(g);
        o[BI] = T(b);
        if constexpr (N == 4) {
            o[3] = std::numeric_limits<T>::max();
        }
    }

    template <bool Green>
    static void Site(const T* a, const T* c, const T* b, uint32_t x, uint32_t xl, uint32_t xr,
                     T* o) {
        if constexpr (Green) {
            const uint32_t across = (uint32_t(c[xl]) + c[xr] + 1) >> 1;
            const uint32_t upDown = (uint32_t(a[x]) + b[x] + 1) >> 1;
            if constexpr (RedRow) {
                Put(o, across, c[x], upDown);
            } else {
                Put(o, upDown, c[x], across);
            }
        } else {
            const uint32_t green = (uint32_t(a[x]) + b[x] + c[xl] + c[xr] + 2) >> 2;
            const uint32_t diagonal = (uint32_t(a[xl]) + a[xr] + b[xl] + b[xr] + 2) >> 2;
            if constexpr (RedRow) {
                Put(o, c[x], green, diagonal);
            } else {
                Put(o, diagonal, green, c[x]);
            }
        }
    }

    static void Edges(const T* a, const T* c, const T* b, uint32_t width, T* out) {
        Site<GreenFirst>(a, c, b, 0, 1, 1, out);
        const uint32_t last = width - 1;
        if ((last % 2 == 0) == GreenFirst) {
            Site<true>(a, c, b, last, last - 1, last - 1, out + N * last);
        } else {
            Site<false>(a, c, b, last, last - 1, last - 1, out + N * last);
        }
    }

    // width >= 2: the caller refuses narrower frames.
    static void Run(const T* a, const T* c, const T* b, uint32_t width, T* out) {
        const uint32_t last = width - 1;
        uint32_t x = 1;
        for (; x + 1 < last; x += 2) {
            Site<!GreenFirst>(a, c, b, x, x - 1, x + 1, out + N * x);
            Site<GreenFirst>(a, c, b, x + 1, x, x + 2, out + N * (x + 1));
        }
        if (x < last) {
            Site<!GreenFirst>(a, c, b, x, x - 1, x + 1, out + N * x);
        }
        Edges(a, c, b, width, out);
    }
};

template <typename T, int N, int RI, int BI>
BayerKernels<T> ForPattern(uint32_t pattern) {
    using RedGreenFirst = BayerRow<T, N, RI, BI, true, true>;
    using RedColourFirst = BayerRow<T, N, RI, BI, true, false>;
    using BlueGreenFirst = BayerRow<T, N, RI, BI, false, true>;
    using BlueColourFirst = BayerRow<T, N, RI, BI, false, false>;
    switch (pattern) {
        case KvConversion::BAYER_GRBG:
            return {RedGreenFirst::Run, BlueColourFirst::Run, RedGreenFirst::Edges,
                    BlueColourFirst::Edges};
        case KvConversion::BAYER_GBRG:
            return {BlueGreenFirst::Run, RedColourFirst::Run, BlueGreenFirst::Edges,
                    RedColourFirst::Edges};
        case KvConversion::BAYER_RGGB:
            return {RedColourFirst::Run, BlueGreenFirst::Run, RedColourFirst::Edges,
                    BlueGreenFirst::Edges};
        case KvConversion::BAYER_BGGR:
            return {BlueColourFirst::Run, RedGreenFirst::Run, BlueColourFirst::Edges,
                    RedGreenFirst::Edges};
        default:
            return {};
    }
}

}  // namespace

BayerKernels<uint8_t> SelectBayer8(uint32_t pattern, KvPixelLayout destination) {
    switch (destination) {
        case KvPixelLayout::Rgb8:
            return ForPattern<uint8_t, 3, 0, 2>(pattern);
        case KvPixelLayout::Bgr8:
            return ForPattern<uint8_t, 3, 2, 0>(pattern);
        case KvPixelLayout::Rgba8:
            return ForPattern<uint8_t, 4, 0, 2>(pattern);
        case KvPixelLayout::Bgra8:
            return ForPattern<uint8_t, 4, 2, 0>(pattern);
        default:
            return {};
    }
}

BayerKernels<uint16_t> SelectBayer16(uint32_t pattern) {
    return ForPattern<uint16_t, 3, 0, 2>(pattern);
}

}  // namespace KvImgDetail
