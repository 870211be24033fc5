#include "toolkit/files/file_channels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "tests/files/file_test_support.h"
#include "toolkit/objects/os_seam.h"

// While set, every allocation through operator new fails, as it does when memory runs out. All
// the plain forms are replaced, so that each block goes back the way it came.
bool g_refuse_new = false;

void* operator new(std::size_t size) {
    if (!g_refuse_new)
        if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return g_refuse_new ? nullptr : std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}

// GCC sees free() given a block from operator new where both are inlined; these are the pair.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

using namespace std::string_literals;

// Overwritten os_seam() entries live as long as this does.
class SeamPatch {
  public:
    SeamPatch() : saved_(os_seam()) {}
    ~SeamPatch() { os_seam() = saved_; }
    SeamPatch(const SeamPatch&) = delete;
    SeamPatch& operator=(const SeamPatch&) = delete;

  private:
    OsSeam saved_;
};

int g_os_reads = 0;

std::int32_t counting_read(OsFile file, void* destination, std::int32_t count) {
    ++g_os_reads;
    return os_seam_platform().file_read(file, destination, count);
}

int g_os_seeks = 0;

std::int64_t counting_seek(OsFile file, std::int64_t distance, OsSeekFrom from) {
    ++g_os_seeks;
    return os_seam_platform().file_seek(file, distance, from);
}

void* failing_realloc(OsHeap, void*, std::size_t) {
    return nullptr;
}
void* failing_alloc(OsHeap, std::size_t) {
    return nullptr;
}

int g_reallocs = 0;

void* counting_realloc(OsHeap heap, void* block, std::size_t size) {
    ++g_reallocs;
    return os_seam_platform().heap_realloc(heap, block, size);
}

OsFile open_refusing_read_write_create(const char* name, OsOpen mode) {
    return mode == OsOpen::read_write_create ? 0 : os_seam_platform().file_open(name, mode);
}

OsOpen g_failed_mode = OsOpen::read_existing;

class ChannelTest : public ::testing::Test {
  protected:
    ~ChannelTest() override { file_buffer_size = 4096; }

    std::string name(const char* file) const { return folder_.file(file); }
    std::string bytes(const char* file) const { return read_bytes(folder_.path() / file); }
    void put(const char* file, const std::string& content) const { write_bytes(folder_.path() / file, content); }

    std::vector<std::string> read_lines(std::int32_t channel, int count) const {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back(file_read_line(channel));
        return lines;
    }

    TempFolder folder_;
    ToolkitFiles toolkit_;
};

// The cases that must hold whether a channel reads through its buffer or straight from the file.
class BothBufferings : public ChannelTest, public ::testing::WithParamInterface<std::int32_t> {
  protected:
    BothBufferings() { file_buffer_size = GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Channels, BothBufferings, ::testing::Values(4096, 0),
                         [](const ::testing::TestParamInfo<std::int32_t>& test) {
                             return test.param ? "Buffered"s : "Unbuffered"s;
                         });

TEST_P(BothBufferings, LineEndsCrLfCrLfAndNul) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const std::string long_x(4095, 'x');
    const Case cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d", "", ""}},
        {"x\n\ry", {"x", "", "y", ""}},
        {"ab\0cd\r\n"s, {"ab", "cd", ""}},
        {"last\r", {"last", "", ""}},
        {"", {"", ""}},
        {"\r\r\n\n", {"", "", "", ""}},
        // The CR ends the first buffer-full: the byte after it comes from the next refill.
        {long_x + "\ry\r", {long_x, "y", ""}},
    };
    for (const Case& c : cases) {
        put("lines.txt", c.content);
        ASSERT_NE(file_open_read(1, name("lines.txt").c_str()), 0);
        EXPECT_EQ(read_lines(1, static_cast<int>(c.lines.size())), c.lines) << c.content;
        file_close(1);
    }
}

TEST_P(BothBufferings, LongLinesComeBackWhole) {
    std::string line;
    for (int i = 0; i < 10000; ++i) line += static_cast<char>('a' + i % 26);
    put("long.txt", line + "\r\nnext\r\n");
    file_open_read(1, name("long.txt").c_str());
    EXPECT_EQ(file_read_line(1), line);
    EXPECT_EQ(file_read_line(1), "next");
}

