#pragma once
// Shared by the launch tests: the helper program's path, temporary folders, files and pipes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/process/process_calls.h"

// Closes a handle when it goes out of scope.
class HandleCloser {
  public:
    explicit HandleCloser(HANDLE handle = nullptr) : handle_(handle) {}
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    ~HandleCloser() { close(); }
    void close() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// A new empty folder under the temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();
    // Full path without a trailing backslash.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// Makes a folder the working directory and puts the previous one back.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string& path);
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    ~WorkingDirectory();

  private:
    std::string previous_;
};

// A helper program built next to the test executable.
std::string helper_path(const char* name = "program_helper.exe");
std::string working_directory();

bool file_exists(const std::string& path);
// The file's bytes, or the empty text when it cannot be read.
std::string file_read(const std::string& path);
bool file_write(const std::string& path, const std::string& text);
// Waits up to `milliseconds` for the file to hold text, and gives that text.
std::string file_wait_text(const std::string& path, DWORD milliseconds);

// Reads until the writing end is closed or `milliseconds` have passed, so that a program that
// never lets go of its end fails a test instead of hanging it.
std::string pipe_read_all(HANDLE pipe, DWORD milliseconds = 30000);
bool pipe_write_all(HANDLE pipe, const std::string& bytes);

// Line n (from 0) of a text whose lines end with LF.
std::string text_line(const std::string& text, int n);

// The Program object that a launch under launch_keep returned.
struct Program;
Program* program_of(std::intptr_t result);
// Ends every kept program that still runs: a failed test leaves no program behind that holds
// the test runner's output open.
void programs_stop_all();

// What reached the process-call table while a test watched it.
struct CallLog {
    int creates = 0;
    int shells = 0;
    std::vector<HANDLE> waited;
    std::vector<HANDLE> closed;
};
extern CallLog g_calls;

// Puts a table in force that counts and records every call and passes it on to the platform (or to
// the given fakes); the platform's table comes back at the end of the scope.
class CallsWatched {
  public:
    explicit CallsWatched(decltype(ProcessCalls::create_process) create = nullptr,
                          decltype(ProcessCalls::shell_execute) shell = nullptr);
    CallsWatched(const CallsWatched&) = delete;
    CallsWatched& operator=(const CallsWatched&) = delete;
    ~CallsWatched();
};
