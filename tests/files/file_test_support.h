#pragma once
// Helpers for tests on real files: a temporary folder that deletes itself, whole-file reads and
// writes that bypass the toolkit, and the toolkit's heap and channel table for one test.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"

// A new folder under the system's temporary folder; with enter, also the working directory until
// the folder goes.
class TempFolder {
  public:
    explicit TempFolder(bool enter = false) {
        std::random_device seed;
        std::mt19937_64 random(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("launcher-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        if (enter) {
            previous_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full name of a file in the folder, as the toolkit takes it.
    std::string file(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

inline std::string read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The private heap and the channel table, as start-up makes them; closes every channel and
// destroys the heap at the end.
class ToolkitFiles {
  public:
    ToolkitFiles() {
        heap_start();
        file_channels_init();
    }
    ~ToolkitFiles() {
        file_close_all();
        heap_end();
    }
    ToolkitFiles(const ToolkitFiles&) = delete;
    ToolkitFiles& operator=(const ToolkitFiles&) = delete;
};
