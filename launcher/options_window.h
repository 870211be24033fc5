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
constexpr std::int32_t kCurrentResolutionItem = kFixedResolutionCount;
inline constexpr Resolution kResolutions[kFixedResolutionCount] = {
    {"640*480", 640, 480},     {"720*480", 720, 480},   {"800*600", 800, 600},   {"960*720", 960, 720},
    {"1024*768", 1024, 768},   {"1200*800", 1200, 800}, {"1200*900", 1200, 900}, {"1280*720", 1280, 720},
    {"1280*768", 1280, 768},   {"1280*800", 1280, 800}, {"1280*960", 1280, 960}, {"1280*1024", 1280, 1024},
    {"1366*768", 1366, 768},   {"1600*768", 1600, 768}, {"1600*900", 1600, 900}, {"1600*1200", 1600, 1200},
    {"1920*1080", 1920, 1080},
};

// "width*height", each rounded to a whole number.
std::string resolution_text(double width, double height);

// Opens window 0, laid out at the display's scale and kept on the screen, and fills its controls from
// the options record.
void options_window_build();
