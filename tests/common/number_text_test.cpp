#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

TEST(NumberText, PlainNumbersReadBackExactlyWithoutExponent) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{12.345, "12.345"},
                 {0.001, "0.001"},
                 {-3, "-3"},
                 {-0.0, "0"},
                 {1e20, "100000000000000000000"},
                 {1e-7, "0.0000001"},
                 {0.1 + 0.2, "0.30000000000000004"}};
    for (const auto& c : cases) {
        EXPECT_EQ(PlainNumber(c.value), c.text);
        double back = 0;
        ASSERT_TRUE(ParseNumber(PlainNumber(c.value), &back)) << c.text;
        EXPECT_EQ(back, c.value) << c.text;
    }
    EXPECT_EQ(FixedNumber(1.25, 3), "1.250");
    EXPECT_EQ(FixedNumber(2.0005, 3), "2.001");  // 2.0005 is stored a little above
    EXPECT_EQ(FixedNumber(-0.0001, 3), "-0.000");
    EXPECT_EQ(PlainNumber(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(NumberText, ParseTakesTheWholeTextOrNothing) {
    const struct {
        const char* text;
        bool ok;
        double value;
    } cases[] = {{"12.5", true, 12.5},   {" 7 ", true, 7},      {"+3", true, 3},
                 {"-0.25", true, -0.25}, {"1e-3", true, 0.001}, {"", false, 0},
                 {"  ", false, 0},       {"1,5", false, 0},     {"12.5mm", false, 0},
                 {"+-1", false, 0},      {"++1", false, 0},     {"abc", false, 0},
                 {"1e400", false, 0}};
    for (const auto& c : cases) {
        double value = -99;
        EXPECT_EQ(ParseNumber(c.text, &value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

// Record texts are read as atof reads them, whatever the locale.
TEST(NumberText, LeadingNumberReadsAsAtofDoes) {
    const char* texts[] = {"012.345", "-01.500", " 12",  "+3.5", "7.25mm", "abc",   "",      "-",
                           "+-1",     "1e3",     "1e-3", ".5",   "-.5",    "1e400", "1e-400"};
    for (const char* text : texts) EXPECT_EQ(LeadingNumber(text), std::atof(text)) << text;
}

}  // namespace
