#pragma once
// Starting other programs.

#include <cstdint>

constexpr std::int32_t launch_wait = 1;
constexpr std::int32_t launch_hidden = 2;
constexpr std::int32_t launch_keep = 4;
constexpr std::int32_t launch_pipe_output = 8;
constexpr std::int32_t launch_pipe_input = 16;
constexpr std::int32_t launch_pipe_errors = 32;
constexpr std::int32_t launch_input_from = 64;

struct Program;

// Start-up routine, before any launch.
void programs_start();
// 0 on failure; 1 on success, or under launch_keep the new Program object.
std::intptr_t program_run(const char* file, const char* parameters, const char* directory, std::int32_t flags,
                          Program* sender);
std::intptr_t program_run(const char* file);
