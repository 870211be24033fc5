#include "launcher/commands.h"

#include <optional>
#include <string>
#include <utility>

#include "launcher/options.h"
#include "launcher/options_message.h"
#include "launcher/options_window.h"
#include "toolkit/desktop/desktops.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/process/programs.h"
#include "toolkit/ui/controls.h"

namespace {

constexpr const char* kGameProgram = "Zindrop Alpha.exe";
constexpr const wchar_t* kSaveFailed = L"Die Einstellungen konnten nicht gespeichert werden.";

// A name field's text into *name; when it cannot be read, the player is told and nothing is saved,
// rather than an empty name.
bool read_name(std::int32_t field, std::string* name) {
    std::optional<std::string> text = control_get_text(field);
    if (!text) {
        options_message_show(kSaveFailed, kOptionsFile, control_last_error(),
                             L"Die Namen der Spieler konnten nicht aus dem Fenster gelesen werden.");
        return false;
    }
    *name = std::move(*text);
    return true;
}

}  // namespace

bool command_dispatch(std::int32_t gadget) {
    if (gadget == kNativeButton) {
        command_native_resolution();
    } else if (gadget == kSaveButton) {
        command_save();
    } else if (gadget == kLaunchButton) {
        command_launch_game();
        return true;
    }
    return false;
}

void command_native_resolution() {
    // The desktops were examined at start-up; a display change since then is not seen.
    g_options.screen_width = desktop_width(0);
    g_options.screen_height = desktop_height(0);
    control_set_item_text(kResolutionList, kCurrentResolutionItem,
                          resolution_text(g_options.screen_width, g_options.screen_height).c_str());
    control_set_state(kResolutionList, kCurrentResolutionItem);
}

void command_save() {
    std::int32_t item = control_get_state(kResolutionList);
    if (item >= 0 && item < kFixedResolutionCount) {
        g_options.screen_width = kResolutions[item].width;
        g_options.screen_height = kResolutions[item].height;
    }
    g_options.aux3 = 0;
    if (!read_name(kPlayer1Field, &g_options.player1_name) || !read_name(kPlayer2Field, &g_options.player2_name))
        return;
    // The window keeps what the player set, so that the cause can be mended and the save repeated.
    if (!options_save()) options_message_show(kSaveFailed, kOptionsFile, file_last_error(), nullptr);
}

void command_launch_game() {
    // The game runs on by itself; whether it started or not, the launcher ends.
    program_run(kGameProgram);
}
