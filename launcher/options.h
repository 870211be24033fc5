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

    bool operator==(const Options&) const = default;
};

// The process-wide record.
extern Options g_options;

constexpr const char* kOptionsFolder = "Data";
constexpr const char* kOptionsFile = "Data\\Optionen.txt";
constexpr int kOptionsChannel = 1;

// The names of a first run.
constexpr const char* kDefaultPlayer1 = "Spieler1";
constexpr const char* kDefaultPlayer2 = "Spieler2";

// Each is true when the file could be read, or written whole; file_last_error() then tells why
// not. A failed load leaves the record as it was, and a failed write the file, unless the file had
// to be written over in place (its place refused to a new one) and that failed part-way.
bool options_create_default();
bool options_load();
bool options_save();
