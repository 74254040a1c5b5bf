#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "engine/levels.h"
#include "engine/negative.h"

namespace tintwell::engine {

// Digits with at most one decimal point, and nothing else: a typo must not pass for a number,
// as the window's lenient reading would let "1O" pass for 1 and "-1" for a white point.
std::optional<double> PlainNumber(std::string_view text);

// Why six point texts cannot be used, read strictly.
struct PointsProblem {
    enum class Kind { NotANumber, OutOfRange, NotAbove };
    Kind kind = Kind::NotANumber;
    Channel channel = Channel::Red;
    Field field = Field::BlackPoint;
    std::string text;       // the text at fault
    std::string blackText;  // for NotAbove: the black point it is not above
};

// The strict reading of a roll's points: each a plain number, black points 0 to 255, white
// points 1 to 255, each white above its black; then settled by the window's rule, which they
// always settle by.
std::variant<Levels, PointsProblem> ReadPoints(const PerChannel<std::string>& blacks,
                                               const PerChannel<std::string>& whites);

// Why a negative's settings, read strictly, cannot be used.
struct NegativeProblem {
    enum class Kind { NotANumber, OutOfRange, NotAbove };
    enum class What { FilmBase, Shadow, Highlight, Contrast };
    Kind kind = Kind::NotANumber;
    What what = What::FilmBase;
    Channel channel = Channel::Red;
    std::string text;        // the text at fault
    std::string shadowText;  // for NotAbove: the shadow density it is not above
};

// A negative's settings read strictly: the film base plain numbers from 1 to 65535, the
// densities plain numbers from 0 to 4, each highlight above its shadow, the contrast from 0.5
// to 4.
std::variant<Negative, NegativeProblem> ReadNegative(const PerChannel<std::string>& bases,
                                                     const PerChannel<std::string>& shadows,
                                                     const PerChannel<std::string>& highlights,
                                                     const std::string& contrast, bool mono);

}  // namespace tintwell::engine
