#include "KvSimKovraModels.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr KovraRange FAMILY_PRE_STANDARD{10, 655320};
constexpr KovraRange SONY_PRE_STANDARD{10, 655350};
constexpr KovraRange PRE_DOUBLE{1, 65535};

// clang-format off
constexpr std::array<KovraModelInfo, 10> MODELS{{
    // name     desig  width height taps shutter         long int.      pre-exposure std    pre dbl     gain        sony   flat   excl.  ftime  fps
    {"VKR-T1", "T1",  4000, 2672, 2, {140, 500000}, {420, 10000}, FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 36}, false, true,  false, true,  5},
    {"VKR-S1", "S1",  1384, 1032, 1, {100, 500000}, {70, 10000},  SONY_PRE_STANDARD,   PRE_DOUBLE, {6, 30}, true,  true,  true,  false, 30},
    {"VKR-T2", "T2",  4872, 3248, 2, {620, 655350}, {680, 10000}, FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 36}, false, true,  false, true,  3},
    {"VKR-R1", "R1",  1000, 1000, 2, {100, 500000}, {30, 10000},  FAMILY_PRE_STANDARD, PRE_DOUBLE, {0, 36}, false, false, true,  false, 48},
    {"VKR-R4", "R4",  1624, 1220, 1, {100, 500000}, {70, 10000},  SONY_PRE_STANDARD,   PRE_DOUBLE, {6, 30}, true,  true,  true,  false, 25},
    {"VKR-R2", "R2",  1600, 1200, 2, {50, 500000},  {70, 10000},  FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 30}, false, true,  true,  true,  35},
    {"VKR-R3", "R3",  1920, 1080, 2, {50, 500000},  {70, 10000},  FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 30}, false, true,  true,  true,  32},
    {"VKR-S2", "S2",  2048, 2048, 2, {70, 500000},  {120, 10000}, FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 30}, false, true,  true,  true,  17},
    {"VKR-Q1", "Q1",  640,  480,  1, {50, 500000},  {10, 10000},  FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 30}, false, false, true,  false, 120},
    {"VKR-Q2", "Q2",  640,  480,  2, {50, 500000},  {10, 10000},  FAMILY_PRE_STANDARD, PRE_DOUBLE, {6, 30}, false, false, true,  false, 210},
}};
// clang-format on

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::span<const KovraModelInfo> KovraModels() {
    return MODELS;
}

const KovraModelInfo* FindKovraModel(std::string_view name) {
    for (const KovraModelInfo& model : MODELS) {
        if (EqualNoCase(model.m_sName, name)) {
            return &model;
        }
    }
    return nullptr;
}

std::string KovraAnsweredName(const KovraModelInfo& model, bool bColor) {
    // "-GE" names the camera's Gigabit Ethernet build, "-1" the housing and the
    // last letter the sensor: C colour, M monochrome.
    std::string name(model.m_sName);
    name += "-GE-1";
    name += bColor ? 'C' : 'M';
    return name;
}
