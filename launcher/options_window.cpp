#include "launcher/options_window.h"

#include "launcher/options.h"
#include "launcher/rounding.h"
#include "toolkit/text/number_text.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/window.h"

namespace {

// A title bar and a system menu with its close box; no sizing border, no minimise or maximise box.
constexpr std::int32_t kWindowFlags = 0xC80000;

}  // namespace

std::string resolution_text(double width, double height) {
    return int_to_text(round_to_int64(width)) + "*" + int_to_text(round_to_int64(height));
}

void options_window_build() {
    if (!window_open(kOptionsWindow, 478, 416, 370, 240, "Optionen", kWindowFlags)) return;
    if (!control_list_select(window_handle(kOptionsWindow))) return;

    label_create(kPlayer1Caption, 20, 20, 50, 20, "Spieler 1");
    text_field_create(kPlayer1Field, 80, 20, 240, 20, g_options.player1_name.c_str());
    label_create(kPlayer2Caption, 20, 50, 50, 20, "Spieler 2");
    label_create(kMusicCaption, 20, 110, 50, 20, "Musik");
    label_create(kSoundCaption, 20, 140, 50, 20, "Sounds");
    text_field_create(kPlayer2Field, 80, 50, 240, 20, g_options.player2_name.c_str());

    list_create(kResolutionList, 80, 80, 190, 20);
    for (std::int32_t item = 0; item < kFixedResolutionCount; ++item)
        list_add_item(kResolutionList, item, kResolutions[item].text);

    button_create(kLaunchButton, 220, 180, 135, 30, "Zum Zindrop Launcher");

    // The list always opens on the resolution the file holds, even when a fixed item equals it.
    list_add_item(kResolutionList, kCurrentResolutionItem,
                  resolution_text(g_options.screen_width, g_options.screen_height).c_str());
    control_set_state(kResolutionList, kCurrentResolutionItem);

    label_create(kResolutionCaption, 20, 80, 60, 20, "Aufl\xF6sung");
    label_create(kCreditLabel, 257, 227, 120, 20, "Vellmark Software");
    slider_create(kMusicSlider, 80, 110, 250, 30, 0, 100);
    slider_create(kSoundSlider, 80, 140, 250, 30, 0, 100);
    button_create(kSaveButton, 20, 180, 90, 30, "Speichern");
    button_create(kCancelButton, 120, 180, 90, 30, "Abbrechen");
    button_create(kNativeButton, 275, 80, 90, 22, "Native Aufl\xF6sung");

    // A hand-edited volume may lie far outside the slider's range: saturate, the slider clamps.
    control_set_state(kMusicSlider, round_to_int32(g_options.music_volume));
    control_set_state(kSoundSlider, round_to_int32(g_options.sound_volume));
}
