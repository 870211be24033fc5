// Line reading and writing through file channels against the C and C++ libraries, on 64 MiB
// files of short lines (1 to 30 bytes) and of long lines (1,000 to 16,000 bytes), every line
// ended by CR LF. Each iteration reads or writes the whole file; the files lie in the current
// folder. Run with --benchmark_repetitions and compare medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"

namespace {

constexpr std::size_t kFileBytes = std::size_t{64} << 20;
constexpr std::int32_t kChannel = 1;

struct LineFile {
    const char* path;
    std::size_t shortest;
    std::size_t longest;
    std::vector<std::string> lines;
};

LineFile g_short = {"short_lines.txt", 1, 30, {}};
LineFile g_long = {"long_lines.txt", 1000, 16000, {}};

// Lines of printable bytes, the same on every run; written once and kept for the write benchmarks.
void make_file(LineFile& file) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> length(file.shortest, file.longest);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::size_t total = 0;
    while (total < kFileBytes) {
        std::string line(length(random), ' ');
        for (char& c : line) c = static_cast<char>(letter(random));
        total += line.size() + 2;
        file.lines.push_back(std::move(line));
    }
    std::FILE* out = std::fopen(file.path, "wb");
    for (const std::string& line : file.lines) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fwrite("\r\n", 1, 2, out);
    }
    std::fclose(out);
}

std::size_t file_bytes(const LineFile& file) {
    std::size_t total = 0;
    for (const std::string& line : file.lines) total += line.size() + 2;
    return total;
}

void finish(benchmark::State& state, const LineFile& file, std::size_t lines) {
    if (lines != file.lines.size()) state.SkipWithError("wrong number of lines");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_bytes(file)));
}

void file_read_line_bench(benchmark::State& state, LineFile* file) {
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        file_open_read(kChannel, file->path);
        // No line is empty: the empty text means the end of the file.
        for (std::string line = file_read_line(kChannel); !line.empty(); line = file_read_line(kChannel)) ++lines;
        file_close(kChannel);
    }
    finish(state, *file, lines);
}

void fgets_bench(benchmark::State& state, LineFile* file) {
    std::vector<char> buffer(file->longest + 3);
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        std::FILE* in = std::fopen(file->path, "rb");
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), in)) ++lines;
        std::fclose(in);
    }
    finish(state, *file, lines);
}

// fgets, each line then handed out as a new string, as file_read_line hands out its lines.
void fgets_string_bench(benchmark::State& state, LineFile* file) {
    std::vector<char> buffer(file->longest + 3);
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        std::FILE* in = std::fopen(file->path, "rb");
        std::string line;
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), in)) {
            // Without the CR LF, which every line of the file has.
            line = std::string(buffer.data(), std::strlen(buffer.data()) - 2);
            benchmark::DoNotOptimize(line);
            ++lines;
        }
        std::fclose(in);
    }
    finish(state, *file, lines);
}

void getline_bench(benchmark::State& state, LineFile* file) {
    std::size_t lines = 0;
    for (auto _ : state) {
        lines = 0;
        std::ifstream in(file->path, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) ++lines;
    }
    finish(state, *file, lines);
}

void file_write_line_bench(benchmark::State& state, LineFile* file) {
    for (auto _ : state) {
        file_create(kChannel, "written.txt");
        for (const std::string& line : file->lines) file_write_line(kChannel, line.c_str());
        file_close(kChannel);
    }
    finish(state, *file, file->lines.size());
}

// The text and its CR LF, as two writes into the stream's buffer.
void fwrite_bench(benchmark::State& state, LineFile* file) {
    for (auto _ : state) {
        std::FILE* out = std::fopen("written.txt", "wb");
        for (const std::string& line : file->lines) {
            std::fwrite(line.data(), 1, line.size(), out);
            std::fwrite("\r\n", 1, 2, out);
        }
        std::fclose(out);
    }
    finish(state, *file, file->lines.size());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    heap_start();
    file_channels_init();
    make_file(g_short);
    make_file(g_long);
    for (LineFile* file : {&g_short, &g_long}) {
        std::string kind = file == &g_short ? "short" : "long";
        benchmark::RegisterBenchmark(("read/" + kind + "/file_read_line").c_str(), file_read_line_bench, file);
        benchmark::RegisterBenchmark(("read/" + kind + "/fgets").c_str(), fgets_bench, file);
        benchmark::RegisterBenchmark(("read/" + kind + "/getline").c_str(), getline_bench, file);
        benchmark::RegisterBenchmark(("read/" + kind + "/fgets_string").c_str(), fgets_string_bench, file);
        benchmark::RegisterBenchmark(("write/" + kind + "/file_write_line").c_str(), file_write_line_bench, file);
        benchmark::RegisterBenchmark(("write/" + kind + "/fwrite").c_str(), fwrite_bench, file);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    file_close_all();
    heap_end();
    std::remove(g_short.path);
    std::remove(g_long.path);
    std::remove("written.txt");
    return 0;
}