TEST_P(BothBufferings, WritesReportTheirBytes) {
    ASSERT_NE(file_create(1, name("w.txt").c_str()), 0);
    EXPECT_EQ(file_write_line(1, ""), 2);
    EXPECT_EQ(file_write_line(1, nullptr), 2);
    EXPECT_EQ(file_write_text(1, ""), 0);
    EXPECT_EQ(file_write_text(1, nullptr), 0);
    EXPECT_EQ(file_write_line(1, "Aufl\xf6sung"), 11);
    EXPECT_EQ(file_write_text(1, "tail"), 4);
    EXPECT_EQ(file_position(1), 19);
    file_close(1);
    EXPECT_EQ(bytes("w.txt"), "\r\n\r\nAufl\xf6sung\r\ntail");
}

TEST_P(BothBufferings, TruncateCutsBehindAShorterWrite) {
    put("t.txt", std::string(100, '#'));
    ASSERT_NE(file_open(1, name("t.txt").c_str()), 0);
    for (const char* text : {"line 01", "line 02", "line 03", "line 04", "line 05"}) file_write_line(1, text);
    EXPECT_NE(file_truncate(1), 0);
    file_close(1);
    EXPECT_EQ(bytes("t.txt"), "line 01\r\nline 02\r\nline 03\r\nline 04\r\nline 05\r\n");
}

TEST_P(BothBufferings, WriteAfterReadsContinuesBehindTheLastLineRead) {
    put("rw.txt", "one\r\ntwo\r\nthree\r\nfour\r\n");
    file_open(1, name("rw.txt").c_str());
    EXPECT_EQ(read_lines(1, 2), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(file_position(1), 10);
    file_write_line(1, "X");
    EXPECT_EQ(file_position(1), 13);
    file_close(1);
    EXPECT_EQ(bytes("rw.txt"), "one\r\ntwo\r\nX\r\nee\r\nfour\r\n");
}

// A CR that ends the file has no byte after it to put back: the position stays behind the CR.
TEST_P(BothBufferings, LoneCrAtTheEndOfTheFileIsTakenWhole) {
    put("cr.txt", "one\r\nab\r");
    file_open(1, name("cr.txt").c_str());
    EXPECT_EQ(read_lines(1, 2), (std::vector<std::string>{"one", "ab"}));
    EXPECT_EQ(file_position(1), 8);
    EXPECT_EQ(file_read_line(1), "");
    EXPECT_EQ(file_position(1), 8);
    file_write_line(1, "X");
    EXPECT_EQ(file_position(1), 11);
    file_close(1);
    EXPECT_EQ(bytes("cr.txt"), "one\r\nab\rX\r\n");
}

TEST_P(BothBufferings, ReadAfterWriteFirstWritesTheLineOut) {
    put("wr.txt", "aaaa\r\nbbbb\r\ncccc\r\n");
    file_open(1, name("wr.txt").c_str());
    file_write_line(1, "1234");
    EXPECT_EQ(file_read_line(1), "bbbb");
    // Seeking drops the read-ahead and reports the low 32 bits of the new place.
    EXPECT_EQ(file_seek(1, 2), 2u);
    EXPECT_EQ(file_read_line(1), "34");
    EXPECT_EQ(file_seek(1, -1), 0xFFFFFFFFu);
    file_close(1);
    EXPECT_EQ(bytes("wr.txt"), "1234\r\nbbbb\r\ncccc\r\n");
}

TEST_P(BothBufferings, FailedLineAllocationReturnsWhatFitsAndLosesNothing) {
    std::string line;
    for (int i = 0; i < 10000; ++i) line += static_cast<char>('A' + i % 23);
    const std::string second(6000, 'B');
    put("oom.txt", line + "\r\nnext\r\n" + second + "\r\nlast");
    file_open_read(1, name("oom.txt").c_str());
    std::vector<std::string> pieces;
    {
        SeamPatch patch;
        os_seam().heap_realloc = failing_realloc;
        for (int i = 0; i < 3; ++i) pieces.push_back(file_read_line(1));
        os_seam().heap_alloc = failing_alloc;
        // A line that lies whole in the read-ahead needs no block. Without a buffer every line
        // needs one; then nothing is consumed, nor by the read after it.
        EXPECT_EQ(file_read_line(1), GetParam() ? "next" : "");
        // A line that goes on past the read-ahead needs a block in both cases.
        EXPECT_EQ(file_read_line(1), "");
    }
    EXPECT_EQ(pieces[0], line.substr(0, 4096));
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], line);
    if (!GetParam()) {
        EXPECT_EQ(file_read_line(1), "next");
    }
    EXPECT_EQ(file_read_line(1), second);
    EXPECT_EQ(file_read_line(1), "last");
}

