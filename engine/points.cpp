#include "engine/points.h"

#include <charconv>
#include <optional>
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

std::variant<Negative, NegativeProblem> ReadNegative(const PerChannel<std::string>& bases,
                                                     const PerChannel<std::string>& shadows,
                                                     const PerChannel<std::string>& highlights,
                                                     const std::string& contrast, bool mono) {
    using Kind = NegativeProblem::Kind;
    using What = NegativeProblem::What;
    Negative n;
    n.mono = mono;
    const auto read = [](const std::string& text, double least, double most,
                         double& into) -> std::optional<Kind> {
        const auto value = PlainNumber(text);
        if (!value) return Kind::NotANumber;
        if (*value < least || *value > most) return Kind::OutOfRange;
        into = *value;
        return std::nullopt;
    };
    for (int c = 0; c < kChannels; ++c) {
        const auto channel = static_cast<Channel>(c);
        for (const auto& [what, text, least, most, into] :
             {std::tuple{What::FilmBase, &bases[c], 1.0, 65535.0, &n.base[c]},
              std::tuple{What::Shadow, &shadows[c], 0.0, kMostDensity, &n.shadow[c]},
              std::tuple{What::Highlight, &highlights[c], 0.0, kMostDensity, &n.highlight[c]}}) {
            if (const auto wrong = read(*text, least, most, *into))
                return NegativeProblem{*wrong, what, channel, *text, {}};
        }
        if (!(n.highlight[c] > n.shadow[c]))
            return NegativeProblem{Kind::NotAbove, What::Highlight, channel, highlights[c],
                                   shadows[c]};
    }
    if (const auto wrong = read(contrast, 0.5, 4.0, n.contrast))
        return NegativeProblem{*wrong, What::Contrast, Channel::Red, contrast, {}};
    return n;
}

}  // namespace tintwell::engine
