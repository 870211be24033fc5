#pragma once
// Settings are doubles written as whole numbers: rounded to nearest, ties to even.

#include <cstdint>

// Saturates outside the 64-bit range; NaN gives 0.
std::int64_t round_to_int64(double value);
// Saturates outside the 32-bit range; NaN gives 0.
std::int32_t round_to_int32(double value);
