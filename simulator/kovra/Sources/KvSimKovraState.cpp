#include "KvSimKovraState.h"

#include <algorithm>
#include <cmath>

KovraSettings KovraFactorySettings(const KovraModelInfo& model) {
    KovraSettings settings;
    settings.m_nWindowLeft = 1;
    settings.m_nWindowRight = model.m_nWidth;
    settings.m_nWindowTop = 1;
    settings.m_nWindowBottom = model.m_nHeight;
    settings.m_nShutterTime = static_cast<int64_t>(model.m_ShutterTime.m_dMin);
    settings.m_nStrobePosition = static_cast<int64_t>(model.m_ShutterTime.m_dMin);
    settings.m_nLongIntegrationTime = static_cast<int64_t>(model.m_LongIntegrationTime.m_dMin);
    settings.m_nPreExposureStandard = static_cast<int64_t>(model.m_PreExposureStandard.m_dMin);
    settings.m_nPreExposureDouble = model.m_bIsSonySensor ? 1 : 10;
    settings.m_dGain = {model.m_Gain.m_dMin, model.m_Gain.m_dMin};
    // Two-tap models leave the factory reading out in both taps.
    settings.m_bDualTap = model.m_nMaxTaps > 1;
    return settings;
}

KovraImageGeometry KovraGeometry(const KovraModelInfo& model, const KovraSettings& s) {
    KovraImageGeometry g;
    switch (s.m_eHorizontalMode) {
        case KovraHorizontalMode::Normal:
            g.m_nWidth = model.m_nWidth;
            break;
        case KovraHorizontalMode::Window:
            g.m_nOffsetX = static_cast<int>(s.m_nWindowLeft - 1);
            g.m_nWidth = static_cast<int>(s.m_nWindowRight - s.m_nWindowLeft + 1);
            break;
        case KovraHorizontalMode::Binning:
            g.m_nWidth = model.m_nWidth / 2;
            g.m_nBinningX = 2;
            break;
        case KovraHorizontalMode::Center:
            g.m_nWidth = std::min(KovraFamily::CENTER_WIDTH, model.m_nWidth);
            g.m_nOffsetX = (model.m_nWidth - g.m_nWidth) / 2;
            break;
    }
    switch (s.m_eVerticalMode) {
        case KovraVerticalMode::Normal:
            g.m_nHeight = model.m_nHeight;
            break;
        case KovraVerticalMode::Window:
            g.m_nOffsetY = static_cast<int>(s.m_nWindowTop - 1);
            g.m_nHeight = static_cast<int>(s.m_nWindowBottom - s.m_nWindowTop + 1);
            break;
        case KovraVerticalMode::Binning:
            g.m_nHeight = model.m_nHeight / 2;
            g.m_nBinningY = 2;
            break;
    }
    return g;
}

namespace {

// The fastest the sensor reads out with these settings: fewer lines read
// faster, one tap on a two-tap sensor takes twice as long.
double FreeRunRate(const KovraModelInfo& model, const KovraSettings& s) {
    const KovraImageGeometry g = KovraGeometry(model, s);
    double rate = model.m_dFullFrameRate * model.m_nHeight / std::max(g.m_nHeight, 1);
    if (model.m_nMaxTaps > 1 && !s.m_bDualTap) {
        rate /= 2;
    }
    return std::min(rate, KovraFamily::FRAME_RATE.m_dMax);
}

}  // namespace

double KovraCameraSpeed(const KovraModelInfo& model, const KovraSettings& s) {
    if (s.m_eTriggerSource != KovraTriggerSource::Off) {
        return 0;
    }
    const double fastest = FreeRunRate(model, s);
    if (s.m_bFrameRateControl && s.m_nFrameTime > 0) {
        return std::min(fastest, 1e6 / static_cast<double>(s.m_nFrameTime));
    }
    return fastest;
}

int64_t KovraCameraExposure(const KovraModelInfo& model, const KovraSettings& s) {
    if (s.m_bShutterOn) {
        return s.m_nShutterTime;
    }
    if (s.m_bLongIntegrationOn) {
        return s.m_nLongIntegrationTime * 1000;
    }
    double rate = KovraCameraSpeed(model, s);
    if (rate <= 0) {
        rate = FreeRunRate(model, s);
    }
    return static_cast<int64_t>(std::llround(1e6 / rate));
}
