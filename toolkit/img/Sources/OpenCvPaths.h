#pragma once
// The conversions OpenCV does faster than our row kernels with the same
// result. Each is checked against the fixtures of the converter tests.

#include "ConversionPlan.h"

namespace KvImgDetail {

// Does the conversion and returns true when OpenCV has a path for it.
bool RunWithOpenCv(const ConversionPlan& plan, const FrameJob& job);

}  // namespace KvImgDetail
