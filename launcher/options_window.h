#pragma once
// The launcher's only window, "Optionen", with its fifteen controls.

#include <cstdint>
#include <string>

// Control numbers of the options window.
enum OptionsControl : std::int32_t {
    kPlayer1Caption = 0,
    kPlayer1Field = 1,
    kPlayer2Caption = 2,
    kResolutionCaption = 3,
    kCreditLabel = 4,
    kMusicCaption = 5,
    kSoundCaption = 6,
    kPlayer2Field = 7,
    kResolutionList = 8,
    kSaveButton = 9,
    kCancelButton = 10,
    kNativeButton = 12,
    kSoundSlider = 13,
    kMusicSlider = 14,
    kLaunchButton = 15,
};

constexpr std::int32_t kOptionsWindow = 0;

struct Resolution {
    const char* text;
    double width;
    double height;
};

// The fixed items 0 to 16 of the resolution list; item 17 shows the record's own resolution.
constexpr int kFixedResolutionCount = 17;
constexpr std::int32_t kCurrentResolutionItem = 17;
extern const Resolution kResolutions[kFixedResolutionCount];

// "width*height", each rounded to a whole number.
std::string resolution_text(double width, double height);

// Opens window 0, laid out at the display's scale and kept on the screen, and fills its controls from
// the options record.
void options_window_build();
