#include "ConversionPlan.h"

#include <cstring>
#include <vector>

#include "BayerRows.h"
#include "KvConversionFlags.h"
#include "OpenCvPaths.h"
#include "RowFilter.h"

namespace KvImgDetail {
namespace {

using L = KvPixelLayout;

bool IsColour8(L layout) {
    return layout == L::Rgb8 || layout == L::Bgr8 || layout == L::Rgba8 || layout == L::Bgra8;
}

bool IsMonoLayout(L layout) {
    return layout == L::Mono8 || layout == L::Mono16 || layout == L::MonoBitStream ||
           layout == L::MonoPair10 || layout == L::MonoPair12;
}

// Source row of frame row y: an interlaced frame keeps the first field's rows
// first, then the second field's.
struct RowSource {
    const FrameJob& job;
    bool interlaced;

    const uint8_t* operator()(uint32_t y) const {
        uint32_t stored = y;
        if (interlaced) {
            stored = (y % 2 == 0) ? y / 2 : (job.height + 1) / 2 + y / 2;
        }
        return job.source + size_t(stored) * job.sourceStride;
    }
};

// Applies the optional filter to each finished destination row.
struct RowFinish {
    std::optional<RowFilter> filter;

    RowFinish(const FrameJob& job, L destination) {
        if (job.filter != nullptr && RowFilter::Supports(destination)) {
            filter.emplace(*job.filter, destination);
        }
    }
    void operator()(uint8_t* row, uint32_t width) const {
        if (filter) {
            filter->Apply(row, width);
        }
    }
};

uint8_t* DestinationRow(const FrameJob& job, uint32_t y) {
    return job.destination + size_t(y) * job.destinationStride;
}

void RunCopy(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    for (uint32_t y = 0; y < job.height; ++y) {
        uint8_t* out = DestinationRow(job, y);
        std::memcpy(out, rows(y), job.sourceRowSize);
        finish(out, job.width);
    }
}

void RunGray(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    const uint32_t w = job.width;
    if (plan.wide) {
        std::vector<uint16_t> samples(w);
        for (uint32_t y = 0; y < job.height; ++y) {
            uint8_t* out = DestinationRow(job, y);
            DecodeMono16(plan.source, rows(y), w, samples.data());
            WriteGrayTo16(plan.destination, samples.data(), w, plan.source.depth, plan.top, out);
            finish(out, w);
        }
        return;
    }
    std::vector<uint8_t> scratch(w);
    for (uint32_t y = 0; y < job.height; ++y) {
        uint8_t* out = DestinationRow(job, y);
        WriteGrayTo8(plan.destination, DecodeMono8(plan.source, rows(y), w, scratch.data()), w,
                     out);
        finish(out, w);
    }
}

// The three decoded mosaic rows around a frame row, each decoded once.
template <typename T, typename Decode>
class MosaicRows {
public:
    MosaicRows(uint32_t width, uint32_t height, Decode decode)
        : m_nHeight(height), m_Decode(decode) {
        for (auto& slot : m_Slots) {
            slot.samples.resize(width);
        }
    }

    // Rows y-1, y, y+1 with the edges mirrored (height >= 2).
    void Around(uint32_t y, const T*& above, const T*& row, const T*& below) {
        above = Get(y == 0 ? 1 : y - 1);
        row = Get(y);
        below = Get(y + 1 == m_nHeight ? y - 1 : y + 1);
    }

private:
    struct Slot {
        int64_t row = -1;
        const T* data = nullptr;
        std::vector<T> samples;
    };

    const T* Get(uint32_t y) {
        Slot& slot = m_Slots[y % 3];
        if (slot.row != y) {
            slot.data = m_Decode(y, slot.samples.data());
            slot.row = y;
        }
        return slot.data;
    }

