#pragma once
// Bilinear interpolation of a Bayer mosaic, one output row at a time.
//
// At a green site the two other colours are the means of the two neighbours
// that carry them (left/right and up/down); at a red or blue site green is the
// mean of the four direct neighbours and the opposite colour the mean of the
// four diagonal ones. Means round to nearest, halves up. At the frame's edges
// the missing neighbour is mirrored from the inside (column -1 reads column 1,
// row h reads row h-2), which keeps the mosaic's colours in step, so edge
// pixels are interpolated like every other one.

#include <cstdint>

#include "KvPixelType.h"

namespace KvImgDetail {

template <typename T>
using BayerRowFn = void (*)(const T* above, const T* row, const T* below, uint32_t width, T* out);

template <typename T>
struct BayerKernels {
    BayerRowFn<T> evenRow = nullptr;  // frame rows 0, 2, 4 ...
    BayerRowFn<T> oddRow = nullptr;
    // The same for the first and last pixel of a row only.
    BayerRowFn<T> evenEdges = nullptr;
    BayerRowFn<T> oddEdges = nullptr;
};

// For a pattern flag of KvConversion and an 8-bit colour destination layout
// (RGB, BGR, RGBA, BGRA); empty kernels for anything else.
BayerKernels<uint8_t> SelectBayer8(uint32_t pattern, KvPixelLayout destination);
// 16-bit samples to R, G, B triplets of 16-bit words.
BayerKernels<uint16_t> SelectBayer16(uint32_t pattern);

}  // namespace KvImgDetail
