// Launching real programs through CreateProcessA under Wine: command lines, working directories,
// pipes, flags and the program list; the shell's side through fakes in the process-call table.
#include "toolkit/process/programs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "tests/process/launch_support.h"
#include "tests/support/kill_on_close_job.h"
#include "toolkit/objects/os_seam.h"

namespace {

constexpr DWORD kProgramTimeout = 30000;

std::string quoted(std::string text) {
    return text.insert(0, "\"") + "\"";
}

DWORD exit_code(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

bool inheritable(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT) != 0;
}

bool all_exist(const std::vector<HANDLE>& handles) {
    for (HANDLE handle : handles) {
        if (!handle || handle == INVALID_HANDLE_VALUE) return false;
    }
    return true;
}

BOOL WINAPI failing_create(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                           LPSTARTUPINFOA, LPPROCESS_INFORMATION) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

// The last request the fake shell saw.
SHELLEXECUTEINFOA g_shell_request;
std::string g_shell_directory;

// A shell that starts nothing and succeeds without a process handle, as the shell does when a
// running program takes the file over.
BOOL WINAPI processless_shell(SHELLEXECUTEINFOA* start) {
    g_shell_request = *start;
    g_shell_directory = start->lpDirectory ? start->lpDirectory : "(none)";
    start->hProcess = nullptr;
    return TRUE;
}

class ProgramsTest : public ::testing::Test {
  protected:
    void TearDown() override { programs_stop_all(); }

