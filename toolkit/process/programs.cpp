#include "toolkit/process/programs.h"

#include <cstring>

#include "toolkit/objects/heap.h"
#include "toolkit/process/process_calls.h"

namespace {

// Guards the program list.
CRITICAL_SECTION program_lock;
bool g_lock_ready = false;
Program* g_programs = nullptr;

// Room a command line takes beyond the file name and the parameters: two quotes, a space, the NUL.
constexpr std::size_t kCommandLineExtra = 4;

constexpr std::int32_t kShellForbidden =
    launch_pipe_output | launch_pipe_input | launch_pipe_errors | launch_input_from;

// A handle may be none: ShellExecuteExA, for one, need not hand back a process. INVALID_HANDLE_VALUE
// is the current process's pseudo handle, and waiting on it would never end.
bool handle_exists(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

void handle_close(HANDLE& handle) {
    if (handle_exists(handle)) process_calls().close_handle(handle);
    handle = nullptr;
}

void handle_wait(HANDLE handle) {
    if (handle_exists(handle)) process_calls().wait(handle, INFINITE);
}

// A copy of a handle within this process with the given inheritance, or null.
HANDLE handle_copy(HANDLE handle, BOOL inheritable) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, inheritable,
                         DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

// The standard streams of one launch. The program's ends are inheritable and closed in the launcher
// once the process exists; the launcher's ends are not inheritable, so that no other program started
// meanwhile holds a pipe open.
struct Streams {
    HANDLE input = nullptr;  // the program's standard input
    HANDLE output = nullptr;
    HANDLE errors = nullptr;
    bool input_owned = false;  // false while input is the sender's own handle
    HANDLE launcher_input = nullptr;
    HANDLE launcher_output = nullptr;
    HANDLE launcher_errors = nullptr;

    bool redirected() const { return input || output || errors; }

    void close_program_ends() {
        if (input_owned) handle_close(input);
        handle_close(output);
        handle_close(errors);
    }

    void close_launcher_ends() {
        handle_close(launcher_input);
        handle_close(launcher_output);
        handle_close(launcher_errors);
    }
};

// A pipe whose one end goes to the program and whose other end stays with the launcher. A pipe that
// cannot be made leaves both null: that stream is not redirected.
void pipe_make(HANDLE& program_end, HANDLE& launcher_end, bool program_reads) {
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &security, 0)) return;
    program_end = program_reads ? read_end : write_end;
    launcher_end = program_reads ? write_end : read_end;
    // If the copy cannot be made, the inheritable end stays in use.
    if (HANDLE private_end = handle_copy(launcher_end, FALSE)) {
        handle_close(launcher_end);
        launcher_end = private_end;
    }
}

void streams_make(Streams& streams, std::int32_t flags, const Program* sender) {
    const bool keep = (flags & launch_keep) != 0;
    if ((flags & launch_input_from) && sender && handle_exists(sender->output_pipe)) {
        // The sender's end is not inheritable; the program gets an inheritable copy for this launch,
        // and the original stays the sender's.
        streams.input = handle_copy(sender->output_pipe, TRUE);
        streams.input_owned = streams.input != nullptr;
        if (!streams.input) streams.input = sender->output_pipe;
    } else if (keep && (flags & launch_pipe_input)) {
        pipe_make(streams.input, streams.launcher_input, true);
        streams.input_owned = true;
    }
    if (keep && (flags & launch_pipe_output)) pipe_make(streams.output, streams.launcher_output, false);
    if (keep && (flags & launch_pipe_errors)) pipe_make(streams.errors, streams.launcher_errors, false);
}

// The file name, quoted unless it already starts with a quote, then a space and the parameters when
// there are any. Null when there is no memory.
char* command_line_make(const char* file, const char* parameters) {
    const std::size_t file_size = std::strlen(file);
    const std::size_t parameters_size = std::strlen(parameters);
    auto* line = static_cast<char*>(heap_alloc(file_size + parameters_size + kCommandLineExtra));
    if (!line) return nullptr;
    char* end = line;
    const bool quoted = file[0] == '"';
    if (!quoted) *end++ = '"';
    std::memcpy(end, file, file_size);
    end += file_size;
    if (!quoted) *end++ = '"';
    if (parameters_size > 0) {
        *end++ = ' ';
        std::memcpy(end, parameters, parameters_size);
        end += parameters_size;
    }
    *end = '\0';
    return line;
}

// A name may be quoted as a whole; a quote anywhere else would end the program's name early on the
// command line and make the rest of it arguments.
bool file_name_acceptable(const char* file) {
    const std::size_t size = std::strlen(file);
    const char* quote = std::strchr(file, '"');
    if (!quote) return true;
    return quote == file && size > 2 && file[size - 1] == '"' && std::strchr(file + 1, '"') == file + size - 1;
}

