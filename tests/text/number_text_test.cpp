#include "toolkit/text/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();

TEST(IntToText, DecimalWithoutPaddingOrPlus) {
    EXPECT_EQ(int_to_text(0), "0");
    EXPECT_EQ(int_to_text(7), "7");
    EXPECT_EQ(int_to_text(1920), "1920");
    EXPECT_EQ(int_to_text(-5), "-5");
    EXPECT_EQ(int_to_text(-2147483648LL), "-2147483648");
    EXPECT_EQ(int_to_text(kMost), "9223372036854775807");
    EXPECT_EQ(int_to_text(kLeast), "-9223372036854775808");
}

struct Parse {
    const char* text;
    std::int64_t value;
};

TEST(TextToInt, ReadsTheNumberAtTheStart) {
    const Parse cases[] = {
        {"", 0},       {"  42", 42}, {"\t-17abc", -17}, {"+8", 8},    {"--5", 0},         {"+-5", 0},
        {"- 5", 0},    {"\n5", 0},   {"$ff", 255},      {"$FF", 255}, {"$aBc", 0xabc},    {"-$10", -16},
        {"%1010", 10}, {"%102", 2},  {"$", 0},          {"$G", 0},    {"%2", 0},          {"0x1F", 0},
        {"$ 1", 0},    {"3.9", 3},   {"12 34", 12},     {"1e3", 1},   {"77\r", 77},       {"0042", 42},
        {"9\xe9", 9},  {"-0", 0},    {"% 1", 0},        {"%-1", 0},   {"\t \t+$7f", 127},
    };
    for (const Parse& c : cases) EXPECT_EQ(text_to_int(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(text_to_int(nullptr), 0);
}

TEST(TextToInt, WrapsModulo2To64) {
    EXPECT_EQ(text_to_int("9223372036854775807"), kMost);
    EXPECT_EQ(text_to_int("9223372036854775808"), kLeast);
    EXPECT_EQ(text_to_int("-9223372036854775808"), kLeast);
    EXPECT_EQ(text_to_int("18446744073709551616"), 0);
    EXPECT_EQ(text_to_int("18446744073709551617"), 1);
    EXPECT_EQ(text_to_int("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(text_to_int("$1FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(text_to_int("-$8000000000000000"), kLeast);
}

TEST(NumberText, RoundTripsEveryValue) {
    for (std::int64_t v : {kLeast, kLeast + 1, std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}, kMost - 1, kMost})
        EXPECT_EQ(text_to_int(int_to_text(v).c_str()), v) << v;
    // Values of every magnitude: a random mantissa shifted by a random amount.
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 100000; ++i) {
        std::uint64_t bits = random() >> (random() % 64);
        if (random() % 2) bits = 0 - bits;
        auto v = static_cast<std::int64_t>(bits);
        std::string text = int_to_text(v);
        ASSERT_EQ(text_to_int(text.c_str()), v) << text;
        ASSERT_LE(text.size(), 20u);
        ASSERT_TRUE(text == "0" || text[text[0] == '-' ? 1 : 0] != '0') << text;
    }
}

}  // namespace
