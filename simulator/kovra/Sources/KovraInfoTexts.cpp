#include "KovraInfoTexts.h"

#include <cstdint>

std::string KovraDefaultSerialNumber(const KovraModelInfo& model) {
    return "VK" + std::string(model.m_sDesignation) + "0" + std::to_string(1000 + model.m_nWidth);
}

std::vector<std::string> KovraManufacturerData(const KovraCommandContext& c) {
    return {
        "Varkel Inc",
        "Model #: " + KovraAnsweredName(c.m_Model, c.m_bColor),
        "ASSY 402-" + std::string(c.m_Model.m_sDesignation) + "-01 Rev: A01",
        "Assembly Serial #: " + std::string(c.m_sSerialNumber),
        "Date of Manufacture: 2024-11-05",
    };
}

std::vector<std::string> KovraDefectivePixelsMap(const KovraCommandContext& c) {
    // The factory's measurement, the same on every power-up: a fixed sequence
    // seeded by the serial number spreads the pixels over the sensor.
    uint32_t seed = 2166136261u;
    for (char ch : c.m_sSerialNumber) {
        seed = (seed ^ static_cast<unsigned char>(ch)) * 16777619u;
    }
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    std::vector<std::string> lines{"Defective Pixels Map"};
    for (int i = 1; i <= KovraInfo::DEFECTIVE_PIXELS; ++i) {
        const uint32_t column = next() % uint32_t(c.m_Model.m_nWidth) + 1;
        const uint32_t row = next() % uint32_t(c.m_Model.m_nHeight) + 1;
        lines.push_back(std::to_string(i) + ": X=" + std::to_string(column) +
                        "\tY=" + std::to_string(row));
    }
    return lines;
}

KovraReply KovraHelp(const KovraCommandContext& c, const std::vector<std::string_view>& words) {
    KovraReply reply;
    if (words.size() > 1) {
        return KovraErrorReply(KovraErrorText::INVALID);
    }
    for (const KovraCommand& command : KovraCommands()) {
        if (!KovraSupports(command.m_fnSupported, c.m_Model)) {
            continue;
        }
        if (words.empty() || words[0] == command.m_sMnemonic) {
            reply.m_Lines.emplace_back(command.m_sSyntax);
        }
    }
    if (words.empty()) {
        reply.m_Lines.emplace_back("gKEY: the value of one line of gws (for example gst, gao 1)");
        reply.m_Lines.emplace_back("gtr_e: the external trigger edge; gem: the echo mode");
    } else if (reply.m_Lines.empty()) {
        return KovraErrorReply(KovraErrorText::UNKNOWN);
    }
    return reply;
}
