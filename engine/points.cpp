#include "engine/points.h"

#include <charconv>
#include <tuple>

namespace tintwell::engine {

std::optional<double> PlainNumber(std::string_view text) {
    int digits = 0, points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c != '.' || ++points > 1) {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::variant<Levels, PointsProblem> ReadPoints(const PerChannel<std::string>& blacks,
                                               const PerChannel<std::string>& whites) {
    using Kind = PointsProblem::Kind;
    for (int c = 0; c < kChannels; ++c) {
        const auto channel = static_cast<Channel>(c);
        const auto black = PlainNumber(blacks[c]), white = PlainNumber(whites[c]);
        for (const auto& [field, text, value, least] :
             {std::tuple{Field::BlackPoint, blacks[c], black, 0.0},
              std::tuple{Field::WhitePoint, whites[c], white, 1.0}}) {
            if (!value) return PointsProblem{Kind::NotANumber, channel, field, text, {}};
            if (*value < least || *value > 255)
                return PointsProblem{Kind::OutOfRange, channel, field, text, {}};
        }
        if (!(*white > *black))
            return PointsProblem{Kind::NotAbove, channel, Field::WhitePoint, whites[c], blacks[c]};
    }
    return CalcFactors(blacks, whites).levels;
}

}  // namespace tintwell::engine
