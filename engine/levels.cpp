#include "engine/levels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/val.h"

namespace tintwell::engine {
namespace {

constexpr double kInt16Min = std::numeric_limits<std::int16_t>::min();
constexpr double kInt16Max = std::numeric_limits<std::int16_t>::max();

bool FitsInt16(double value) {
    return value >= kInt16Min && value <= kInt16Max;
}

struct ChannelSettled {
    std::int16_t black = 0;
    float factor = 0.0f;
};

std::optional<ChannelSettled> SettleChannel(const std::string& blackText,
                                            const std::string& whiteText, Field& fault) {
    fault = Field::BlackPoint;
    const double typedBlack = std::floor(Val(blackText));
    if (!FitsInt16(typedBlack)) return std::nullopt;
    double black = typedBlack;

    fault = Field::WhitePoint;
    const double white = Val(whiteText);
    if (!(white > black)) {
        // Ties go to the even integer (the default rounding mode).
        black = std::nearbyint(white - 1.0);
        if (!FitsInt16(black)) return std::nullopt;
    }
    black = std::clamp(black, 0.0, 255.0);

    const double factor = 255.0 / (white - black);
    if (!std::isfinite(factor) || std::fabs(factor) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return ChannelSettled{static_cast<std::int16_t>(black), static_cast<float>(factor)};
}

}  // namespace

FactorsResult CalcFactors(const PerChannel<std::string>& blackTexts,
                          const PerChannel<std::string>& whiteTexts) {
    FactorsResult result;
    for (int c = 0; c < kChannels; ++c) {
        Field fault = Field::BlackPoint;
        const auto settled = SettleChannel(blackTexts[c], whiteTexts[c], fault);
        if (!settled) {
            result.error = SettingsError{static_cast<Channel>(c), fault};
            return result;
        }
        result.levels.black[c] = settled->black;
        result.levels.factor[c] = settled->factor;
        result.blackTexts[c] = std::to_string(settled->black);
        result.settled = c + 1;
    }
    return result;
}

bool IsNothingToDo(const Levels& levels) {
    int blackSum = 0;
    for (int c = 0; c < kChannels; ++c) {
        if (levels.factor[c] != 1.0f) return false;
        blackSum += levels.black[c];
    }
    return blackSum == 0;
}

const char* ChannelName(Channel channel) {
    switch (channel) {
        case Channel::Red:
            return "red";
        case Channel::Green:
            return "green";
        case Channel::Blue:
            return "blue";
    }
    return "";
}

}  // namespace tintwell::engine
