// OS calls of one options save and of one load of the 50-byte options file, counted through the
// file functions of the OS seam, and the time one save takes against the save in place that the
// launcher made before (its file opened, the nine lines written over it, cut, closed). Prints
// "value calls <operation>/<call> <count>" for each kind of call and "median save_us <way> <us>"
// for each way of saving. Runs in the current folder, where it makes Data/Optionen.txt.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "launcher/options.h"
#include "launcher/rounding.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"
#include "toolkit/text/number_text.h"

namespace {

constexpr int kRounds = 51;

struct Counts {
    int open, read, write, seek, truncate, sync, close, replace, remove;
};

Counts g_counts;

OsFile counting_open(const char* name, OsOpen mode) {
    ++g_counts.open;
    return os_seam_platform().file_open(name, mode);
}

std::int32_t counting_read(OsFile file, void* destination, std::int32_t count) {
    ++g_counts.read;
    return os_seam_platform().file_read(file, destination, count);
}

std::int32_t counting_write(OsFile file, const void* source, std::int32_t count) {
    ++g_counts.write;
    return os_seam_platform().file_write(file, source, count);
}

std::int64_t counting_seek(OsFile file, std::int64_t distance, OsSeekFrom from) {
    ++g_counts.seek;
    return os_seam_platform().file_seek(file, distance, from);
}

bool counting_truncate(OsFile file) {
    ++g_counts.truncate;
    return os_seam_platform().file_truncate(file);
}

bool counting_sync(OsFile file) {
    ++g_counts.sync;
    return os_seam_platform().file_sync(file);
}

bool counting_close(OsFile file) {
    ++g_counts.close;
    return os_seam_platform().file_close(file);
}

bool counting_replace(const char* from, const char* to) {
    ++g_counts.replace;
    return os_seam_platform().file_replace(from, to);
}

bool counting_remove(const char* name) {
    ++g_counts.remove;
    return os_seam_platform().file_remove(name);
}

void print(const char* operation, const Counts& counts) {
    const std::pair<const char*, int> calls[] = {
        {"open", counts.open},   {"read", counts.read},         {"write", counts.write},
        {"seek", counts.seek},   {"truncate", counts.truncate}, {"sync", counts.sync},
        {"close", counts.close}, {"replace", counts.replace},   {"remove", counts.remove},
    };
    for (const auto& [call, count] : calls) std::printf("value calls %s/%s %d\n", operation, call, count);
}

// The save as the launcher made it before it replaced the file whole.
bool save_in_place() {
    if (!file_open(kOptionsChannel, kOptionsFile)) return false;
    file_write_line(kOptionsChannel, g_options.player1_name.c_str());
    file_write_line(kOptionsChannel, g_options.player2_name.c_str());
    for (double value : {g_options.aux1, g_options.aux2, g_options.screen_width, g_options.screen_height,
                         g_options.aux3, g_options.music_volume, g_options.sound_volume})
        file_write_line(kOptionsChannel, int_to_text(round_to_int64(value)).c_str());
    const bool cut = file_truncate(kOptionsChannel) != 0;
    return file_close(kOptionsChannel) != 0 && cut;
}

// The replacement without asking the system to put anything on the disk: what the flushes cost.
bool unsynced_sync(OsFile) {
    return true;
}
// The names the save hands over, as this platform writes them.
bool unsynced_replace(const char*, const char*) {
    return std::rename("Data/Optionen.txt.new", "Data/Optionen.txt") == 0;
}
bool save_unsynced() {
    OsSeam& os = os_seam();
    os.file_sync = unsynced_sync;
    os.file_replace = unsynced_replace;
    const bool saved = options_save();
    os = os_seam_platform();
    return saved;
}

double microseconds_of(bool (*save)()) {
    const auto start = std::chrono::steady_clock::now();
    if (!save()) std::fprintf(stderr, "a save failed\n");
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main() {
    mkdir("Data", 0777);
    heap_start();
    file_channels_init();
    // The defaults of a first start on a 1366 x 768 desktop: the 50-byte first-run file.
    g_options = Options{};
    g_options.aux1 = 1;
    g_options.screen_width = 1366;
    g_options.screen_height = 768;
    g_options.music_volume = 100;
    g_options.sound_volume = 100;
    options_create_default();
    options_load();

    struct stat info;
    if (stat("Data/Optionen.txt", &info) != 0 || info.st_size != 50) {
        std::fprintf(stderr, "the options file is not the expected 50 bytes\n");
        return 1;
    }

    OsSeam& os = os_seam();
    os.file_open = counting_open;
    os.file_read = counting_read;
    os.file_write = counting_write;
    os.file_seek = counting_seek;
    os.file_truncate = counting_truncate;
    os.file_sync = counting_sync;
    os.file_close = counting_close;
    os.file_replace = counting_replace;
    os.file_remove = counting_remove;

    g_counts = {};
    options_save();
    print("save", g_counts);
    g_counts = {};
    options_load();
    print("load", g_counts);
    os = os_seam_platform();

    // The ways take turns, so that the machine's moments fall on each alike.
    std::vector<double> in_place, replaced, unsynced;
    for (int round = 0; round < kRounds; ++round) {
        in_place.push_back(microseconds_of(save_in_place));
        replaced.push_back(microseconds_of(options_save));
        unsynced.push_back(microseconds_of(save_unsynced));
    }
    std::printf("median save_us in_place %.1f\n", median(in_place));
    std::printf("median save_us replace %.1f\n", median(replaced));
    std::printf("median save_us replace_unsynced %.1f\n", median(unsynced));

    file_close_all();
    heap_end();
    return 0;
}
