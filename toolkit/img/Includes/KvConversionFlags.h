#pragma once
// Conversion flags handed to every converter and display: which corner of the
// Bayer mosaic the frame starts with, and whether the mosaic is interpolated.

#include <cstdint>

namespace KvConversion {
// The colours of the frame's first two pixels of rows 0 and 1.
inline constexpr uint32_t BAYER_GRBG = 0x10;
inline constexpr uint32_t BAYER_GBRG = 0x20;
inline constexpr uint32_t BAYER_RGGB = 0x40;
inline constexpr uint32_t BAYER_BGGR = 0x80;
inline constexpr uint32_t BAYER_MASK = 0xF0;
// Interpolate a Bayer mosaic into colour; without it every raw sample is shown
// as a grey pixel, so the mosaic itself can be inspected.
inline constexpr uint32_t INTERPOLATE = 0x100;
// Synchronise the display with the monitor; converters ignore it.
inline constexpr uint32_t DISPLAY_VSYNC = 0x200;
}  // namespace KvConversion