    TemporaryFolder folder_;
    const std::string helper_ = helper_path();
};

TEST_F(ProgramsTest, CommandLineQuotesTheNameOnceAndAddsParametersOnlyWhenThereAreAny) {
    ASSERT_TRUE(file_exists(helper_)) << helper_;
    for (const std::string& name : {helper_, quoted(helper_)}) {
        EXPECT_EQ(program_run(name.c_str(), "to line.txt cmdline", folder_.path().c_str(), launch_wait, nullptr), 1);
        EXPECT_EQ(file_read(folder_.file("line.txt")), quoted(helper_) + " to line.txt cmdline\n");
    }
    // Without arguments the helper reports its command line in its working directory.
    for (const char* parameters : {"", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(program_run(helper_.c_str(), parameters, folder_.path().c_str(), launch_wait, nullptr), 1);
        EXPECT_EQ(text_line(file_read(folder_.file("helper-report.txt")), 0), quoted(helper_));
        DeleteFileA(folder_.file("helper-report.txt").c_str());
    }
}

TEST_F(ProgramsTest, AnEmptyOrMissingDirectoryLeavesTheWorkingDirectory) {
    WorkingDirectory inside(folder_.path());
    TemporaryFolder other;
    for (const char* directory : {"", static_cast<const char*>(nullptr), other.path().c_str()}) {
        Program* program =
            program_of(program_run(helper_.c_str(), "cwd", directory, launch_keep | launch_pipe_output, nullptr));
        ASSERT_NE(program, nullptr);
        const std::string expected = directory && *directory ? other.path() : folder_.path();
        EXPECT_EQ(pipe_read_all(program->output_pipe), expected + "\n");
    }
}

TEST_F(ProgramsTest, PipesCarryBytesBothWaysAndTheErrorStreamApart) {
    const std::int32_t flags = launch_keep | launch_pipe_input | launch_pipe_output | launch_pipe_errors;
    Program* program = program_of(program_run(helper_.c_str(), "echo error oops exit 7", nullptr, flags, nullptr));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->process_id, static_cast<std::int32_t>(GetProcessId(program->process)));
    for (void* end : {program->input_pipe, program->output_pipe, program->error_pipe}) {
        ASSERT_NE(end, nullptr);
        EXPECT_FALSE(inheritable(end));
    }
    // More than a pipe's buffer of every byte value, written from a second thread so that neither
    // side holds the other up.
    std::string payload;
    for (int byte = 0; byte < 256 * 300; ++byte) payload.push_back(static_cast<char>(byte % 256));
    bool written = false;
    std::thread writer([&] {
        written = pipe_write_all(program->input_pipe, payload);
        CloseHandle(program->input_pipe);
    });
    const std::string echoed = pipe_read_all(program->output_pipe);
    const DWORD ended = WaitForSingleObject(program->process, kProgramTimeout);
    if (ended != WAIT_OBJECT_0) programs_stop_all();  // a program that stopped reading holds the writer
    writer.join();
    ASSERT_EQ(ended, WAIT_OBJECT_0);
    EXPECT_TRUE(written);
    EXPECT_TRUE(echoed == payload) << echoed.size() << " bytes came back of " << payload.size();
    EXPECT_EQ(pipe_read_all(program->error_pipe), "oops");
    EXPECT_EQ(exit_code(program->process), 7u);
}

TEST_F(ProgramsTest, ALaterProgramDoesNotInheritAnEarlierProgramsPipe) {
    const std::int32_t flags = launch_keep | launch_pipe_input | launch_pipe_output;
    Program* first = program_of(program_run(helper_.c_str(), "echo", nullptr, flags, nullptr));
    ASSERT_NE(first, nullptr);
    // The second program inherits handles; were the first one's input end among them, closing it
    // here would not end the first program's input.
    Program* second = program_of(program_run(helper_.c_str(), "echo", nullptr, flags, nullptr));
    ASSERT_NE(second, nullptr);
    CloseHandle(first->input_pipe);
    EXPECT_EQ(WaitForSingleObject(first->process, kProgramTimeout), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second->process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(second->input_pipe);
    EXPECT_EQ(WaitForSingleObject(second->process, kProgramTimeout), WAIT_OBJECT_0);
}

TEST_F(ProgramsTest, InputFromASenderReadsTheSendersOutput) {
    Program* sender = program_of(
        program_run(helper_.c_str(), "echo", nullptr, launch_keep | launch_pipe_input | launch_pipe_output, nullptr));
    ASSERT_NE(sender, nullptr);
    void* senders_output = sender->output_pipe;
    Program* receiver = program_of(
        program_run(helper_.c_str(), "echo", nullptr, launch_keep | launch_pipe_output | launch_input_from, sender));
    ASSERT_NE(receiver, nullptr);
    EXPECT_EQ(receiver->input_pipe, nullptr);
    EXPECT_EQ(sender->output_pipe, senders_output);
    const std::string text = "through two programs\r\n\xF6\n";
    EXPECT_TRUE(pipe_write_all(sender->input_pipe, text));
    CloseHandle(sender->input_pipe);
    EXPECT_EQ(WaitForSingleObject(sender->process, kProgramTimeout), WAIT_OBJECT_0);
    // The sender's end stays open and the sender's until its owner closes it.
    EXPECT_TRUE(CloseHandle(senders_output));
    EXPECT_EQ(pipe_read_all(receiver->output_pipe), text);
}

TEST_F(ProgramsTest, ShowStateAndStandardHandlesFollowTheFlags) {
    // STARTF_USESHOWWINDOW 1, STARTF_USESTDHANDLES 0x100; SW_HIDE 0, SW_SHOWNORMAL 1. Pipe flags
    // without launch_keep make no pipe.
    const std::pair<std::int32_t, const char*> cases[] = {
        {launch_wait, "flags=1 show=1\n"},
        {launch_wait | launch_hidden, "flags=1 show=0\n"},
        {launch_wait | launch_pipe_input | launch_pipe_output, "flags=1 show=1\n"},
    };
    for (const auto& [flags, startup] : cases) {
        EXPECT_EQ(program_run(helper_.c_str(), "to startup.txt startup", folder_.path().c_str(), flags, nullptr), 1);
        EXPECT_EQ(file_read(folder_.file("startup.txt")), startup) << flags;
    }
    Program* program = program_of(
        program_run(helper_.c_str(), "startup", nullptr, launch_keep | launch_hidden | launch_pipe_output, nullptr));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(pipe_read_all(program->output_pipe), "flags=257 show=0\n");
}

TEST_F(ProgramsTest, WaitWithKeepWaitsAndStillGivesTheProgramNewestFirst) {
    Program* first = program_of(program_run(helper_.c_str(), "exit 3", nullptr, launch_keep | launch_wait, nullptr));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(WaitForSingleObject(first->process, 0), WAIT_OBJECT_0);
    EXPECT_EQ(exit_code(first->process), 3u);
    EXPECT_EQ(first->input_pipe, nullptr);
    EXPECT_EQ(first->output_pipe, nullptr);
    EXPECT_EQ(first->error_pipe, nullptr);
    Program* second = program_of(program_run(helper_.c_str(), "exit 4", nullptr, launch_keep | launch_wait, nullptr));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(exit_code(second->process), 4u);
    EXPECT_EQ(program_list_first(), second);
    EXPECT_EQ(second->next, first);
    EXPECT_EQ(first->previous, second);
}

// The helper stays up until released: the call must return while it runs. Were the call to wait for
// it, only the watchdog's release would end it.
TEST_F(ProgramsTest, TheLaunchersCallStartsANameFromTheWorkingDirectoryAndReturnsWhileItRuns) {
    ASSERT_TRUE(CopyFileA(helper_.c_str(), folder_.file("Zz Launch Helper.exe").c_str(), FALSE));
    WorkingDirectory inside(folder_.path());
    const std::string id = std::to_string(GetCurrentProcessId());
    HandleCloser release(CreateEventA(nullptr, TRUE, FALSE, ("program_helper_release_" + id).c_str()));
    ASSERT_TRUE(release.get() && SetEnvironmentVariableA("PROGRAM_HELPER_HOLD", id.c_str()));
    std::promise<void> returned;
    std::atomic<bool> rescued{false};
    std::thread watchdog([&, settled = returned.get_future()] {
        if (settled.wait_for(std::chrono::seconds(10)) != std::future_status::timeout) return;
        rescued = true;
        SetEvent(release.get());
    });
    EXPECT_EQ(program_run("Zz Launch Helper.exe"), 1);
    returned.set_value();
    watchdog.join();
    SetEnvironmentVariableA("PROGRAM_HELPER_HOLD", nullptr);
    EXPECT_FALSE(rescued) << "program_run waited for the program it started";
    // The report is written only by a helper that holds.
    const std::string report = file_wait_text(folder_.file("helper-report.txt"), kProgramTimeout);
    SetEvent(release.get());
    EXPECT_EQ(text_line(report, 0), "\"Zz Launch Helper.exe\"");
    EXPECT_EQ(text_line(report, 1), folder_.path());
}

// The job that ties a test's programs to it ends them when its last handle goes, as when the test is killed.
TEST_F(ProgramsTest, ProgramsInATestsJobEndWhenItsLastHandleCloses) {
    const std::string id = std::to_string(GetCurrentProcessId());
    HandleCloser release(CreateEventA(nullptr, TRUE, FALSE, ("program_helper_release_" + id).c_str()));
    ASSERT_TRUE(release.get() && SetEnvironmentVariableA("PROGRAM_HELPER_HOLD", id.c_str()));
    Program* held = program_of(program_run(helper_.c_str(), "", folder_.path().c_str(), launch_keep, nullptr));
    SetEnvironmentVariableA("PROGRAM_HELPER_HOLD", nullptr);
    HandleCloser job(kill_on_close_job_create());
    ASSERT_TRUE(held && job.get() && AssignProcessToJobObject(job.get(), held->process));
    ASSERT_FALSE(file_wait_text(folder_.file("helper-report.txt"), kProgramTimeout).empty()) << "it does not hold";
    job.close();
    EXPECT_EQ(WaitForSingleObject(held->process, kProgramTimeout), WAIT_OBJECT_0) << "it outlived the job";
    SetEvent(release.get());
}

TEST_F(ProgramsTest, AFailedStartGoesToTheShellWithTheNameAsPassedAndItsFolder) {
    CallsWatched watched(failing_create, processless_shell);
    const struct {
        const char* file;
        const char* directory;
        std::int32_t flags;
        const char* shell_directory;
    } cases[] = {
        {"Games\\Zz Game.exe", nullptr, 0, "Games\\"},
        {"C:\\Games\\Sub\\Zz Game.exe", "", 0, "C:\\Games\\Sub\\"},
        {"\\Zz Game.exe", nullptr, 0, "(none)"},
        {"Zz Game.exe", nullptr, launch_hidden, "(none)"},
        {"Games\\Zz Game.exe", "D:\\Elsewhere", 0, "D:\\Elsewhere"},
        // A name quoted as a whole gives its folder without the quotes.
        {"\"C:\\Games\\Zz Game.exe\"", nullptr, 0, "C:\\Games\\"},
        {"\"\\Zz Game.exe\"", nullptr, 0, "(none)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(program_run(c.file, "-x \"y z\"", c.directory, c.flags, nullptr), 1);
        EXPECT_EQ(g_shell_request.fMask, static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS));
        EXPECT_STREQ(g_shell_request.lpFile, c.file);
        EXPECT_STREQ(g_shell_request.lpParameters, "-x \"y z\"");
        EXPECT_EQ(g_shell_directory, c.shell_directory) << c.file;
        EXPECT_EQ(g_shell_request.nShow, c.flags & launch_hidden ? SW_HIDE : SW_SHOWNORMAL);
    }
    EXPECT_EQ(g_calls.creates, 7);
    EXPECT_EQ(g_calls.shells, 7);
}

