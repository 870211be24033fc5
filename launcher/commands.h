#pragma once
// What the buttons of the options window do.

#include <cstdint>

// Runs the command of a gadget; true when the event loop is to end.
bool command_dispatch(std::int32_t gadget);

void command_native_resolution();
void command_save();
void command_launch_game();
