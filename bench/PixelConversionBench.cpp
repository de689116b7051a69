// Pixel conversion throughput: the same frames through our converters,
// through OpenCV's cvtColor and through memcpy of the destination's bytes,
// each reported as destination bytes per second so the ratios can be read
// side by side. Before the timings it prints whether OpenCV's result equals
// ours, over the whole frame and without its one-pixel border.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <random>
#include <string>
#include <vector>

#include "KvConversionFlags.h"
#include "KvPixelTypeFactory.h"

namespace {

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1200;

using OpenCvConvert = std::function<void(const cv::Mat& source, cv::Mat& destination)>;

struct Case {
    const char* name;
    uint64_t from;
    uint64_t to;
    uint32_t flags;
    int sourceCvType;      // how OpenCV sees the source frame, -1 when it has no equivalent
    OpenCvConvert opencv;  // empty when OpenCV has no equivalent
};

OpenCvConvert Cvt(int code) {
    return [code](const cv::Mat& s, cv::Mat& d) { cv::cvtColor(s, d, code); };
}

OpenCvConvert Scale(double factor) {
    return [factor](const cv::Mat& s, cv::Mat& d) { s.convertTo(d, CV_8U, factor); };
}

const uint32_t kRggb = KvConversion::BAYER_RGGB | KvConversion::INTERPOLATE;

const Case kCases[] = {
    {"Bayer8_RGGB_to_RGB24", 0x20010, 0x20002, kRggb, CV_8UC1, Cvt(cv::COLOR_BayerRGGB2RGB)},
    {"Bayer8_RGGB_to_BGR32", 0x20010, 0x20007, kRggb, CV_8UC1, Cvt(cv::COLOR_BayerRGGB2BGRA)},
    {"Bayer12Packed_to_RGB24", 0x420012, 0x20002, kRggb, -1, {}},
    {"Bayer12_to_RGB48", 0x20012, 0x120004, kRggb, -1, {}},
    {"Gray8_to_RGB24", 0x10001, 0x20002, 0, CV_8UC1, Cvt(cv::COLOR_GRAY2RGB)},
    {"Gray8_to_BGR32", 0x10001, 0x20007, 0, CV_8UC1, Cvt(cv::COLOR_GRAY2BGRA)},
    {"Gray12_to_Gray8", 0x10003, 0x10001, 0, CV_16UC1, Scale(1.0 / 16)},
    {"Gray16_to_Gray8", 0x10005, 0x10001, 0, CV_16UC1, Scale(1.0 / 256)},
    {"Mono12Packed_to_Gray8", 0x410009, 0x10001, 0, -1, {}},
    {"Gray10Packed_to_Gray10", 0x410002, 0x10002, 0, -1, {}},
    {"BGR24_to_RGB24", 0x420006, 0x20002, 0, CV_8UC3, Cvt(cv::COLOR_BGR2RGB)},
    {"RGB24_to_Gray8", 0x20002, 0x10001, 0, CV_8UC3, Cvt(cv::COLOR_RGB2GRAY)},
    {"YUV422_to_RGB24", 0x40001, 0x20002, 0, CV_8UC2, Cvt(cv::COLOR_YUV2RGB_UYVY)},
    {"YUV411_to_RGB24", 0x440006, 0x20002, 0, -1, {}},
};

struct Frames {
    std::vector<uint8_t> source;
    std::vector<uint8_t> ours;
    std::vector<uint8_t> theirs;
    std::unique_ptr<KvPixelConverter> converter;
};

Frames MakeFrames(const Case& c) {
    Frames f;
    const KvPixelType from = KvPixelTypeFactory::GetPixelType(c.from);
    const KvPixelType to = KvPixelTypeFactory::GetPixelType(c.to);
    f.source.resize(from.GetBufferSizeFor(kWidth, kHeight));
    // Samples within the type's depth, so every converter reads valid data.
    std::mt19937 random(7);
    const bool words = from.GetBitsPerPixel() % 16 == 0 && from.GetBitDepth() > 8;
    for (size_t i = 0; i < f.source.size(); ++i) {
        f.source[i] = uint8_t(random());
        if (words && i % 2 == 1) {
            f.source[i] &= uint8_t((1u << (from.GetBitDepth() - 8)) - 1);
        }
    }
    f.ours.resize(to.GetBufferSizeFor(kWidth, kHeight));
    f.theirs.resize(f.ours.size());
    KvPixelTypeFactory::CreateConverter(c.from, c.to, f.converter);
    return f;
}

cv::Mat SourceMat(const Case& c, Frames& f) {
    return cv::Mat(int(kHeight), int(kWidth), c.sourceCvType, f.source.data());
}

void RunOurs(Frames& f, const Case& c) {
    f.converter->Convert(f.source.data(), f.source.size(), f.ours.data(), f.ours.size(), kWidth,
                         kHeight, c.flags);
}

void BenchOurs(benchmark::State& state, const Case* c) {
    Frames f = MakeFrames(*c);
    for (auto _ : state) {
        RunOurs(f, *c);
        benchmark::DoNotOptimize(f.ours.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ours.size()));
}

void BenchOpenCv(benchmark::State& state, const Case* c) {
    Frames f = MakeFrames(*c);
    const cv::Mat source = SourceMat(*c, f);
    cv::Mat destination;
    for (auto _ : state) {
        c->opencv(source, destination);
        benchmark::DoNotOptimize(destination.data);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ours.size()));
}

void BenchMemcpy(benchmark::State& state, const Case* c) {
    Frames f = MakeFrames(*c);
    std::vector<uint8_t> from(f.ours.size(), 1);
    for (auto _ : state) {
        std::memcpy(f.ours.data(), from.data(), from.size());
        benchmark::DoNotOptimize(f.ours.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.ours.size()));
}

// Bytes that differ, over the whole frame and inside its one-pixel border.
void CompareWithOpenCv(const Case& c) {
    Frames f = MakeFrames(c);
    RunOurs(f, c);
    cv::Mat theirs;
    c.opencv(SourceMat(c, f), theirs);
    const size_t row = f.ours.size() / kHeight;
    const size_t pixel = row / kWidth;
    size_t all = 0, inner = 0, largest = 0;
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* a = f.ours.data() + y * row;
        const uint8_t* b = theirs.ptr<uint8_t>(int(y));
        for (size_t i = 0; i < row; ++i) {
            if (a[i] != b[i]) {
                ++all;
                const size_t x = i / pixel;
                inner += (y > 0 && y + 1 < kHeight && x > 0 && x + 1 < kWidth) ? 1 : 0;
                largest = std::max<size_t>(largest, size_t(std::abs(int(a[i]) - int(b[i]))));
            }
        }
    }
    std::printf("%-24s differing bytes: %9zu of %9zu, inside the border: %9zu, largest %zu\n",
                c.name, all, f.ours.size(), inner, largest);
}

}  // namespace

int main(int argc, char** argv) {
    // One thread each, so the figures compare work per core.
    cv::setNumThreads(1);
    std::printf("Agreement with OpenCV on %ux%u frames:\n", kWidth, kHeight);
    for (const Case& c : kCases) {
        if (c.opencv) {
            CompareWithOpenCv(c);
        }
    }
    std::printf("\n");
    for (const Case& c : kCases) {
        const std::string name = c.name;
        benchmark::RegisterBenchmark((name + "/ours").c_str(), BenchOurs, &c);
        if (c.opencv) {
            benchmark::RegisterBenchmark((name + "/opencv").c_str(), BenchOpenCv, &c);
        }
        benchmark::RegisterBenchmark((name + "/memcpy").c_str(), BenchMemcpy, &c);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