    uint32_t m_nHeight;
    Decode m_Decode;
    Slot m_Slots[3];
};

void RunBayer8(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    const BayerKernels<uint8_t> kernels =
        SelectBayer8(job.flags & KvConversion::BAYER_MASK, plan.destination);
    const uint32_t w = job.width;
    auto decode = [&](uint32_t y, uint8_t* scratch) {
        return DecodeMono8(plan.source, rows(y), w, scratch);
    };
    MosaicRows<uint8_t, decltype(decode)> mosaic(w, job.height, decode);
    for (uint32_t y = 0; y < job.height; ++y) {
        const uint8_t *above, *row, *below;
        mosaic.Around(y, above, row, below);
        uint8_t* out = DestinationRow(job, y);
        (y % 2 == 0 ? kernels.evenRow : kernels.oddRow)(above, row, below, w, out);
        finish(out, w);
    }
}

void RunBayer16(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    const BayerKernels<uint16_t> kernels = SelectBayer16(job.flags & KvConversion::BAYER_MASK);
    const uint32_t w = job.width;
    // Samples reach the destination's full range before they are interpolated.
    const uint32_t shift = 16 - plan.source.depth;
    auto decode = [&](uint32_t y, uint16_t* samples) -> const uint16_t* {
        DecodeMono16(plan.source, rows(y), w, samples);
        for (uint32_t x = 0; x < w; ++x) {
            samples[x] = uint16_t(samples[x] << shift);
        }
        return samples;
    };
    MosaicRows<uint16_t, decltype(decode)> mosaic(w, job.height, decode);
    std::vector<uint16_t> rgb(size_t(w) * 3);
    for (uint32_t y = 0; y < job.height; ++y) {
        const uint16_t *above, *row, *below;
        mosaic.Around(y, above, row, below);
        (y % 2 == 0 ? kernels.evenRow : kernels.oddRow)(above, row, below, w, rgb.data());
        uint8_t* out = DestinationRow(job, y);
        std::memcpy(out, rgb.data(), rgb.size() * 2);
        finish(out, w);
    }
}

void RunRgb(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    const uint32_t w = job.width;
    if (plan.wide) {
        std::vector<uint16_t> samples(size_t(w) * 3);
        for (uint32_t y = 0; y < job.height; ++y) {
            uint8_t* out = DestinationRow(job, y);
            DecodeRgb16(plan.source, rows(y), w, samples.data());
            WriteRgbTo16(samples.data(), w, plan.source.depth, out);
            finish(out, w);
        }
        return;
    }
    std::vector<uint8_t> scratch(size_t(w) * 3);
    for (uint32_t y = 0; y < job.height; ++y) {
        uint8_t* out = DestinationRow(job, y);
        if (plan.source.layout == plan.destination) {
            std::memcpy(out, rows(y), job.sourceRowSize);
        } else {
            WriteRgbTo8(plan.destination, DecodeRgb8(plan.source, rows(y), w, scratch.data()), w,
                        out);
        }
        finish(out, w);
    }
}

void RunYuv(const ConversionPlan& plan, const FrameJob& job) {
    const RowSource rows{job, plan.interlaced};
    const RowFinish finish(job, plan.destination);
    const uint32_t w = job.width;
    std::vector<uint8_t> rgb(size_t(w) * 3);
    for (uint32_t y = 0; y < job.height; ++y) {
        uint8_t* out = DestinationRow(job, y);
        if (plan.destination == L::Mono8) {
            DecodeYuvLuma8(plan.source, rows(y), w, out);
        } else if (plan.destination == L::Rgb8) {
            DecodeYuvRgb8(plan.source, rows(y), w, out);
        } else {
            DecodeYuvRgb8(plan.source, rows(y), w, rgb.data());
            WriteRgbTo8(plan.destination, rgb.data(), w, out);
        }
        finish(out, w);
    }
}

}  // namespace

bool Interpolates(const ConversionPlan& plan, uint32_t flags) {
    return plan.kind == ConversionPlan::Kind::Bayer && (flags & KvConversion::INTERPOLATE) &&
           plan.destination != L::Mono8 && plan.destination != L::Mono16;
}

std::optional<ConversionPlan> MakePlan(const KvPixelType& s, const KvPixelType& d) {
    if (!s.IsValid() || !d.IsValid()) {
        return std::nullopt;
    }
    ConversionPlan plan{};
    plan.source = {s.GetLayout(), s.GetBitDepth(), s.IsNormalized()};
    plan.destination = d.GetLayout();
    if (s.GetID() == d.GetID()) {
        plan.kind = ConversionPlan::Kind::Copy;  // an interlaced frame stays as it is
        return plan;
    }
    if (d.IsInterlaced()) {
        return std::nullopt;
    }
    plan.interlaced = s.IsInterlaced();

    const uint64_t sourceID = s.GetID() & ~KvPixelID::INTERLACED;
    if (sourceID == d.GetID()) {
        plan.kind = ConversionPlan::Kind::Copy;
        return plan;
    }

    using K = ConversionPlan::Kind;
    const K kind = s.IsYUV() ? K::Yuv : s.IsBayer() ? K::Bayer : s.IsColor() ? K::Rgb : K::Gray;
    plan.kind = kind;

    const bool gray8 = d.GetID() == KvPixelID::GRAY8;
    if (gray8 || IsColour8(d.GetLayout())) {
        return plan;
    }
    if (d.GetID() == KvPixelID::RGB48) {
        if (kind == K::Yuv || s.GetBitDepth() <= 8) {
            return std::nullopt;
        }
        plan.wide = true;
        plan.top = true;
        return plan;
    }
    // Unpacking and normalizing within a family and depth.
    const bool sameFamily = (s.IsBayer() && d.IsBayer()) || (!s.IsColor() && !d.IsColor());
    if (d.GetLayout() == L::Mono16 && sameFamily && IsMonoLayout(s.GetLayout()) &&
        s.GetBitDepth() == d.GetBitDepth() && s.GetBitDepth() > 8) {
        plan.kind = K::Gray;  // a mosaic is repacked sample by sample
        plan.wide = true;
        plan.top = d.IsNormalized();
        return plan;
    }
    return std::nullopt;
}

void RunPlan(const ConversionPlan& plan, const FrameJob& job) {
    if (RunWithOpenCv(plan, job)) {
        return;
    }
    switch (plan.kind) {
        case ConversionPlan::Kind::Copy:
            RunCopy(plan, job);
            break;
        case ConversionPlan::Kind::Gray:
            RunGray(plan, job);
            break;
        case ConversionPlan::Kind::Bayer:
            if (!Interpolates(plan, job.flags)) {
                RunGray(plan, job);
            } else if (plan.wide) {
                RunBayer16(plan, job);
            } else {
                RunBayer8(plan, job);
            }
            break;
        case ConversionPlan::Kind::Rgb:
            RunRgb(plan, job);
            break;
        case ConversionPlan::Kind::Yuv:
            RunYuv(plan, job);
            break;
    }
}

}  // namespace KvImgDetail
