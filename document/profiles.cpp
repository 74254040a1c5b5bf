#include "document/profiles.h"

#include <lcms2.h>

namespace tintwell::document {
namespace {

std::vector<std::uint8_t> Saved(cmsHPROFILE profile) {
    std::vector<std::uint8_t> bytes;
    cmsUInt32Number size = 0;
    if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile != nullptr) cmsCloseProfile(profile);
    return bytes;
}

}  // namespace

const std::vector<std::uint8_t>& SrgbProfile() {
    static const std::vector<std::uint8_t> profile = Saved(cmsCreate_sRGBProfile());
    return profile;
}

const std::vector<std::uint8_t>& GreyProfile() {
    static const std::vector<std::uint8_t> profile = [] {
        // The sRGB curve as Little CMS's parametric type 4: linear below 0.04045, a power of
        // 2.4 above.
        const cmsFloat64Number sRgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, sRgb);
        cmsHPROFILE grey = curve != nullptr ? cmsCreateGrayProfile(cmsD50_xyY(), curve) : nullptr;
        if (curve != nullptr) cmsFreeToneCurve(curve);
        return Saved(grey);
    }();
    return profile;
}

}  // namespace tintwell::document
