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

// A program started under launch_keep. The handles are the platform's (HANDLE); null is none.
struct Program {
    void* process;            // the started process; stays open (null if the shell gave none)
    std::int32_t process_id;  // -1 when the program was started through the shell
    void* input_pipe;         // write end of the program's standard input
    void* output_pipe;        // read end of the program's standard output
    void* error_pipe;         // read end of the program's standard error
    Program* next;            // the program list, newest first
    Program* previous;
};

// Start-up routine, before any launch.
void programs_start();
// 0 on failure; 1 on success, or under launch_keep the new Program object. A file name may hold
// double quotes only as one pair around the whole name; any other quote is refused (0, nothing
// started). launch_wait with pipes blocks, as designed, while the program fills a pipe that nobody
// reads or waits for input that nobody writes: read and write the pipes from another thread then.
std::intptr_t program_run(const char* file, const char* parameters, const char* directory, std::int32_t flags,
                          Program* sender);
std::intptr_t program_run(const char* file);
// The newest Program object, or null.
Program* program_list_first();
