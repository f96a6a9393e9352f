#include "cssspaces.h"

#include <algorithm>

TMapped HslComponentsToColor(const TVec3 &hsl)
{
    return {RgbToColor(HslToRgb(hsl.X, std::clamp(hsl.Y, 0.0, 100.0), std::clamp(hsl.Z, 0.0, 100.0))), false};
}

TMapped HwbComponentsToColor(const TVec3 &hwb)
{
    return {RgbToColor(HwbToRgb(hwb.X, std::clamp(hwb.Y, 0.0, 100.0), std::clamp(hwb.Z, 0.0, 100.0))), false};
}

TMapped LabComponentsToColor(const TVec3 &lab)
{
    return MapToSrgb(LabD50ToRgb({std::clamp(lab.X, 0.0, 100.0), lab.Y, lab.Z}));
}

TMapped LchComponentsToColor(const TVec3 &lch)
{
    return LabComponentsToColor(LchToLab({std::clamp(lch.X, 0.0, 100.0), std::max(lch.Y, 0.0), lch.Z}));
}

TMapped OklabComponentsToColor(const TVec3 &oklab)
{
    return MapOklchToSrgb(LabToLch({std::clamp(oklab.X, 0.0, 1.0), oklab.Y, oklab.Z}));
}

TMapped OklchComponentsToColor(const TVec3 &oklch)
{
    return MapOklchToSrgb({std::clamp(oklch.X, 0.0, 1.0), std::max(oklch.Y, 0.0), oklch.Z});
}
