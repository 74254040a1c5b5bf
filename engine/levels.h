#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tintwell::engine {

inline constexpr int kChannels = 3;  // red, green, blue, in this order
enum class Channel : int { Red = 0, Green = 1, Blue = 2 };

template <typename T>
using PerChannel = std::array<T, kChannels>;

// Black point and stretch factor of each channel, as the correction pass applies them.
struct Levels {
    PerChannel<std::int16_t> black{};
    PerChannel<float> factor{};
};

enum class Field { BlackPoint, WhitePoint };

// A channel whose settings cannot be turned into a black point and a finite factor.
struct SettingsError {
    Channel channel = Channel::Red;
    Field field = Field::BlackPoint;
};

// What settling the six texts gave. Channels are settled in order red, green, blue; on an
// error, the channels before the failing one hold their settled values and texts (`settled`
// counts them), and the failing channel and those after it are left alone.
struct FactorsResult {
    Levels levels;
    PerChannel<std::string> blackTexts;  // normalised black-point texts of the settled channels
    int settled = 0;
    std::optional<SettingsError> error;
};

// Turns the black-point and white-point texts of the three channels into black points in
// 0..255 and factors 255 / (white - black) as 32-bit floats.
FactorsResult CalcFactors(const PerChannel<std::string>& blackTexts,
                          const PerChannel<std::string>& whiteTexts);

// True when a pass with these levels would leave every pixel as it is.
bool IsNothingToDo(const Levels& levels);

// What both programs say then.
inline constexpr const char* kNothingToDo = "Black and white point settings give me nothing to do";

// Readable names for messages: "red", "green", "blue".
const char* ChannelName(Channel channel);

}  // namespace tintwell::engine
