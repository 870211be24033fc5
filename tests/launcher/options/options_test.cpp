#include "launcher/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "tests/files/file_test_support.h"
#include "tests/support/options_file.h"
#include "toolkit/objects/os_seam.h"

namespace {

// The options file's name is relative: each test runs in a fresh folder that holds "Data".
class OptionsTest : public ::testing::Test {
  protected:
    OptionsTest() {
        std::filesystem::create_directory(file_.parent_path());
        g_options = Options{};
    }

    std::string file() const { return read_bytes(file_); }
    void put(const std::string& content) const { write_bytes(file_, content); }

    // The record as start-up sets it before the file is touched.
    static void set_start_up_defaults(double width, double height) {
        g_options = Options{};
        g_options.aux1 = 1;
        g_options.screen_width = width;
        g_options.screen_height = height;
        g_options.music_volume = 100;
        g_options.sound_volume = 100;
    }

    static void expect_numbers(double aux1, double aux2, double width, double height, double aux3, double music,
                               double sound) {
        EXPECT_EQ(g_options.aux1, aux1);
        EXPECT_EQ(g_options.aux2, aux2);
        EXPECT_EQ(g_options.screen_width, width);
        EXPECT_EQ(g_options.screen_height, height);
        EXPECT_EQ(g_options.aux3, aux3);
        EXPECT_EQ(g_options.music_volume, music);
        EXPECT_EQ(g_options.sound_volume, sound);
    }

    TempFolder folder_{true};
    ToolkitFiles toolkit_;
    std::filesystem::path file_ = folder_.path() / "Data" / "Optionen.txt";
};

TEST_F(OptionsTest, FirstRunFileIsFiftyBytesAndLoadsBack) {
    set_start_up_defaults(1366, 768);
    options_create_default();
    EXPECT_EQ(file(), first_run_file());
    EXPECT_EQ(file().size(), 50u);
    g_options = Options{};
    options_load();
    EXPECT_EQ(g_options.player1_name, "Spieler1");
    EXPECT_EQ(g_options.player2_name, "Spieler2");
    expect_numbers(1, 0, 1366, 768, 0, 100, 100);
    // A file that is there already is emptied first.
    put(std::string(80, 'x'));
    options_create_default();
    EXPECT_EQ(file(), first_run_file());
}

TEST_F(OptionsTest, EveryLineEndLoadsTheSame) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string content;
        for (const char* line : {"Anna", "Bert", "3", "-4", "1920", "1080", "0", "55", "66"})
            content += std::string(line) + end;
        put(content);
        g_options = Options{};
        options_load();
        EXPECT_EQ(g_options.player1_name, "Anna") << content;
        EXPECT_EQ(g_options.player2_name, "Bert") << content;
        expect_numbers(3, -4, 1920, 1080, 0, 55, 66);
    }
}

TEST_F(OptionsTest, MissingLinesReadAsEmptyAndZero) {
    put("Anna\r\nBert\r\n");
    set_start_up_defaults(800, 600);
    options_load();
    EXPECT_EQ(g_options.player1_name, "Anna");
    EXPECT_EQ(g_options.player2_name, "Bert");
    expect_numbers(0, 0, 0, 0, 0, 0, 0);
    // Without the file (here: no "Data" folder to create it in) both fail, and the record keeps
    // what start-up set.
    std::filesystem::remove_all(file_.parent_path());
    set_start_up_defaults(800, 600);
    EXPECT_FALSE(options_create_default());
    EXPECT_TRUE(file_error_means_missing(file_last_error()));
    EXPECT_FALSE(options_load());
    expect_numbers(1, 0, 800, 600, 0, 100, 100);
}

TEST_F(OptionsTest, SaveKeepsNineLinesAndCutsTheRest) {
    put("Anna\r\nBert\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n10\r\n20\r\nextra line\r\nand more\r\n");
    options_load();
    expect_numbers(1, 0, 1024, 768, 0, 10, 20);
    EXPECT_TRUE(options_save());
    EXPECT_EQ(file(), "Anna\r\nBert\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n10\r\n20\r\n");
    // A shorter content over a longer file leaves none of the old bytes behind.
    g_options.player1_name = std::string("A");  // assigning the literal trips a false -Wrestrict in GCC 12
    g_options.screen_width = 640;
    options_save();
    EXPECT_EQ(file(), "A\r\nBert\r\n1\r\n0\r\n640\r\n768\r\n0\r\n10\r\n20\r\n");
}

