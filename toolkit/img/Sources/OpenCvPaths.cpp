#include "OpenCvPaths.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "BayerRows.h"
#include "KvConversionFlags.h"
#include "RowFilter.h"

namespace KvImgDetail {
namespace {

using L = KvPixelLayout;

int Channels(L layout) {
    return (layout == L::Rgba8 || layout == L::Bgra8) ? 4 : 3;
}

// OpenCV names a mosaic by its first two pixels of rows 0 and 1, as we do.
int BayerCode(uint32_t pattern, L destination) {
    struct Codes {
        int rgb, bgr, rgba, bgra;
    };
    Codes c{};
    switch (pattern) {
        case KvConversion::BAYER_GRBG:
            c = {cv::COLOR_BayerGRBG2RGB, cv::COLOR_BayerGRBG2BGR, cv::COLOR_BayerGRBG2RGBA,
                 cv::COLOR_BayerGRBG2BGRA};
            break;
        case KvConversion::BAYER_GBRG:
            c = {cv::COLOR_BayerGBRG2RGB, cv::COLOR_BayerGBRG2BGR, cv::COLOR_BayerGBRG2RGBA,
                 cv::COLOR_BayerGBRG2BGRA};
            break;
        case KvConversion::BAYER_RGGB:
            c = {cv::COLOR_BayerRGGB2RGB, cv::COLOR_BayerRGGB2BGR, cv::COLOR_BayerRGGB2RGBA,
                 cv::COLOR_BayerRGGB2BGRA};
            break;
        case KvConversion::BAYER_BGGR:
            c = {cv::COLOR_BayerBGGR2RGB, cv::COLOR_BayerBGGR2BGR, cv::COLOR_BayerBGGR2RGBA,
                 cv::COLOR_BayerBGGR2BGRA};
            break;
        default:
            return -1;
    }
    switch (destination) {
        case L::Rgb8:
            return c.rgb;
        case L::Bgr8:
            return c.bgr;
        case L::Rgba8:
            return c.rgba;
        case L::Bgra8:
            return c.bgra;
        default:
            return -1;
    }
}

int GrayCode(L destination) {
    switch (destination) {
        case L::Rgb8:
        case L::Bgr8:
            return cv::COLOR_GRAY2RGB;
        case L::Rgba8:
        case L::Bgra8:
            return cv::COLOR_GRAY2RGBA;
        default:
            return -1;
    }
}

// Reorders that keep every sample; a four-channel source is left to our
// kernels, which set alpha to 255 where OpenCV would copy it.
int ReorderCode(L source, L destination) {
    struct Pair {
        L from, to;
        int code;
    };
    static constexpr Pair kPairs[] = {
        {L::Rgb8, L::Bgr8, cv::COLOR_RGB2BGR},   {L::Bgr8, L::Rgb8, cv::COLOR_BGR2RGB},
        {L::Rgb8, L::Rgba8, cv::COLOR_RGB2RGBA}, {L::Rgb8, L::Bgra8, cv::COLOR_RGB2BGRA},
        {L::Bgr8, L::Bgra8, cv::COLOR_BGR2BGRA}, {L::Bgr8, L::Rgba8, cv::COLOR_BGR2RGBA},
        {L::Rgba8, L::Rgb8, cv::COLOR_RGBA2RGB}, {L::Rgba8, L::Bgr8, cv::COLOR_RGBA2BGR},
        {L::Bgra8, L::Bgr8, cv::COLOR_BGRA2BGR}, {L::Bgra8, L::Rgb8, cv::COLOR_BGRA2RGB},
    };
    for (const Pair& p : kPairs) {
        if (p.from == source && p.to == destination) {
            return p.code;
        }
    }
    return -1;
}

int CvType(L layout) {
    switch (layout) {
        case L::Mono8:
            return CV_8UC1;
        case L::Rgb8:
        case L::Bgr8:
            return CV_8UC3;
        default:
            return CV_8UC4;
    }
}

bool Convert(const FrameJob& job, L source, L destination, int code) {
    const cv::Mat in(int(job.height), int(job.width), CvType(source),
                     const_cast<uint8_t*>(job.source), job.sourceStride);
    cv::Mat out(int(job.height), int(job.width), CV_8UC(Channels(destination)), job.destination,
                job.destinationStride);
    const uint8_t* before = out.data;
    cv::cvtColor(in, out, code);
    // cvtColor writes in place when the destination has the right shape; a
    // reallocation would mean our frame was not written.
    return out.data == before;
}

// OpenCV copies the nearest inner pixels into the frame's border; ours are
// interpolated with mirrored neighbours, so the border is redone here.
void RedoBayerBorder(const FrameJob& job, L destination) {
    const BayerKernels<uint8_t> k = SelectBayer8(job.flags & KvConversion::BAYER_MASK, destination);
    const uint32_t h = job.height;
    auto row = [&](uint32_t y) { return job.source + size_t(y) * job.sourceStride; };
    auto out = [&](uint32_t y) { return job.destination + size_t(y) * job.destinationStride; };
    k.evenRow(row(1), row(0), row(1), job.width, out(0));
    for (uint32_t y = 1; y + 1 < h; ++y) {
        (y % 2 == 0 ? k.evenEdges : k.oddEdges)(row(y - 1), row(y), row(y + 1), job.width, out(y));
    }
    ((h - 1) % 2 == 0 ? k.evenRow : k.oddRow)(row(h - 2), row(h - 1), row(h - 2), job.width,
                                              out(h - 1));
}

}  // namespace

bool RunWithOpenCv(const ConversionPlan& plan, const FrameJob& job) {
    if (plan.interlaced || plan.wide || job.width < 3 || job.height < 3 ||
        job.width > uint32_t(INT32_MAX) || job.height > uint32_t(INT32_MAX)) {
        return false;
    }
    const L source = plan.source.layout;
    const L destination = plan.destination;
    bool done = false;
    if (plan.kind == ConversionPlan::Kind::Bayer && source == L::Mono8 &&
        Interpolates(plan, job.flags)) {
        const int code = BayerCode(job.flags & KvConversion::BAYER_MASK, destination);
        done = code >= 0 && Convert(job, source, destination, code);
        if (done) {
            RedoBayerBorder(job, destination);
        }
    } else if ((plan.kind == ConversionPlan::Kind::Gray ||
                (plan.kind == ConversionPlan::Kind::Bayer && !Interpolates(plan, job.flags))) &&
               source == L::Mono8) {
        const int code = GrayCode(destination);
        done = code >= 0 && Convert(job, source, destination, code);
    } else if (plan.kind == ConversionPlan::Kind::Rgb) {
        const int code = ReorderCode(source, destination);
        done = code >= 0 && Convert(job, source, destination, code);
    }
    if (done && job.filter != nullptr && RowFilter::Supports(destination)) {
        const RowFilter filter(*job.filter, destination);
        for (uint32_t y = 0; y < job.height; ++y) {
            filter.Apply(job.destination + size_t(y) * job.destinationStride, job.width);
        }
    }
    return done;
}

}  // namespace KvImgDetail
