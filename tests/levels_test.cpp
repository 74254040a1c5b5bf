#include "engine/levels.h"

#include <gtest/gtest.h>

#include <string>

namespace tintwell::engine {
namespace {

// One channel's texts in, its settled black point, text and factor out; the other two channels
// hold neutral settings that differ per channel so that a mix-up shows.
struct ChannelCase {
    std::string black, white;
    std::int16_t expectedBlack;
    std::string expectedText;
    double expectedFactor;  // 255 / (white - black), rounded to float by the test
};

class SettlesChannel : public ::testing::TestWithParam<std::tuple<int, ChannelCase>> {};

TEST_P(SettlesChannel, BlackTextAndFactor) {
    const auto& [channel, c] = GetParam();
    PerChannel<std::string> blacks{"1", "2", "3"};
    PerChannel<std::string> whites{"201", "202", "203"};
    blacks[channel] = c.black;
    whites[channel] = c.white;

    const FactorsResult r = CalcFactors(blacks, whites);

    ASSERT_FALSE(r.error.has_value());
    EXPECT_EQ(r.settled, kChannels);
    EXPECT_EQ(r.levels.black[channel], c.expectedBlack);
    EXPECT_EQ(r.blackTexts[channel], c.expectedText);
    EXPECT_EQ(r.levels.factor[channel], static_cast<float>(c.expectedFactor));
    for (int other = 0; other < kChannels; ++other) {
        if (other == channel) continue;
        EXPECT_EQ(r.levels.black[other], other + 1);
        EXPECT_EQ(r.levels.factor[other], static_cast<float>(255.0 / 200.0));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettlesChannel,
    ::testing::Combine(
        ::testing::Values(0, 1, 2),
        ::testing::Values(
            ChannelCase{"10", "75", 10, "10", 255.0 / 65},
            ChannelCase{"45", "180", 45, "45", 255.0 / 135},
            ChannelCase{"80", "210", 80, "80", 255.0 / 130},
            ChannelCase{"12.7", "200", 12, "12", 255.0 / 188},
            ChannelCase{"007", "200", 7, "7", 255.0 / 193},
            ChannelCase{"-5", "200", 0, "0", 255.0 / 200},
            ChannelCase{"", "200", 0, "0", 255.0 / 200},
            ChannelCase{"abc", "200", 0, "0", 255.0 / 200},
            ChannelCase{"300", "400", 255, "255", 255.0 / 145},
            // the black point moves below a white point that is not above it
            ChannelCase{"10", "10", 9, "9", 255.0}, ChannelCase{"10", "10.5", 10, "10", 510.0},
            ChannelCase{"10", "3.5", 2, "2", 170.0}, ChannelCase{"10", "2.5", 2, "2", 510.0},
            ChannelCase{"10", "4.5", 4, "4", 510.0}, ChannelCase{"999", "-5", 0, "0", -51.0},
            ChannelCase{"-999", "-5", 0, "0", -51.0},
            ChannelCase{"&HF", "1e2", 15, "15", 255.0 / 85})));

struct FailureCase {
    PerChannel<std::string> blacks, whites;
    Channel channel;
    Field field;
};

class RefusesSettings : public ::testing::TestWithParam<FailureCase> {};

TEST_P(RefusesSettings, NamesChannelAndFieldAndKeepsEarlierChannels) {
    const FailureCase& c = GetParam();
    const FactorsResult r = CalcFactors(c.blacks, c.whites);
    ASSERT_TRUE(r.error.has_value());
    EXPECT_EQ(r.error->channel, c.channel);
    EXPECT_EQ(r.error->field, c.field);
    const int failing = static_cast<int>(c.channel);
    EXPECT_EQ(r.settled, failing);
    for (int ch = 0; ch < failing; ++ch) {
        EXPECT_EQ(r.blackTexts[ch], std::to_string(r.levels.black[ch]));
        EXPECT_NE(r.levels.factor[ch], 0.0f);
    }
    for (int ch = failing; ch < kChannels; ++ch) EXPECT_TRUE(r.blackTexts[ch].empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesSettings,
    ::testing::Values(
        FailureCase{{"1e5", "0", "0"}, {"255", "255", "255"}, Channel::Red, Field::BlackPoint},
        FailureCase{{"0", "-1e5", "0"}, {"255", "255", "255"}, Channel::Green, Field::BlackPoint},
        FailureCase{{"0", "0", "1e9"}, {"255", "255", "255"}, Channel::Blue, Field::BlackPoint},
        FailureCase{{"0", "0", "0"}, {"0", "255", "255"}, Channel::Red, Field::WhitePoint},
        FailureCase{{"5", "0", "0"}, {"255", "", "255"}, Channel::Green, Field::WhitePoint},
        FailureCase{{"5", "6", "0"}, {"255", "254", "abc"}, Channel::Blue, Field::WhitePoint},
        // a white point so low that the moved black point leaves the 16-bit range
        FailureCase{{"0", "0", "0"}, {"-1e5", "255", "255"}, Channel::Red, Field::WhitePoint},
        FailureCase{{"0", "0", "0"}, {"255", "255", "-1e999"}, Channel::Blue, Field::WhitePoint}));

struct NothingCase {
    PerChannel<std::string> blacks, whites;
    bool nothingToDo;
};

class NothingToDo : public ::testing::TestWithParam<NothingCase> {};

TEST_P(NothingToDo, OnlyWhenEveryChannelIsIdentity) {
    const FactorsResult r = CalcFactors(GetParam().blacks, GetParam().whites);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(IsNothingToDo(r.levels), GetParam().nothingToDo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NothingToDo,
    ::testing::Values(NothingCase{{"0", "0", "0"}, {"255", "255", "255"}, true},
                      NothingCase{{"0.9", "0.9", "0.9"}, {"255", "255", "255"}, true},
                      NothingCase{{"-3", "", "x"}, {"255", "255.0", "2.55e2"}, true},
                      NothingCase{{"0", "0", "0"}, {"255", "255", "254"}, false},
                      NothingCase{{"1", "0", "0"}, {"256", "255", "255"}, false},
                      NothingCase{{"10", "45", "80"}, {"75", "180", "210"}, false}));

}  // namespace
}  // namespace tintwell::engine
