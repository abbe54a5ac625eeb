#include "stagefile/count.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vorne::stagefile {
namespace {

constexpr int64_t int64_max = std::numeric_limits<int64_t>::max();

TEST(LenientCount, PlainAndSignedNumbers) {
    EXPECT_EQ(lenient_count("3"), 3);
    EXPECT_EQ(lenient_count("20"), 20);
    EXPECT_EQ(lenient_count("+4"), 4);
    EXPECT_EQ(lenient_count("-2"), -2);
    EXPECT_EQ(lenient_count("007"), 7);
}

TEST(LenientCount, BlanksTabsAndLineFeedsAreIgnoredAnywhere) {
    EXPECT_EQ(lenient_count(" 3"), 3);
    EXPECT_EQ(lenient_count("1 2"), 12);
    EXPECT_EQ(lenient_count("\t1\n0 \n"), 10);
    EXPECT_EQ(lenient_count("- 5"), -5);
    EXPECT_EQ(lenient_count("& H 1 0"), 16);
}

TEST(LenientCount, ReadingStopsAtTheFirstCharacterThatCannotContinue) {
    EXPECT_EQ(lenient_count("3a"), 3);
    EXPECT_EQ(lenient_count("12z34"), 12);
    EXPECT_EQ(lenient_count("1.2.3"), 1);
    EXPECT_EQ(lenient_count("3e"), 3);  // an exponent needs digits
    EXPECT_EQ(lenient_count("3e+"), 3);
    EXPECT_EQ(lenient_count("3\r"), 3);  // CR is not ignored, it just stops the number
    EXPECT_EQ(lenient_count("&H1g"), 1);
    EXPECT_EQ(lenient_count("&O78"), 7);
}

TEST(LenientCount, NonNumericOrEmptyGivesZero) {
    EXPECT_EQ(lenient_count(""), 0);
    EXPECT_EQ(lenient_count("   "), 0);
    EXPECT_EQ(lenient_count("abc"), 0);
    EXPECT_EQ(lenient_count("--3"), 0);
    EXPECT_EQ(lenient_count("+-3"), 0);
    EXPECT_EQ(lenient_count("."), 0);
    EXPECT_EQ(lenient_count("&"), 0);
    EXPECT_EQ(lenient_count("&H"), 0);
    EXPECT_EQ(lenient_count("&X10"), 0);
    EXPECT_EQ(lenient_count("\xef\xbb\xbf"
                            "3"),
              0);  // a byte order mark is not a number
}

TEST(LenientCount, HexadecimalAndOctalPrefixesInEitherCase) {
    EXPECT_EQ(lenient_count("&H1A"), 26);
    EXPECT_EQ(lenient_count("&h1a"), 26);
    EXPECT_EQ(lenient_count("&O17"), 15);
    EXPECT_EQ(lenient_count("&o17"), 15);
    EXPECT_EQ(lenient_count("-&H10"), -16);
    EXPECT_EQ(lenient_count("&H1.5"), 1);  // no fraction in hexadecimal
}

TEST(LenientCount, FractionsRoundToNearestWithHalvesToEven) {
    EXPECT_EQ(lenient_count("0.5"), 0);
    EXPECT_EQ(lenient_count("1.5"), 2);
    EXPECT_EQ(lenient_count("2.5"), 2);
    EXPECT_EQ(lenient_count("3.5"), 4);
    EXPECT_EQ(lenient_count("2.51"), 3);
    EXPECT_EQ(lenient_count("2.49"), 2);
    EXPECT_EQ(lenient_count(".5"), 0);
    EXPECT_EQ(lenient_count("7."), 7);
    EXPECT_EQ(lenient_count("-2.5"), -2);
    EXPECT_EQ(lenient_count("-3.5"), -4);
    EXPECT_EQ(lenient_count("-0.4"), 0);
}

TEST(LenientCount, ExponentsWithEOrD) {
    EXPECT_EQ(lenient_count("1e2"), 100);
    EXPECT_EQ(lenient_count("1D1"), 10);
    EXPECT_EQ(lenient_count("25E-1"), 2);  // 2.5, half to even
    EXPECT_EQ(lenient_count("1e0000002"), 100);
}

TEST(LenientCount, HugeValuesSaturateInsteadOfWrapping) {
    EXPECT_EQ(lenient_count("99999999999999999999999"), int64_max);
    EXPECT_EQ(lenient_count("1e400"), int64_max);
    EXPECT_EQ(lenient_count("1e99999999999"), int64_max);
    EXPECT_EQ(lenient_count("&Hffffffffffffffffffffffff"), int64_max);
    EXPECT_EQ(lenient_count("-1e400"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(lenient_count("1e-400"), 0);
    EXPECT_EQ(lenient_count("0.0000000001e-99999"), 0);
    EXPECT_EQ(round_half_even(std::nan("")), 0);
}

TEST(LenientValue, KeepsTheFraction) {
    EXPECT_DOUBLE_EQ(lenient_value(" 1 .2 5x"), 1.25);
    EXPECT_TRUE(std::isinf(lenient_value("1e400")));
}

}  // namespace
}  // namespace vorne::stagefile
