#include "launcher/options.h"

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

}  // namespace

bool options_create_default() {
    if (!file_create(kOptionsChannel, kOptionsFile)) return false;
    file_write_line(kOptionsChannel, kDefaultPlayer1);
    file_write_line(kOptionsChannel, kDefaultPlayer2);
    write_numbers();
    return file_close(kOptionsChannel) != 0;
}

bool options_load() {
    if (!file_open_read(kOptionsChannel, kOptionsFile)) return false;
    g_options.player1_name = file_read_line(kOptionsChannel);
    g_options.player2_name = file_read_line(kOptionsChannel);
    for (double Options::*field : kNumberFields)
        g_options.*field = static_cast<double>(text_to_int(file_read_line(kOptionsChannel).c_str()));
    file_close(kOptionsChannel);
    return true;
}

bool options_save() {
    if (!file_open(kOptionsChannel, kOptionsFile)) return false;
    write_name(g_options.player1_name);
    write_name(g_options.player2_name);
    write_numbers();
    // A channel that lost bytes refuses the cut and reports it again at the close.
    const bool cut = file_truncate(kOptionsChannel) != 0;
    return file_close(kOptionsChannel) != 0 && cut;
}
