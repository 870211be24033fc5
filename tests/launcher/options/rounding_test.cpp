#include "launcher/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Rounding, NearestWithTiesToEven) {
    const struct {
        double value;
        std::int64_t rounded;
    } cases[] = {
        {0.0, 0},
        {-0.0, 0},
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999, 2},
        {2.5001, 3},
        {-2.5001, -3},
        {100, 100},
        {99.51, 100},
        {1e15 + 0.5, 1000000000000000},
        {4503599627370497.0, 4503599627370497},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(round_to_int64(c.value), c.rounded) << c.value;
        if (c.rounded >= std::numeric_limits<std::int32_t>::min() &&
            c.rounded <= std::numeric_limits<std::int32_t>::max()) {
            EXPECT_EQ(round_to_int32(c.value), c.rounded) << c.value;
        }
    }
}

TEST(Rounding, SaturatesOutsideTheRangeAndNaNIsZero) {
    constexpr std::int64_t kMost64 = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kLeast64 = std::numeric_limits<std::int64_t>::min();
    constexpr std::int32_t kMost32 = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kLeast32 = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(round_to_int64(std::ldexp(1.0, 63)), kMost64);
    EXPECT_EQ(round_to_int64(std::ldexp(-1.0, 63)), kLeast64);
    EXPECT_EQ(round_to_int64(std::nextafter(std::ldexp(1.0, 63), 0.0)), 9223372036854774784);
    EXPECT_EQ(round_to_int64(1e300), kMost64);
    EXPECT_EQ(round_to_int64(-1e300), kLeast64);
    EXPECT_EQ(round_to_int64(kInfinity), kMost64);
    EXPECT_EQ(round_to_int64(-kInfinity), kLeast64);
    EXPECT_EQ(round_to_int64(kNaN), 0);
    EXPECT_EQ(round_to_int32(2147483647.0), kMost32);
    EXPECT_EQ(round_to_int32(2147483647.5), kMost32);
    EXPECT_EQ(round_to_int32(2147483646.5), 2147483646);
    EXPECT_EQ(round_to_int32(-2147483648.0), kLeast32);
    EXPECT_EQ(round_to_int32(-2147483648.5), kLeast32);
    EXPECT_EQ(round_to_int32(-2147483649.0), kLeast32);
    EXPECT_EQ(round_to_int32(-kInfinity), kLeast32);
    EXPECT_EQ(round_to_int32(1e18), kMost32);
    EXPECT_EQ(round_to_int32(kNaN), 0);
}

}  // namespace