// A quote inside a name would end the program's name early on the command line, and what follows
// it would become arguments: only one pair of quotes around the whole name is taken.
TEST_F(ProgramsTest, ANameWithAQuoteOtherThanOnePairAroundItStartsNothing) {
    {
        CallsWatched watched(failing_create, processless_shell);
        for (const char* file : {"x.exe\" -evil \"", "Zz Game.exe\"", "\"Zz Game.exe", "\"Zz\" Game.exe\"",
                                 "\"Zz Game\".exe", "Zz \"Game\".exe", "\"\"", "\""}) {
            EXPECT_EQ(program_run(file), 0) << file;
            EXPECT_EQ(program_run(file, "", nullptr, launch_keep | launch_wait, nullptr), 0) << file;
        }
        EXPECT_EQ(g_calls.creates, 0);
        EXPECT_EQ(g_calls.shells, 0);
        // The one pair around the whole name still starts.
        EXPECT_EQ(program_run("\"Zz Game.exe\""), 1);
        EXPECT_EQ(g_calls.shells, 1);
    }
    // The real helper, with an argument smuggled into its name.
    WorkingDirectory inside(folder_.path());
    const std::string smuggled = helper_ + "\" report \"";
    EXPECT_EQ(program_run(smuggled.c_str(), "", nullptr, launch_wait, nullptr), 0);
    EXPECT_FALSE(file_exists(folder_.file("helper-report.txt")));
}

