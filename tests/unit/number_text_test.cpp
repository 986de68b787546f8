// Numbers read from fields and arguments: the leading number strtod reads,
// and whether the text is that number alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "src/number_text.h"

namespace {

TEST(ReadNumber, LeadingNumberAndWhetherItStandsAlone) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* text;
        double value; // NaN: a NaN
        bool whole;
    } rows[] = {
        {"", 0, false},
        {" ", 0, false}, // blanks are no number, not 0
        {"abc", 0, false},
        {"-", 0, false},
        {"1.5", 1.5, true},
        {"  -2", -2, true},   // leading blanks skipped
        {"3  ", 3, true},     // trailing spaces allowed
        {"3\t", 3, false},    // but nothing else
        {"4x", 4, false},     // the leading number still read
        {"1e3junk", 1000, false},
        {"0x1p-2", 0.25, true},
        {"1e999", inf, true},
        {"-inf", -inf, true},
        {"nan", NAN, true},
        {"0.1", 0.1, true}, // correctly rounded
        {"2.2250738585072011e-308", 2.2250738585072011e-308, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        double value = 99;
        EXPECT_EQ(ReadNumber(row.text, value), row.whole);
        if (std::isnan(row.value))
            EXPECT_TRUE(std::isnan(value));
        else
            EXPECT_EQ(value, row.value);
    }
}

} // namespace