// A line whose text cannot be had comes back empty and stays unread, whichever way it was read.
TEST_P(BothBufferings, LineWhoseTextCannotBeHadStaysUnread) {
    const std::string longer(6000, 'L');
    put("new.txt", "first\r\ntwenty bytes of text\r\n" + longer + "\r\nend");
    file_open_read(1, name("new.txt").c_str());
    // The first read fills the read-ahead, in which the next line then lies whole.
    EXPECT_EQ(file_read_line(1), "first");
    g_refuse_new = true;
    const bool short_empty = file_read_line(1).empty();
    g_refuse_new = false;
    EXPECT_TRUE(short_empty);
    EXPECT_EQ(file_read_line(1), "twenty bytes of text");
    g_refuse_new = true;
    const bool long_empty = file_read_line(1).empty();
    g_refuse_new = false;
    EXPECT_TRUE(long_empty);
    EXPECT_EQ(file_read_line(1), longer);
    EXPECT_EQ(file_read_line(1), "end");
}

// A line without a break may be as long as the file: its block must not be copied once per 4 KiB.
TEST_F(ChannelTest, AVeryLongLineGrowsItsBlockByDoubling) {
    const std::string line(8 << 20, 'x');
    put("huge.txt", line + "\nend");
    file_open_read(1, name("huge.txt").c_str());
    SeamPatch patch;
    g_reallocs = 0;
    os_seam().heap_realloc = counting_realloc;
    EXPECT_EQ(file_read_line(1), line);
    EXPECT_EQ(file_read_line(1), "end");
    // 8 MiB from 4 KiB is eleven doublings; growing by 4 KiB would take 2047 reallocations.
    EXPECT_LE(g_reallocs, 12);
}

TEST_F(ChannelTest, LineReaderTakesOneOsReadPerBufferFull) {
    std::string content;
    for (int i = 0; i < 300; ++i) content += std::string(40, static_cast<char>('a' + i % 26)) + "\r\n";
    put("count.txt", content);
    file_open_read(1, name("count.txt").c_str());
    SeamPatch patch;
    g_os_reads = 0;
    os_seam().file_read = counting_read;
    for (int i = 0; i < 300; ++i) ASSERT_EQ(file_read_line(1), std::string(40, static_cast<char>('a' + i % 26)));
    EXPECT_EQ(file_read_line(1), "");
    // 12,600 bytes fill four buffers; one more read meets the end of the file.
    EXPECT_EQ(g_os_reads, 5);
}

TEST_P(BothBufferings, PositionAndTruncateSeekOnlyWhenTheFilePointerIsElsewhere) {
    put("s.txt", std::string(100, '#') + "\r\n");
    ASSERT_NE(file_open(1, name("s.txt").c_str()), 0);
    SeamPatch patch;
    g_os_seeks = 0;
    os_seam().file_seek = counting_seek;
    for (const char* text : {"line 01", "line 02", "line 03"}) file_write_line(1, text);
    EXPECT_EQ(file_position(1), 27);
    EXPECT_NE(file_truncate(1), 0);
    EXPECT_EQ(file_position(1), 27);
    EXPECT_EQ(g_os_seeks, 0);
    // Read-ahead leaves the file pointer behind the logical position: one seek puts it back.
    EXPECT_EQ(file_seek(1, 0), 0u);
    EXPECT_EQ(file_read_line(1), "line 01");
    g_os_seeks = 0;
    EXPECT_EQ(file_position(1), 9);
    EXPECT_NE(file_truncate(1), 0);
    EXPECT_EQ(g_os_seeks, file_buffer_size ? 1 : 0);
    EXPECT_EQ(file_position(1), 9);
    file_write_line(1, "end");
    file_close(1);
    EXPECT_EQ(bytes("s.txt"), "line 01\r\nend\r\n");
}

TEST_F(ChannelTest, OpeningsCreateEmptyAndFail) {
    EXPECT_EQ(file_open_read(1, name("missing.txt").c_str()), 0);
    EXPECT_EQ(file_read_line(1), "");
    ASSERT_NE(file_open(2, name("made.txt").c_str()), 0);
    file_close(2);
    EXPECT_TRUE(std::filesystem::exists(folder_.path() / "made.txt"));
    put("full.txt", "old content\r\n");
    ASSERT_NE(file_create(3, name("full.txt").c_str()), 0);
    file_close(3);
    EXPECT_EQ(bytes("full.txt"), "");
    // A file that may be written but not read is emptied by the second try.
    put("full.txt", "old content\r\n");
    {
        SeamPatch patch;
        os_seam().file_open = open_refusing_read_write_create;
        ASSERT_NE(file_create(3, name("full.txt").c_str()), 0);
        file_write_line(3, "new");
        file_close(3);
        // When the second try fails too, for a reason of its own, the first one's is the one to tell.
        os_seam().file_open = [](const char*, OsOpen mode) {
            g_failed_mode = mode;
            return OsFile{0};
        };
        os_seam().last_error = [] { return 100 + static_cast<std::uint32_t>(g_failed_mode); };
        EXPECT_EQ(file_create(3, name("full.txt").c_str()), 0);
        EXPECT_EQ(file_last_error(), 100 + static_cast<std::uint32_t>(OsOpen::read_write_create));
    }
    EXPECT_EQ(bytes("full.txt"), "new\r\n");
}

