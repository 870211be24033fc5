#include "launcher/options_window.h"

#include "launcher/options.h"
#include "launcher/options_window_layout.h"
#include "launcher/rounding.h"
#include "launcher/window_layout.h"
#include "toolkit/desktop/display_scale.h"
#include "toolkit/text/number_text.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/dialog.h"
#include "toolkit/ui/window.h"

namespace {

// Turns the 96-DPI layout into device pixels at a display scale.
struct Scale {
    std::int32_t dpi;
    std::int32_t operator()(std::int32_t pixels) const { return scale_to_dpi(pixels, dpi); }
};

// The place for the window's outer top-left corner: the layout's own, unless the window would then
// reach past the work area's right or bottom edge, as on a small screen or at a large scale.
ScreenPoint window_place(const Scale& px, const RECT& area) {
    RECT outer = {0, 0, px(kOptionsClientWidth), px(kOptionsClientHeight)};
    AdjustWindowRectEx(&outer, kOptionsWindowFlags, FALSE, 0);
    return place_inside({px(kOptionsWindowPlace.x), px(kOptionsWindowPlace.y)}, outer.right - outer.left,
                        outer.bottom - outer.top, {area.left, area.top, area.right, area.bottom});
}

void control_create(const ControlPlace& control, const Scale& px) {
    const std::int32_t x = px(control.x), y = px(control.y), width = px(control.width), height = px(control.height);
    switch (control.kind) {
        case OptionsControlKind::label:
            label_create(control.number, x, y, width, height, control.text);
            break;
        case OptionsControlKind::text_field:
            text_field_create(
                control.number, x, y, width, height,
                (control.number == kPlayer1Field ? g_options.player1_name : g_options.player2_name).c_str());
            break;
        case OptionsControlKind::list:
            list_create(control.number, x, y, width, height);
            break;
        case OptionsControlKind::button:
            button_create(control.number, x, y, width, height, control.text);
            break;
        case OptionsControlKind::slider:
            slider_create(control.number, x, y, width, height, kVolumeMinimum, kVolumeMaximum);
            break;
    }
}

}  // namespace

std::string resolution_text(double width, double height) {
    return int_to_text(round_to_int64(width)) + "*" + int_to_text(round_to_int64(height));
}

void options_window_build() {
    // The window opens in the primary monitor's work area, at that monitor's scale.
    const RECT area = desktop_work_area();
    const Scale at_open{desktop_monitor_dpi({area.left, area.top})};
    const ScreenPoint place = window_place(at_open, area);
    if (!window_open(kOptionsWindow, place.x, place.y, at_open(kOptionsClientWidth), at_open(kOptionsClientHeight),
                     kOptionsWindowTitle, kOptionsWindowFlags))
        return;
    if (!control_list_select(window_handle(kOptionsWindow))) return;
    // The controls at the scale the window has taken; the toolkit keeps them at its scale from here on.
    const Scale px{window_dpi(kOptionsWindow)};

    for (const ControlPlace& control : kOptionsControls) {
        control_create(control, px);
        if (control.number == kResolutionList)
            for (std::int32_t item = 0; item < kFixedResolutionCount; ++item)
                list_add_item(kResolutionList, item, kResolutions[item].text);
        // The list always opens on the resolution the file holds, even when a fixed item equals it.
        if (control.number == kLaunchButton) {
            list_add_item(kResolutionList, kCurrentResolutionItem,
                          resolution_text(g_options.screen_width, g_options.screen_height).c_str());
            control_set_state(kResolutionList, kCurrentResolutionItem);
        }
    }

    // A hand-edited volume may lie far outside the slider's range: saturate, the slider clamps.
    control_set_state(kMusicSlider, round_to_int32(g_options.music_volume));
    control_set_state(kSoundSlider, round_to_int32(g_options.sound_volume));

    window_dialog_buttons(kOptionsWindow, kOptionsDefaultButton, kOptionsCancelButton);
    // A player can type the first name at once.
    window_focus_first(kOptionsWindow);
}
