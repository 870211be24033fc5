#include "launcher/launcher_main.h"

#include "launcher/commands.h"
#include "launcher/options.h"
#include "launcher/options_message.h"
#include "launcher/options_window.h"
#include "toolkit/desktop/desktops.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"
#include "toolkit/process/programs.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"

namespace {

std::int32_t current_event = 0;
CommandHook command_hook = nullptr;

void toolkit_start() {
    heap_start();
    file_channels_init();
    windows_start();
    controls_init();
    programs_start();
}

void toolkit_end() {
    controls_end();
    windows_end();
    file_close_all();
    desktops_end();
    heap_end();
}

void set_defaults() {
    desktops_examine();
    g_options.screen_width = desktop_width(0);
    g_options.screen_height = desktop_height(0);
    g_options.aux1 = 1;
    g_options.music_volume = 100;
    g_options.sound_volume = 100;
}

// What start-up could not do with the options file, and the platform's reason.
struct StartFailure {
    enum { none, create, open } what = none;
    std::uint32_t error = 0;
};

// Only a missing file is a first run: a file that is there but cannot be opened (held by another
// program that shares it with nobody, for one) keeps the player's settings and is not written over.
StartFailure options_start() {
    if (!file_open_read(kOptionsChannel, kOptionsFile)) {
        const std::uint32_t error = file_last_error();
        if (!file_error_means_missing(error)) return {StartFailure::open, error};
        // A first start has no options file yet: write the defaults, then read them back as always.
        if (!options_create_default()) return {StartFailure::create, file_last_error()};
    }
    if (!options_load()) return {StartFailure::open, file_last_error()};
    return {};
}

void options_tell(const StartFailure& failure) {
    static constexpr wchar_t kNote[] = L"Das Fenster zeigt die Standardwerte.";
    if (failure.what == StartFailure::create)
        options_message_show(L"Die Einstellungen konnten im Ordner \"Data\" nicht angelegt werden.", kOptionsFolder,
                             failure.error, kNote);
    else
        options_message_show(L"Die Einstellungen konnten nicht gelesen werden.", kOptionsFile, failure.error, kNote);
}

// Each pass handles one event: the one that the previous pass's poll took, or else the one that a
// blocking wait brings. Nothing fetched is dropped: a click's press and release often arrive
// together, so the poll at the end of a pass regularly takes the click's gadget event.
void event_loop() {
    std::int32_t held = 0;
    for (;;) {
        if (held) {
            // The gadget register still names the held event's control: the poll that took it was
            // the last fetch.
            current_event = held;
            held = 0;
        } else {
            sleep_ms(1);
            current_event = wait_event();
        }
        g_options.sound_volume = control_get_state(kSoundSlider);
        g_options.music_volume = control_get_state(kMusicSlider);
        if (current_event == EV_CLOSE) return;
        std::int32_t gadget = -1;
        if (current_event == EV_GADGET) {
            gadget = event_gadget();
            if (command_hook && command_hook(gadget)) return;
        }
        held = poll_event();
        if (held == EV_CLOSE) return;
        if (gadget == kCancelButton) return;
    }
}

}  // namespace

int launcher_main() {
    g_options = Options{};
    current_event = 0;
    command_hook = command_dispatch;

    toolkit_start();
    set_defaults();
    const StartFailure failure = options_start();
    if (failure.what != StartFailure::none) {
        // Without a file the window shows what a first run writes, rather than blanks.
        g_options.player1_name = kDefaultPlayer1;
        g_options.player2_name = kDefaultPlayer2;
    }
    options_window_build();

    // Without its window the launcher could only wait for events that never come.
    if (window_handle(kOptionsWindow)) {
        // Once, over the window it explains.
        if (failure.what != StartFailure::none) options_tell(failure);
        event_loop();
    }

    toolkit_end();
    return 0;
}
