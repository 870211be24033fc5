// A console program for the launch tests. Its arguments are actions, done in order:
//   report        write "helper-report.txt" in the working directory (command line, then working
//                 directory, one per line) and stop; also what it does without arguments
//   cmdline       write the command line
//   cwd           write the working directory
//   echo          copy standard input until its end
//   startup       write "flags=<dwFlags> show=<wShowWindow>" from the start-up information
//   print TEXT    write TEXT
//   error TEXT    write TEXT to standard error
//   to FILE       write what follows into FILE instead of standard output
//   exit N        end with exit code N
// Lines end with LF; echoed bytes are copied unchanged. With PROGRAM_HELPER_HOLD naming the id of
// the test's process, the helper without arguments stays up after its report until the test sets
// the event "program_helper_release_<id>" or ends; it writes no report when it cannot hold.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kReportName[] = "helper-report.txt";

bool write_all(HANDLE handle, const std::string& text) {
    DWORD done = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (!WriteFile(handle, text.data() + at, static_cast<DWORD>(text.size() - at), &done, nullptr)) return false;
        at += done;
    }
    return true;
}

std::string working_directory() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD size = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, size < sizeof buffer ? size : 0);
}

// Written under a temporary name and then renamed, so that a test polling for the report never
// reads half of it.
bool report_write() {
    const std::string text = std::string(GetCommandLineA()) + "\n" + working_directory() + "\n";
    const std::string temporary = std::string(kReportName) + ".part";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = write_all(file, text);
    CloseHandle(file);
    return written && MoveFileExA(temporary.c_str(), kReportName, MOVEFILE_REPLACE_EXISTING);
}

void echo(HANDLE to) {
    HANDLE from = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0) write_all(to, std::string(buffer, got));
}

int report_and_hold() {
    char id[16] = {};
    if (!GetEnvironmentVariableA("PROGRAM_HELPER_HOLD", id, sizeof id)) return report_write() ? 0 : 90;
    HANDLE ends[2] = {OpenEventA(SYNCHRONIZE, FALSE, (std::string("program_helper_release_") + id).c_str()),
                      OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(id, nullptr, 10))};
    if (!ends[0] || !ends[1] || !report_write()) return 93;
    WaitForMultipleObjects(2, ends, FALSE, INFINITE);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return report_and_hold();
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE file = INVALID_HANDLE_VALUE;
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string action = argv[i];
        const char* argument = i + 1 < argc ? argv[i + 1] : nullptr;
        if (action == "report") {
            if (!report_write()) code = 90;
            break;
        } else if (action == "cmdline") {
            write_all(out, std::string(GetCommandLineA()) + "\n");
        } else if (action == "cwd") {
            write_all(out, working_directory() + "\n");
        } else if (action == "echo") {
            echo(out);
        } else if (action == "startup") {
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            GetStartupInfoA(&startup);
            write_all(out, "flags=" + std::to_string(startup.dwFlags) + " show=" + std::to_string(startup.wShowWindow) +
                               "\n");
        } else if (action == "print" && argument) {
            write_all(out, argument);
            ++i;
        } else if (action == "error" && argument) {
            write_all(GetStdHandle(STD_ERROR_HANDLE), argument);
            ++i;
        } else if (action == "to" && argument) {
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            file = CreateFileA(argument, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return 91;
            out = file;
            ++i;
        } else if (action == "exit" && argument) {
            code = std::atoi(argument);
            ++i;
        } else {
            std::fprintf(stderr, "program_helper: unknown action %s\n", action.c_str());
            return 92;
        }
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return code;
}
