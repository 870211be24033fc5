#include "tests/support/options_file.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

// The build passes the source tree's path; a Windows program under Wine reaches the Unix root
// through drive Z:.
std::string first_run_path() {
    std::string path = FIRST_RUN_FILE;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
    return path;
}

}  // namespace

std::string options_file_bytes(const OptionsLines& lines, std::string_view line_end) {
    std::string bytes;
    for (const std::string* line :
         {&lines.player1_name, &lines.player2_name, &lines.aux1, &lines.aux2, &lines.screen_width, &lines.screen_height,
          &lines.aux3, &lines.music_volume, &lines.sound_volume}) {
        bytes += *line;
        bytes += line_end;
    }
    return bytes;
}

std::string first_run_file() {
    std::ifstream in(first_run_path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string first_run_file(int width, int height) {
    const std::string bytes = first_run_file();
    std::vector<std::string> read;
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        read.push_back(bytes.substr(start, end - start));
    if (read.size() != 9) return {};
    return options_file_bytes(
        {read[0], read[1], read[2], read[3], std::to_string(width), std::to_string(height), read[6], read[7], read[8]});
}
