// OS calls of one options save and of one load of the 50-byte options file, counted through the
// file functions of the OS seam. Prints "value calls <operation>/<call> <count>" for each kind of
// call. Runs in the current folder, where it makes Data/Optionen.txt.
#include <sys/stat.h>

#include <cstdio>

#include "launcher/options.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"

namespace {

struct Counts {
    int open, read, write, seek, truncate, close;
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

void counting_close(OsFile file) {
    ++g_counts.close;
    os_seam_platform().file_close(file);
}

void print(const char* operation, const Counts& counts) {
    std::printf("value calls %s/open %d\n", operation, counts.open);
    std::printf("value calls %s/read %d\n", operation, counts.read);
    std::printf("value calls %s/write %d\n", operation, counts.write);
    std::printf("value calls %s/seek %d\n", operation, counts.seek);
    std::printf("value calls %s/truncate %d\n", operation, counts.truncate);
    std::printf("value calls %s/close %d\n", operation, counts.close);
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
    os.file_close = counting_close;

    g_counts = {};
    options_save();
    print("save", g_counts);
    g_counts = {};
    options_load();
    print("load", g_counts);

    os = os_seam_platform();
    file_close_all();
    heap_end();
    return 0;
}
