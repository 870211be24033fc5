#include "toolkit/text/number_text.h"

namespace {

// The digit's value in the base, or -1 when the byte is not one of its digits.
int digit_value(unsigned char byte, unsigned base) {
    int value = -1;
    if (byte >= '0' && byte <= '9')
        value = byte - '0';
    else if (byte >= 'A' && byte <= 'F')
        value = byte - 'A' + 10;
    else if (byte >= 'a' && byte <= 'f')
        value = byte - 'a' + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

}  // namespace

std::string int_to_text(std::int64_t value) {
    // The longest text is "-9223372036854775808": a sign and nineteen digits.
    char digits[20];
    char* const end = digits + sizeof digits;
    char* first = end;
    // The magnitude as unsigned, so that the most negative value has one too.
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) magnitude = 0 - magnitude;
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--first = '-';
    return std::string(first, end);
}

std::int64_t text_to_int(const char* text) {
    if (!text) return 0;
    const auto* next = reinterpret_cast<const unsigned char*>(text);
    while (*next == ' ' || *next == '\t') ++next;
    bool negative = false;
    if (*next == '-') {
        negative = true;
        ++next;
    } else if (*next == '+') {
        ++next;
    }
    unsigned base = 10;
    if (*next == '$') {
        base = 16;
        ++next;
    } else if (*next == '%') {
        base = 2;
        ++next;
    }
    // Unsigned arithmetic wraps modulo 2^64, which is the intended behaviour for too many digits.
    std::uint64_t value = 0;
    for (int digit; (digit = digit_value(*next, base)) >= 0; ++next)
        value = value * base + static_cast<unsigned>(digit);
    if (negative) value = 0 - value;
    return static_cast<std::int64_t>(value);
}
