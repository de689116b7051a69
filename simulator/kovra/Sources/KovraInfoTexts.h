#pragma once
// The camera's texts about itself: manufacturer data, versions, the defective
// pixels map and the help.

#include <string>
#include <string_view>
#include <vector>

#include "KovraCommandTable.h"

namespace KovraInfo {
inline constexpr std::string_view SOFTWARE_VERSION = "SW 3.12.0 BL 1.04 CUST 0000";
inline constexpr std::string_view FIRMWARE_VERSION = "FPGA v2.05 CUST 0000";
inline constexpr int DEFECTIVE_PIXELS = 8;
}  // namespace KovraInfo

std::vector<std::string> KovraManufacturerData(const KovraCommandContext& context);
std::vector<std::string> KovraDefectivePixelsMap(const KovraCommandContext& context);
KovraReply KovraHelp(const KovraCommandContext& context,
                     const std::vector<std::string_view>& words);

// The serial number a camera of this model has when none is given.
std::string KovraDefaultSerialNumber(const KovraModelInfo& model);
