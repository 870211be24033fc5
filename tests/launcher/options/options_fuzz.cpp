// Any bytes as the options file: loading and saving them must give exactly nine lines, each ended
// by CR LF, and loading and saving that file again must give the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "launcher/options.h"
#include "tests/files/file_test_support.h"
#include "toolkit/objects/os_seam.h"

namespace {

// Whether the bytes are nine lines, each ended by CR LF, with no other CR, LF or NUL in them.
bool is_nine_lines(const std::string& bytes) {
    std::size_t lines = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        char byte = bytes[at];
        if (byte == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') {
            ++lines;
            ++at;
        } else if (byte == '\r' || byte == '\n' || byte == '\0') {
            return false;
        }
    }
    return lines == 9 && bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
}

// The fuzzer keeps its working directory, so that relative corpus and crash paths mean what they
// say: the options file's relative name is resolved in a temporary folder at the seam instead.
std::string g_folder;

OsFile open_in_folder(const char* name, OsOpen mode) {
    return os_seam_platform().file_open((g_folder + name).c_str(), mode);
}

// The bytes of the file are what counts here, not that they reach the disk: a rename and no
// flushes keep the fuzzer fast.
std::string posix_name(const char* name) {
    std::string path = g_folder + name;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool replace_in_folder(const char* from, const char* to) {
    return std::rename(posix_name(from).c_str(), posix_name(to).c_str()) == 0;
}

bool remove_in_folder(const char* name) {
    return os_seam_platform().file_remove((g_folder + name).c_str());
}

std::string load_and_save(const std::filesystem::path& file) {
    g_options = Options{};
    options_load();
    options_save();
    return read_bytes(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One folder for the whole run, removed when the fuzzer exits.
    static TempFolder folder;
    static ToolkitFiles toolkit;
    static const std::filesystem::path file = [] {
        std::filesystem::create_directory(folder.path() / "Data");
        g_folder = (folder.path() / "").string();
        os_seam().file_open = open_in_folder;
        os_seam().file_replace = replace_in_folder;
        os_seam().file_remove = remove_in_folder;
        os_seam().file_sync = [](OsFile) { return true; };
        return folder.path() / "Data" / "Optionen.txt";
    }();

    write_bytes(file, std::string(reinterpret_cast<const char*>(data), size));
    std::string saved = load_and_save(file);
    if (!is_nine_lines(saved)) std::abort();
    if (load_and_save(file) != saved) std::abort();
    return 0;
}
