#pragma once
// Conversion between signed 64-bit integers and 8-bit decimal (also "$" hex and "%" binary) text.
// Both directions are total: every input gives a result.

#include <cstdint>
#include <string>

// The value in decimal: an optional "-", then digits without leading zeros.
std::string int_to_text(std::int64_t value);

// The number at the start of the text (null or empty: 0), wrapping modulo 2^64 on overflow.
std::int64_t text_to_int(const char* text);
