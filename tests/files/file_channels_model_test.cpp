// Random sequences of channel operations on a real file, checked step by step against a plain
// in-memory model of the file's bytes and the logical position.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "tests/files/file_test_support.h"
#include "toolkit/files/file_channels.h"

namespace {

struct FileModel {
    std::string bytes;
    std::size_t position = 0;

    void write(const std::string& text) {
        if (position + text.size() > bytes.size()) bytes.resize(position + text.size());
        bytes.replace(position, text.size(), text);
        position += text.size();
    }

    std::string read_line() {
        std::string line;
        while (position < bytes.size()) {
            char byte = bytes[position++];
            if (byte == '\0' || byte == '\n') break;
            if (byte == '\r') {
                if (position < bytes.size() && bytes[position] == '\n') ++position;
                break;
            }
            line += byte;
        }
        return line;
    }
};

class Generator {
  public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}

    std::size_t below(std::size_t limit) { return std::uniform_int_distribution<std::size_t>(0, limit - 1)(random_); }

    // Mostly short texts, now and then one longer than a buffer. Line ends inside them make lines of
    // their own when read back, also across buffer boundaries.
    std::string text(bool with_nul = false) {
        static const char kBytes[] = {'a', 'b', 'Z', '\r', '\n', '\xe9', ' ', '\0'};
        std::size_t kind = below(10);
        std::size_t length = kind < 7 ? below(20) : kind < 9 ? below(200) : below(9000);
        std::string result;
        for (std::size_t i = 0; i < length; ++i) result += kBytes[below(with_nul ? 8 : 7)];
        return result;
    }

  private:
    std::mt19937 random_;
};

void run_sequence(std::uint32_t seed, std::int32_t buffer_size) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", buffer " + std::to_string(buffer_size));
    TempFolder folder;
    ToolkitFiles toolkit;
    file_buffer_size = buffer_size;
    const std::string name = folder.file("model.txt");
    Generator generate(seed);
    FileModel model;
    model.bytes = generate.text(true);
    write_bytes(name, model.bytes);
    ASSERT_NE(file_open(1, name.c_str()), 0);

    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        switch (generate.below(8)) {
            case 0: {
                std::string text = generate.text();
                ASSERT_EQ(file_write_line(1, text.c_str()), static_cast<std::int64_t>(text.size() + 2));
                model.write(text + "\r\n");
                break;
            }
            case 1: {
                std::string text = generate.text();
                ASSERT_EQ(file_write_text(1, text.c_str()), static_cast<std::int64_t>(text.size()));
                model.write(text);
                break;
            }
            case 2:
            case 3:
                ASSERT_EQ(file_read_line(1), model.read_line());
                break;
            case 4: {
                model.position = generate.below(model.bytes.size() + 1);
                ASSERT_EQ(file_seek(1, static_cast<std::int64_t>(model.position)), model.position);
                break;
            }
            case 5:
                ASSERT_EQ(file_position(1), static_cast<std::int64_t>(model.position));
                break;
            case 6:
                ASSERT_NE(file_truncate(1), 0);
                model.bytes.resize(model.position);
                break;
            case 7:
                file_close(1);
                ASSERT_EQ(read_bytes(name), model.bytes);
                ASSERT_NE(file_open(1, name.c_str()), 0);
                model.position = 0;
                break;
        }
    }
    file_close(1);
    EXPECT_EQ(read_bytes(name), model.bytes);
    file_buffer_size = 4096;
}

TEST(FileChannelModel, RandomOperationsMatchTheModel) {
    // The real size, sizes that put every boundary in reach of short texts, and no buffer at all.
    for (std::int32_t buffer_size : {4096, 64, 7, 2, 1, 0})
        for (std::uint32_t seed = 1; seed <= 12; ++seed) {
            run_sequence(seed, buffer_size);
            if (::testing::Test::HasFatalFailure()) return;
        }
}

}  // namespace
