#include "tests/support/options_file.h"

#include <fstream>
#include <iterator>

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

std::optional<std::vector<std::string>> split_crlf_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos || bytes.compare(end, 2, "\r\n") != 0) return std::nullopt;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string first_run_file() {
    std::ifstream in(first_run_path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string first_run_file(int width, int height) {
    const std::optional<std::vector<std::string>> read = split_crlf_lines(first_run_file());
    if (!read || read->size() != 9) return {};
    const std::vector<std::string>& line = *read;
    return options_file_bytes(
        {line[0], line[1], line[2], line[3], std::to_string(width), std::to_string(height), line[6], line[7], line[8]});
}
