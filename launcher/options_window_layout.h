#pragma once
// The options window laid out in pixels of a 96-DPI display: its place, client size, title and
// flags, and each control's number, kind, rectangle and text, in the order of creation. The
// launcher scales it to the display it appears on; the benchmark baselines build the same window
// from it with plain platform calls.

#include <cstdint>

#include "launcher/options_window.h"
#include "launcher/window_layout.h"

// The window's outer top-left corner on the screen, and its client size.
constexpr ScreenPoint kOptionsWindowPlace = {478, 416};
constexpr std::int32_t kOptionsClientWidth = 370;
constexpr std::int32_t kOptionsClientHeight = 240;
constexpr const char* kOptionsWindowTitle = "Optionen";
// A title bar and a system menu with its close box; no sizing border, no minimise or maximise box.
constexpr std::int32_t kOptionsWindowFlags = 0xC80000;

// The range of both volume sliders.
constexpr std::int32_t kVolumeMinimum = 0;
constexpr std::int32_t kVolumeMaximum = 100;

enum class OptionsControlKind { label, text_field, list, button, slider };

struct ControlPlace {
    OptionsControl number;
    OptionsControlKind kind;
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    // A label's or a button's text; text fields start with the options record's names, lists and
    // sliders have none.
    const char* text;
};

// Tab and Shift+Tab follow this order through the controls that take the focus. It is also the
// order of the window's children, in which each label lies directly before the control it names:
// the platform's accessibility layer names a control without text of its own after that label.
// The credit label, last, names nothing; it reaches past the client area, which clips it.
constexpr int kOptionsControlCount = 15;
inline constexpr ControlPlace kOptionsControls[kOptionsControlCount] = {
    {kPlayer1Caption, OptionsControlKind::label, 20, 20, 50, 20, "Spieler 1"},
    {kPlayer1Field, OptionsControlKind::text_field, 80, 20, 240, 20, nullptr},
    {kPlayer2Caption, OptionsControlKind::label, 20, 50, 50, 20, "Spieler 2"},
    {kPlayer2Field, OptionsControlKind::text_field, 80, 50, 240, 20, nullptr},
    {kResolutionCaption, OptionsControlKind::label, 20, 80, 60, 20, "Aufl\xF6sung"},
    {kResolutionList, OptionsControlKind::list, 80, 80, 190, 20, nullptr},
    {kLaunchButton, OptionsControlKind::button, 220, 180, 135, 30, "Zum Zindrop Launcher"},
    {kMusicCaption, OptionsControlKind::label, 20, 110, 50, 20, "Musik"},
    {kMusicSlider, OptionsControlKind::slider, 80, 110, 250, 30, nullptr},
    {kSoundCaption, OptionsControlKind::label, 20, 140, 50, 20, "Sounds"},
    {kSoundSlider, OptionsControlKind::slider, 80, 140, 250, 30, nullptr},
    {kSaveButton, OptionsControlKind::button, 20, 180, 90, 30, "Speichern"},
    {kCancelButton, OptionsControlKind::button, 120, 180, 90, 30, "Abbrechen"},
    {kNativeButton, OptionsControlKind::button, 275, 80, 90, 22, "Native Aufl\xF6sung"},
    {kCreditLabel, OptionsControlKind::label, 257, 227, 120, 20, "Vellmark Software"},
};

// Enter presses the default button wherever the focus is not on a button, Escape the cancel button.
constexpr OptionsControl kOptionsDefaultButton = kSaveButton;
constexpr OptionsControl kOptionsCancelButton = kCancelButton;
