#include "tests/process/launch_support.h"

#include <atomic>

#include "toolkit/process/programs.h"

namespace {

std::atomic<int> g_folder_serial{0};
ProcessCalls g_faked = {};

BOOL WINAPI counting_create(LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES process_security,
                            LPSECURITY_ATTRIBUTES thread_security, BOOL inherit_handles, DWORD creation_flags,
                            LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                            LPPROCESS_INFORMATION started) {
    ++g_calls.creates;
    return g_faked.create_process(application, command_line, process_security, thread_security, inherit_handles,
                                  creation_flags, environment, directory, startup, started);
}

BOOL WINAPI counting_shell(SHELLEXECUTEINFOA* start) {
    ++g_calls.shells;
    return g_faked.shell_execute(start);
}

DWORD WINAPI recording_wait(HANDLE handle, DWORD milliseconds) {
    g_calls.waited.push_back(handle);
    return process_calls_platform().wait(handle, milliseconds);
}

BOOL WINAPI recording_close(HANDLE handle) {
    g_calls.closed.push_back(handle);
    return process_calls_platform().close_handle(handle);
}

void folder_remove(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                folder_remove(child);
            } else {
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

CallLog g_calls;

CallsWatched::CallsWatched(decltype(ProcessCalls::create_process) create, decltype(ProcessCalls::shell_execute) shell) {
    g_calls = CallLog{};
    g_faked = process_calls_platform();
    if (create) g_faked.create_process = create;
    if (shell) g_faked.shell_execute = shell;
    process_calls() = ProcessCalls{counting_create, counting_shell, recording_wait, recording_close};
}

CallsWatched::~CallsWatched() {
    process_calls() = process_calls_platform();
}

TemporaryFolder::TemporaryFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    std::string folder = base;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    // Process numbers come round again under Wine, and a killed run leaves its folder behind.
    do {
        path_ =
            folder + "\\launch-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++g_folder_serial);
    } while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TemporaryFolder::~TemporaryFolder() {
    // A program started without a handle to wait on may still be ending in the folder.
    const ULONGLONG deadline = GetTickCount64() + 10000;
    folder_remove(path_);
    while (file_exists(path_) && GetTickCount64() < deadline) {
        Sleep(50);
        folder_remove(path_);
    }
}

WorkingDirectory::WorkingDirectory(const std::string& path) : previous_(working_directory()) {
    SetCurrentDirectoryA(path.c_str());
}

WorkingDirectory::~WorkingDirectory() {
    SetCurrentDirectoryA(previous_.c_str());
}

std::string helper_path(const char* name) {
    char own[MAX_PATH] = {};
    const DWORD size = GetModuleFileNameA(nullptr, own, sizeof own);
    std::string path(own, size);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

std::string working_directory() {
    char buffer[MAX_PATH] = {};
    const DWORD size = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, size < sizeof buffer ? size : 0);
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string file_read(const std::string& path) {
    HandleCloser file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool file_write(const std::string& path, const std::string& text) {
    HandleCloser file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return file.get() != INVALID_HANDLE_VALUE && pipe_write_all(file.get(), text);
}

std::string file_wait_text(const std::string& path, DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    std::string text = file_read(path);
    while (text.empty() && GetTickCount64() < deadline) {
        Sleep(20);
        text = file_read(path);
    }
    return text;
}

std::string pipe_read_all(HANDLE pipe, DWORD milliseconds) {
    std::string bytes;
    char buffer[4096];
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        DWORD available = 0;
        // Fails with ERROR_BROKEN_PIPE once the writing end is closed and everything has been read.
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0) {
            DWORD got = 0;
            if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr)) break;
            bytes.append(buffer, got);
        } else if (GetTickCount64() >= deadline) {
            break;
        } else {
            Sleep(5);
        }
    }
    return bytes;
}

bool pipe_write_all(HANDLE pipe, const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        DWORD done = 0;
        if (!WriteFile(pipe, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &done, nullptr)) return false;
        at += done;
    }
    return true;
}

std::string text_line(const std::string& text, int n) {
    std::size_t start = 0;
    for (int line = 0; line < n; ++line) {
        start = text.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    const std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

Program* program_of(std::intptr_t result) {
    return result > 1 ? reinterpret_cast<Program*>(result) : nullptr;
}

void programs_stop_all() {
    constexpr UINT kStoppedCode = 99;
    for (Program* program = program_list_first(); program; program = program->next) {
        if (program->process && WaitForSingleObject(program->process, 0) == WAIT_TIMEOUT)
            TerminateProcess(program->process, kStoppedCode);
    }
}
