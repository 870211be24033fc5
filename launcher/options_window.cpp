#include "launcher/options_window.h"

#include "launcher/options.h"
#include "launcher/rounding.h"
#include "launcher/window_layout.h"
#include "toolkit/desktop/display_scale.h"
#include "toolkit/text/number_text.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/window.h"

namespace {

// A title bar and a system menu with its close box; no sizing border, no minimise or maximise box.
constexpr std::int32_t kWindowFlags = 0xC80000;

// The window's place and client size in 96-DPI pixels.
constexpr ScreenPoint kWindowPlace = {478, 416};
constexpr std::int32_t kClientWidth = 370;
constexpr std::int32_t kClientHeight = 240;

// Turns the 96-DPI layout below into device pixels at the display's scale, read once per build.
struct Scale {
    std::int32_t dpi;
    std::int32_t operator()(std::int32_t pixels) const { return scale_to_dpi(pixels, dpi); }
};

// The place for the window's outer top-left corner: the layout's own, unless the window would then
// reach past the work area's right or bottom edge, as on a small screen or at a large scale.
ScreenPoint window_place(const Scale& px) {
    RECT outer = {0, 0, px(kClientWidth), px(kClientHeight)};
    AdjustWindowRectEx(&outer, kWindowFlags, FALSE, 0);
    const RECT area = desktop_work_area();
    return place_inside({px(kWindowPlace.x), px(kWindowPlace.y)}, outer.right - outer.left, outer.bottom - outer.top,
                        {area.left, area.top, area.right, area.bottom});
}

}  // namespace

std::string resolution_text(double width, double height) {
    return int_to_text(round_to_int64(width)) + "*" + int_to_text(round_to_int64(height));
}

void options_window_build() {
    const Scale px{desktop_dpi()};
    const ScreenPoint place = window_place(px);
    if (!window_open(kOptionsWindow, place.x, place.y, px(kClientWidth), px(kClientHeight), "Optionen", kWindowFlags))
        return;
    if (!control_list_select(window_handle(kOptionsWindow))) return;

    label_create(kPlayer1Caption, px(20), px(20), px(50), px(20), "Spieler 1");
    text_field_create(kPlayer1Field, px(80), px(20), px(240), px(20), g_options.player1_name.c_str());
    label_create(kPlayer2Caption, px(20), px(50), px(50), px(20), "Spieler 2");
    label_create(kMusicCaption, px(20), px(110), px(50), px(20), "Musik");
    label_create(kSoundCaption, px(20), px(140), px(50), px(20), "Sounds");
    text_field_create(kPlayer2Field, px(80), px(50), px(240), px(20), g_options.player2_name.c_str());

    list_create(kResolutionList, px(80), px(80), px(190), px(20));
    for (std::int32_t item = 0; item < kFixedResolutionCount; ++item)
        list_add_item(kResolutionList, item, kResolutions[item].text);

    button_create(kLaunchButton, px(220), px(180), px(135), px(30), "Zum Zindrop Launcher");

    // The list always opens on the resolution the file holds, even when a fixed item equals it.
    list_add_item(kResolutionList, kCurrentResolutionItem,
                  resolution_text(g_options.screen_width, g_options.screen_height).c_str());
    control_set_state(kResolutionList, kCurrentResolutionItem);

    label_create(kResolutionCaption, px(20), px(80), px(60), px(20), "Aufl\xF6sung");
    label_create(kCreditLabel, px(257), px(227), px(120), px(20), "Vellmark Software");
    slider_create(kMusicSlider, px(80), px(110), px(250), px(30), 0, 100);
    slider_create(kSoundSlider, px(80), px(140), px(250), px(30), 0, 100);
    button_create(kSaveButton, px(20), px(180), px(90), px(30), "Speichern");
    button_create(kCancelButton, px(120), px(180), px(90), px(30), "Abbrechen");
    button_create(kNativeButton, px(275), px(80), px(90), px(22), "Native Aufl\xF6sung");

    // A hand-edited volume may lie far outside the slider's range: saturate, the slider clamps.
    control_set_state(kMusicSlider, round_to_int32(g_options.music_volume));
    control_set_state(kSoundSlider, round_to_int32(g_options.sound_volume));
}
