#include "launcher/options.h"

#include <utility>

#include "launcher/rounding.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/text/number_text.h"

Options g_options;

namespace {

// The numeric settings in the order of their lines (3 to 9) in the file.
constexpr double Options::*kNumberFields[] = {
    &Options::aux1, &Options::aux2,         &Options::screen_width, &Options::screen_height,
    &Options::aux3, &Options::music_volume, &Options::sound_volume,
};

// Every setting is one line: a name is written only up to its first line break, so that a break
// inside it cannot shift the lines after it.
void write_name(const std::string& name) {
    file_write_line(kOptionsChannel, name.substr(0, name.find_first_of("\r\n")).c_str());
}

void write_numbers() {
    for (double Options::*field : kNumberFields)
        file_write_line(kOptionsChannel, int_to_text(round_to_int64(g_options.*field)).c_str());
}

// The whole file or nothing: a new file beside it takes its place once written, so that a failure
// at any step leaves the old file, or on a first run none, and the next start is a first run again.
bool options_write(const std::string& player1_name, const std::string& player2_name) {
    if (!file_replace(kOptionsChannel, kOptionsFile)) return false;
    write_name(player1_name);
    write_name(player2_name);
    write_numbers();
    return file_close(kOptionsChannel) != 0;
}

}  // namespace

bool options_create_default() {
    return options_write(kDefaultPlayer1, kDefaultPlayer2);
}

bool options_load() {
    if (!file_open_read(kOptionsChannel, kOptionsFile)) return false;
    Options loaded{};
    loaded.player1_name = file_read_line(kOptionsChannel);
    loaded.player2_name = file_read_line(kOptionsChannel);
    for (double Options::*field : kNumberFields)
        loaded.*field = static_cast<double>(text_to_int(file_read_line(kOptionsChannel).c_str()));
    // A read that failed part-way gave empty lines for the rest, which are no settings.
    if (!file_close(kOptionsChannel)) return false;
    g_options = std::move(loaded);
    return true;
}

bool options_save() {
    return options_write(g_options.player1_name, g_options.player2_name);
}
