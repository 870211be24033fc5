#pragma once
// The launcher's settings and the options file "Data\Optionen.txt" that the game reads.

#include <string>

struct Options {
    std::string player1_name;
    std::string player2_name;
    double aux1;
    double aux2;
    double screen_width;
    double screen_height;
    double aux3;
    double music_volume;
    double sound_volume;
};

// The process-wide record.
extern Options g_options;

constexpr const char* kOptionsFile = "Data\\Optionen.txt";
constexpr int kOptionsChannel = 1;

void options_create_default();
void options_load();
void options_save();
