#include "engine/val.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tintwell::engine {
namespace {

struct ValCase {
    std::string text;
    double expected;
};

class ValReads : public ::testing::TestWithParam<ValCase> {};

TEST_P(ValReads, LeadingNumber) {
    EXPECT_DOUBLE_EQ(Val(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ValReads,
    ::testing::Values(
        // nothing numeric
        ValCase{"", 0}, ValCase{"abc", 0}, ValCase{"-", 0}, ValCase{".", 0}, ValCase{" ", 0},
        // plain numbers, signs and one decimal point
        ValCase{"12", 12}, ValCase{"+7", 7}, ValCase{"-5", -5}, ValCase{"007", 7},
        ValCase{"12.7", 12.7}, ValCase{".5", 0.5}, ValCase{"5.", 5}, ValCase{"1.2.3", 1.2},
        ValCase{"-0.5", -0.5},
        // blanks, tabs and line feeds anywhere
        ValCase{" 1 2", 12}, ValCase{"\t3\n4", 34}, ValCase{"- 5", -5}, ValCase{"1 . 5", 1.5},
        // exponents, E or D, with sign; a bare letter ends the number
        ValCase{"1e2", 100}, ValCase{"1E-2", 0.01}, ValCase{"2d3", 2000}, ValCase{"1e", 1},
        ValCase{"1e+", 1}, ValCase{"1 e 2", 100}, ValCase{"1e5", 100000},
        // radix prefixes
        ValCase{"&HF", 15}, ValCase{"&hff", 255}, ValCase{"&O17", 15}, ValCase{"&O8", 0},
        ValCase{"&H", 0}, ValCase{"&X1", 0},
        // junk after the number
        ValCase{"12abc", 12}, ValCase{"3-4", 3}, ValCase{"9e9x", 9e9}));

TEST(Val, HugeExponentsSaturate) {
    EXPECT_TRUE(std::isinf(Val("1e999")));
    EXPECT_LT(Val("-1e999"), 0);
    EXPECT_EQ(Val("1e-999"), 0.0);
}

}  // namespace
}  // namespace tintwell::engine