// The shell may succeed without a process handle: nothing is then waited on or closed, and every
// handle a launch does close or wait on exists.
TEST_F(ProgramsTest, HandlesThatDoNotExistAreNeitherWaitedOnNorClosed) {
    {
        CallsWatched watched(failing_create, processless_shell);
        EXPECT_EQ(program_run("Zz Game.exe", "", "", launch_wait, nullptr), 1);
        EXPECT_EQ(program_run("Zz Game.exe"), 1);
        Program* program = program_of(program_run("Zz Game.exe", "", "", launch_keep | launch_wait, nullptr));
        ASSERT_NE(program, nullptr);
        EXPECT_EQ(program->process, nullptr);
        EXPECT_EQ(program->process_id, -1);
        EXPECT_TRUE(g_calls.waited.empty());
        EXPECT_TRUE(all_exist(g_calls.closed));
    }
    CallsWatched watched;
    EXPECT_EQ(program_run(helper_.c_str(), "exit 0", nullptr, launch_wait, nullptr), 1);
    EXPECT_EQ(g_calls.waited.size(), 1u);
    EXPECT_EQ(g_calls.closed.size(), 2u);  // the process and its first thread
    EXPECT_TRUE(all_exist(g_calls.waited));
    EXPECT_TRUE(all_exist(g_calls.closed));
}

// With no name there is nothing to start; the shell would open some folder instead. Without memory
// for the command line or the Program object nothing starts, so that 0 never hides a running program.
TEST_F(ProgramsTest, NoNameOrNoMemoryStartsNothing) {
    // The real shell, given no name, may open a window and wait on it: a fake one counts instead.
    CallsWatched watched(nullptr, processless_shell);
    EXPECT_EQ(program_run(nullptr), 0);
    EXPECT_EQ(program_run(""), 0);
    static std::size_t refused_size;
    for (std::size_t refused : {std::size_t{0}, sizeof(Program)}) {
        refused_size = refused;
        os_seam().heap_alloc = [](OsHeap heap, std::size_t size) -> void* {
            return refused_size == 0 || size == refused_size ? nullptr : os_seam_platform().heap_alloc(heap, size);
        };
        const std::intptr_t result =
            program_run(helper_.c_str(), "", folder_.path().c_str(), launch_keep | launch_wait, nullptr);
        os_seam().heap_alloc = os_seam_platform().heap_alloc;
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(g_calls.creates, 0);
    EXPECT_EQ(g_calls.shells, 0);
}

// The handles open in this process, found by asking about each small handle value: Wine does not
// keep GetProcessHandleCount.
int open_handle_count() {
    int count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

TEST_F(ProgramsTest, AFailedLaunchClosesEveryPipeEndItMade) {
    const int before = open_handle_count();
    {
        HandleCloser probe(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        ASSERT_EQ(open_handle_count(), before + 1) << "the count cannot see a handle come";
    }
    const std::int32_t flags = launch_keep | launch_pipe_input | launch_pipe_output | launch_pipe_errors;
    EXPECT_EQ(program_run(folder_.file("Zz No Such Program.exe").c_str(), "", nullptr, flags, nullptr), 0);
    EXPECT_EQ(open_handle_count(), before);
}

}  // namespace