// A full disk: the save's one write takes half of its bytes and fails. No cut may follow.
TEST_F(OptionsTest, SaveThatStopsPartWayReportsItAndCutsNothing) {
    const std::string old = "Anna\r\nBert\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n10\r\n20\r\nextra line\r\n";
    put(old);
    options_load();
    g_options.player1_name = std::string("Annabelle");
    const OsSeam platform = os_seam();
    os_seam().file_write = [](OsFile file, const void* source, std::int32_t count) {
        return os_seam_platform().file_write(file, source, count / 2);
    };
    const bool saved = options_save();
    os_seam() = platform;
    EXPECT_FALSE(saved);
    // Of the save's 45 bytes, 22 went out over the old ones; a cut would have ended the file at 45.
    EXPECT_EQ(file(), "Annabelle\r\nBert\r\n1\r\n0\r" + old.substr(22));
}

TEST_F(OptionsTest, NegativeNumbersAndSpacedNamesSurvive) {
    put("  Anna \r\n\tBert  Berg\r\n-5\r\n7\r\n1366\r\n768\r\n0\r\n-5\r\n100\r\n");
    options_load();
    EXPECT_EQ(g_options.player1_name, "  Anna ");
    EXPECT_EQ(g_options.player2_name, "\tBert  Berg");
    expect_numbers(-5, 7, 1366, 768, 0, -5, 100);
    options_save();
    EXPECT_EQ(file(), "  Anna \r\n\tBert  Berg\r\n-5\r\n7\r\n1366\r\n768\r\n0\r\n-5\r\n100\r\n");
}

// Numbers are read the toolkit's way: "$" starts a hexadecimal number, reading stops at the first
// byte that does not belong, and text without a number reads as 0.
TEST_F(OptionsTest, NumberLinesAreReadByTheToolkitsParser) {
    put("Anna\r\nBob\r\n$10\r\n12px\r\nabc\r\n 7 \r\n\r\n%101\r\n-$a\r\n");
    set_start_up_defaults(800, 600);
    options_load();
    expect_numbers(16, 12, 0, 7, 0, 5, -10);
    options_save();
    EXPECT_EQ(file(), "Anna\r\nBob\r\n16\r\n12\r\n0\r\n7\r\n0\r\n5\r\n-10\r\n");
}

TEST_F(OptionsTest, NumbersAreRoundedHalfToEvenAndSaturated) {
    g_options.aux1 = 2.5;
    g_options.aux2 = 3.5;
    g_options.screen_width = -2.5;
    g_options.screen_height = std::numeric_limits<double>::quiet_NaN();
    g_options.aux3 = std::numeric_limits<double>::infinity();
    g_options.music_volume = -1e300;
    g_options.sound_volume = 99.51;
    options_save();
    EXPECT_EQ(file(), "\r\n\r\n2\r\n4\r\n-2\r\n0\r\n9223372036854775807\r\n-9223372036854775808\r\n100\r\n");
}

TEST_F(OptionsTest, LargestNumberLoadsAsTwoTo63AndIsWrittenBackSaturated) {
    put("a\r\nb\r\n9223372036854775807\r\n-9223372036854775808\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    options_load();
    EXPECT_EQ(g_options.aux1, std::ldexp(1.0, 63));
    options_save();
    EXPECT_EQ(file(), "a\r\nb\r\n9223372036854775807\r\n-9223372036854775808\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
}

TEST_F(OptionsTest, NamesAreWrittenUpToTheirFirstLineBreak) {
    set_start_up_defaults(1366, 768);
    g_options.player1_name = "Anna\r\n5";
    g_options.player2_name = "Bert\rX\nY";
    options_save();
    EXPECT_EQ(file(), "Anna\r\nBert\r\n1\r\n0\r\n1366\r\n768\r\n0\r\n100\r\n100\r\n");
    g_options.player1_name = "\nhidden";
    options_save();
    options_load();
    EXPECT_EQ(g_options.player1_name, "");
    EXPECT_EQ(g_options.player2_name, "Bert");
    expect_numbers(1, 0, 1366, 768, 0, 100, 100);
}

}  // namespace
