#include "document/profiles.h"

#include <lcms2.h>

namespace tintwell::document {
namespace {

// Little CMS dates a profile when it is made; a positive must not differ by the second it was
// written (the same negative, settings and program give the same bytes), so every profile
// carries one date: 2026-12-08 00:00:00, in the header's six big-endian numbers at 24.
void FixDate(std::vector<std::uint8_t>& bytes) {
    static constexpr std::uint16_t kDate[6] = {2026, 12, 8, 0, 0, 0};
    if (bytes.size() < 36) return;
    for (int i = 0; i < 6; ++i) {
        bytes[24 + 2 * i] = static_cast<std::uint8_t>(kDate[i] >> 8);
        bytes[25 + 2 * i] = static_cast<std::uint8_t>(kDate[i] & 255);
    }
}

std::vector<std::uint8_t> Saved(cmsHPROFILE profile) {
    std::vector<std::uint8_t> bytes;
    cmsUInt32Number size = 0;
    if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    FixDate(bytes);
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
