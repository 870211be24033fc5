#include "launcher/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

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

// A full disk: the save's one write takes half of its bytes and fails. The file keeps its bytes.
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
    EXPECT_EQ(file(), old);
}

// The codes of the failures that the patched seam plants: a refusal of a new file or of the file's
// place ("?" in the rows below), and any other failure ("!").
constexpr std::uint32_t kRefused = 0x7E570001;
constexpr std::uint32_t kBroken = 0x7E570002;

const char* g_row = "";  // the calls of the row still to come
std::string g_calls;     // the calls made, marked as in the row
std::uint32_t g_error = 0;

// Logs a call of the seam; true when the row has it fail.
bool planted(const std::string& call) {
    const std::size_t length = std::strcspn(g_row, " ");
    const std::string planned(g_row, length);
    g_row += length + (g_row[length] ? 1 : 0);
    const bool fails = planned.size() == call.size() + 1 && planned.starts_with(call);
    if (fails) g_error = planned.back() == '?' ? kRefused : kBroken;
    g_calls += (g_calls.empty() ? "" : " ") + (fails ? planned : call);
    return fails;
}

// A write that fails takes half of its bytes, as on a full disk.
OsSeam faulty_seam() {
    OsSeam os = os_seam_platform();
    os.file_open = [](const char* name, OsOpen mode) {
        return planted("open") ? 0 : os_seam_platform().file_open(name, mode);
    };
    os.file_read = [](OsFile file, void* destination, std::int32_t count) {
        return planted("read") ? -1 : os_seam_platform().file_read(file, destination, count);
    };
    os.file_write = [](OsFile file, const void* source, std::int32_t count) {
        return os_seam_platform().file_write(file, source, planted("write") ? count / 2 : count);
    };
    os.file_truncate = [](OsFile file) { return !planted("truncate") && os_seam_platform().file_truncate(file); };
    os.file_sync = [](OsFile file) { return !planted("sync") && os_seam_platform().file_sync(file); };
    os.file_close = [](OsFile file) { return os_seam_platform().file_close(file) && !planted("close"); };
    os.file_replace = [](const char* from, const char* to) {
        return !planted("replace") && os_seam_platform().file_replace(from, to);
    };
    os.file_remove = [](const char* name) { return !planted("remove") && os_seam_platform().file_remove(name); };
    os.last_error = [] { return g_error; };
    os.error_means_refused = [](std::uint32_t code) { return code == kRefused; };
    return os;
}

// Each call of the seam in turn fails. The file then holds its old bytes, or on a first run there is
// none, and nothing else is left in the folder; the reason told is the first failure's, and after
// it nothing more is written, synced or replaced. Where the platform refuses a new file or the
// file's place, the new bytes go over the old ones. A read that fails part-way fails the load.
TEST_F(OptionsTest, EveryFailureLeavesTheFileOldOrNewAndNothingElse) {
    enum class Step { save, first_run, load };
    const std::pair<Step, const char*> rows[] = {
        {Step::save, "open write write sync close replace"},
        {Step::save, "open!"},
        {Step::save, "open write! close remove"},
        {Step::save, "open write write! close remove"},
        {Step::save, "open write write sync! close remove"},
        {Step::save, "open write write sync close! remove"},
        {Step::save, "open write write sync close replace! remove"},
        {Step::save, "open? open write write truncate sync close"},
        {Step::save, "open? open!"},
        {Step::save,
         "open write write sync close replace? open open read write read write read truncate sync close close remove"},
        {Step::save, "open write write sync close replace? open! remove"},
        {Step::first_run, "open write sync close replace"},
        {Step::first_run, "open!"},
        {Step::first_run, "open write! close remove"},
        {Step::first_run, "open write sync! close remove"},
        {Step::first_run, "open write sync close! remove"},
        {Step::first_run, "open write sync close replace! remove"},
        {Step::first_run, "open? open!"},
        {Step::load, "open read read! close"},
    };
    // The old file is the longer one, so that new bytes written over it must be followed by a cut.
    const std::string old = options_file_bytes({.player1_name = std::string(9000, 'o')});
    const Options before = {std::string(3000, 'A'), std::string(3000, 'B'), 1, 0, 1366, 768, 0, 100, 100};
    const std::string saved = options_file_bytes({.player1_name = before.player1_name,
                                                  .player2_name = before.player2_name,
                                                  .screen_width = "1366",
                                                  .music_volume = "100",
                                                  .sound_volume = "100"});
    for (const auto& [step, calls] : rows) {
        SCOPED_TRACE(calls);
        std::filesystem::remove(file_);
        if (step != Step::first_run) put(old);
        g_options = before;
        g_row = calls;
        g_calls.clear();
        os_seam() = faulty_seam();
        const bool done = step == Step::save        ? options_save()
                          : step == Step::first_run ? options_create_default()
                                                    : options_load();
        os_seam() = os_seam_platform();
        EXPECT_EQ(g_calls, calls);
        EXPECT_EQ(done, !std::strchr(calls, '!'));
        if (!done) {
            EXPECT_EQ(file_last_error(), *std::strpbrk(calls, "!?") == '?' ? kRefused : kBroken);
        }
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(file_.parent_path()))
            names.push_back(entry.path().filename().string());
        const bool none = step == Step::first_run && !done;
        EXPECT_EQ(names, none ? std::vector<std::string>{} : std::vector<std::string>{"Optionen.txt"});
        EXPECT_EQ(file(), step == Step::first_run ? (done ? first_run_file() : "") : done ? saved : old);
        EXPECT_EQ(g_options, before);
    }
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
