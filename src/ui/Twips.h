#pragma once

#include <cmath>

namespace pv {

// Places and sizes of the designed windows are given in twips; one logical
// pixel is fifteen twips.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPx(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

inline double pxToTwips(int px)
{
    return double(px) * kTwipsPerPixel;
}

} // namespace pv
