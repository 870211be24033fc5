#include "launcher/rounding.h"

#include <cmath>
#include <limits>

namespace {

// Nearest whole number, ties to the even one, whatever rounding mode the floating-point unit is in.
// The fraction of a double is exact, so the comparison with one half is too.
double round_half_even(double value) {
    double below = std::floor(value);
    double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) return below + 1.0;
    return below;
}

// Converting a double outside the target's range is undefined: clamp before converting.
template <typename Integer>
Integer round_saturating(double value) {
    using Limits = std::numeric_limits<Integer>;
    if (std::isnan(value)) return 0;
    // Both bounds are powers of two and so exact as doubles.
    constexpr double kLowest = static_cast<double>(Limits::min());
    constexpr double kBeyondHighest = -kLowest;
    double rounded = round_half_even(value);
    if (rounded >= kBeyondHighest) return Limits::max();
    if (rounded < kLowest) return Limits::min();
    return static_cast<Integer>(rounded);
}

}  // namespace

std::int64_t round_to_int64(double value) {
    return round_saturating<std::int64_t>(value);
}

std::int32_t round_to_int32(double value) {
    return round_saturating<std::int32_t>(value);
}