// The folder of a file name for the shell: up to and including the last backslash, unless that is the
// first character. A name quoted as a whole is taken without its quotes. Sets `directory` to null when
// there is none; false when there is no memory.
bool shell_directory_make(const char* file, char*& directory) {
    directory = nullptr;
    std::size_t size = std::strlen(file);
    if (file[0] == '"') {
        ++file;
        size -= 2;
    }
    const char* last = nullptr;
    for (const char* at = file; at < file + size; ++at)
        if (*at == '\\') last = at;
    if (!last || last == file) return true;
    const auto folder_size = static_cast<std::size_t>(last - file) + 1;
    directory = static_cast<char*>(heap_alloc(folder_size + 1));
    if (!directory) return false;
    std::memcpy(directory, file, folder_size);
    directory[folder_size] = '\0';
    return true;
}

Program* program_keep(Program* program, HANDLE process, std::int32_t process_id, Streams& streams) {
    program->process = process;
    program->process_id = process_id;
    program->input_pipe = streams.launcher_input;
    program->output_pipe = streams.launcher_output;
    program->error_pipe = streams.launcher_errors;
    streams.launcher_input = streams.launcher_output = streams.launcher_errors = nullptr;
    EnterCriticalSection(&program_lock);
    program->previous = nullptr;
    program->next = g_programs;
    if (g_programs) g_programs->previous = program;
    g_programs = program;
    LeaveCriticalSection(&program_lock);
    return program;
}

std::intptr_t program_shell(const char* file, const char* parameters, const char* directory, std::int32_t flags,
                            WORD show, Program* program) {
    char* own_directory = nullptr;
    if (!directory) {
        if (!shell_directory_make(file, own_directory)) return 0;
        directory = own_directory;
    }
    SHELLEXECUTEINFOA shell = {};
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_NOCLOSEPROCESS;
    shell.hwnd = nullptr;
    shell.lpVerb = "";
    shell.lpFile = file;
    shell.lpParameters = parameters;
    shell.lpDirectory = directory;
    shell.nShow = show;
    const BOOL started = process_calls().shell_execute(&shell);
    heap_free(own_directory);
    if (!started) return 0;
    if (flags & launch_wait) handle_wait(shell.hProcess);
    if (program) {
        Streams none;
        return reinterpret_cast<std::intptr_t>(program_keep(program, shell.hProcess, -1, none));
    }
    handle_close(shell.hProcess);
    return 1;
}

std::intptr_t program_launch(const char* file, const char* parameters, const char* directory, std::int32_t flags,
                             Program* sender, char* command_line, Program* program) {
    const WORD show = (flags & launch_hidden) ? SW_HIDE : SW_SHOWNORMAL;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    DWORD creation = NORMAL_PRIORITY_CLASS;
    if (flags & launch_hidden) creation |= DETACHED_PROCESS;
    BOOL inherit = FALSE;

    Streams streams;
    streams_make(streams, flags, sender);
    if (streams.redirected()) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        inherit = TRUE;
        creation &= ~static_cast<DWORD>(DETACHED_PROCESS);
        startup.hStdInput = streams.input ? streams.input : GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = streams.output ? streams.output : GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = streams.errors ? streams.errors : GetStdHandle(STD_ERROR_HANDLE);
    }

    PROCESS_INFORMATION started = {};
    const BOOL created = process_calls().create_process(nullptr, command_line, nullptr, nullptr, inherit, creation,
                                                        nullptr, directory, &startup, &started);
    streams.close_program_ends();
    if (created) {
        handle_close(started.hThread);
        if (flags & launch_wait) handle_wait(started.hProcess);
        if (program) {
            const auto id = static_cast<std::int32_t>(started.dwProcessId);
            return reinterpret_cast<std::intptr_t>(program_keep(program, started.hProcess, id, streams));
        }
        handle_close(started.hProcess);
        return 1;
    }
    streams.close_launcher_ends();
    if (flags & kShellForbidden) return 0;
    return program_shell(file, parameters, directory, flags, show, program);
}

}  // namespace

void programs_start() {
    if (g_lock_ready) return;
    InitializeCriticalSection(&program_lock);
    g_lock_ready = true;
}

std::intptr_t program_run(const char* file, const char* parameters, const char* directory, std::int32_t flags,
                          Program* sender) {
    if (!file) file = "";
    if (!parameters) parameters = "";
    if (directory && !*directory) directory = nullptr;
    // Without a name there is nothing to start, and the shell would open some folder instead.
    if (!*file || !file_name_acceptable(file)) return 0;

    // Memory comes first, so that a launch that cannot be recorded is not started at all.
    char* command_line = command_line_make(file, parameters);
    if (!command_line) return 0;
    Program* program = nullptr;
    if (flags & launch_keep) {
        program = static_cast<Program*>(heap_alloc(sizeof(Program)));
        if (!program) {
            heap_free(command_line);
            return 0;
        }
    }
    const std::intptr_t result = program_launch(file, parameters, directory, flags, sender, command_line, program);
    if (!result) heap_free(program);
    heap_free(command_line);
    return result;
}

std::intptr_t program_run(const char* file) {
    return program_run(file, "", "", 0, nullptr);
}

Program* program_list_first() {
    EnterCriticalSection(&program_lock);
    Program* first = g_programs;
    LeaveCriticalSection(&program_lock);
    return first;
}