TEST_F(ChannelTest, ReopeningANumberWritesTheOldFileOutFirst) {
    put("other.txt", "other\r\n");
    file_create(1, name("first.txt").c_str());
    file_write_line(1, "pending");
    ASSERT_NE(file_open_read(1, name("other.txt").c_str()), 0);
    EXPECT_EQ(bytes("first.txt"), "pending\r\n");
    EXPECT_EQ(file_read_line(1), "other");
    // A failing opening still closes the channel that held the number.
    file_create(2, name("second.txt").c_str());
    file_write_text(2, "kept");
    EXPECT_EQ(file_open_read(2, name("missing.txt").c_str()), 0);
    EXPECT_EQ(bytes("second.txt"), "kept");
    EXPECT_EQ(file_write_line(2, "lost"), 0);
}

TEST_F(ChannelTest, BigWriteAfterPendingOutputKeepsOrder) {
    std::string big;
    for (int i = 0; i < 5000; ++i) big += static_cast<char>('0' + i % 10);
    file_create(1, name("big.txt").c_str());
    file_write_text(1, "head");
    EXPECT_EQ(file_write_text(1, big.c_str()), 5000);
    file_write_text(1, "tail");
    EXPECT_EQ(file_position(1), 5008);
    file_close(1);
    EXPECT_EQ(bytes("big.txt"), "head" + big + "tail");
}

TEST_F(ChannelTest, PositionCountsPendingOutput) {
    file_create(1, name("pos.txt").c_str());
    for (const char* text : {"12345678", "abcdefgh", "ABCDEFGH"}) file_write_line(1, text);
    EXPECT_EQ(file_position(1), 30);
    EXPECT_EQ(std::filesystem::file_size(folder_.path() / "pos.txt"), 0u);
    file_close_all();
    EXPECT_EQ(bytes("pos.txt"), "12345678\r\nabcdefgh\r\nABCDEFGH\r\n");
}

TEST_F(ChannelTest, NumbersThatNameNoChannelDoNothing) {
    file_create(3, name("three.txt").c_str());
    file_close(3);
    for (std::int32_t channel : {0, 3, 15, 16, 100, -7, -2, ANY_NUMBER}) {
        EXPECT_EQ(file_write_line(channel, "x"), 0) << channel;
        EXPECT_EQ(file_write_text(channel, "x"), 0) << channel;
        EXPECT_EQ(file_read_line(channel), "") << channel;
        EXPECT_EQ(file_truncate(channel), 0) << channel;
        EXPECT_EQ(file_position(channel), -1) << channel;
        EXPECT_EQ(file_seek(channel, 0), 0u) << channel;
        file_close(channel);
    }
    EXPECT_EQ(bytes("three.txt"), "");
}

TEST_F(ChannelTest, AnyNumberChannelsLiveOutsideTheNumbers) {
    const auto first = static_cast<std::int32_t>(file_create(ANY_NUMBER, name("a.txt").c_str()));
    const auto second = static_cast<std::int32_t>(file_create(ANY_NUMBER, name("b.txt").c_str()));
    EXPECT_LT(first, ANY_NUMBER);
    EXPECT_LT(second, ANY_NUMBER);
    EXPECT_NE(first, second);
    EXPECT_EQ(file_open_read(ANY_NUMBER, name("missing.txt").c_str()), 0);
    EXPECT_EQ(file_write_line(first, "first"), 7);
    EXPECT_EQ(file_write_line(second, "second"), 8);
    file_close(ANY_NUMBER);
    EXPECT_EQ(file_position(first), 7);
    file_close(first);
    EXPECT_EQ(bytes("a.txt"), "first\r\n");
    EXPECT_EQ(file_position(first), -1);
    file_close_all();
    EXPECT_EQ(bytes("b.txt"), "second\r\n");
    EXPECT_EQ(file_position(second), -1);
}

}  // namespace
