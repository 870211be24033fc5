// The shell fallback under Wine: a file that CreateProcessA cannot start (a document of a type
// registered for the helper program) starts through the shell, in the folder the name gives.
#include "toolkit/process/programs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/process/launch_support.h"
#include "toolkit/process/process_calls.h"

namespace {

constexpr DWORD kProgramTimeout = 30000;
constexpr char kExtension[] = ".zzlaunchtest";
constexpr char kDocumentClass[] = "ZzLaunchTest.Document";
constexpr char kReport[] = "helper-report.txt";

bool registry_default_set(const std::string& key, const std::string& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
    return set == ERROR_SUCCESS;
}

// Documents of the test's own type open with the helper, which writes its report where it starts.
// The shell gives a console program a console of its own, whose host outlives the program in the
// program's folder; the helper built without a console leaves nothing behind.
class DocumentType {
  public:
    DocumentType() {
        std::string command = "\"";
        command += helper_path("program_helper_gui.exe");
        command += "\" report \"%1\"";
        registered_ = registry_default_set(kExtension, kDocumentClass) &&
                      registry_default_set(std::string(kDocumentClass) + "\\shell\\open\\command", command);
    }
    DocumentType(const DocumentType&) = delete;
    DocumentType& operator=(const DocumentType&) = delete;
    ~DocumentType() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kDocumentClass);
    }
    bool registered() const { return registered_; }

  private:
    bool registered_ = false;
};

// The shell shows its own message box when it cannot start a file; this watchdog closes every
// dialog of this process so that no test waits for a user.
class DialogDismisser {
  public:
    DialogDismisser() : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_([this] { run(); }) {}
    DialogDismisser(const DialogDismisser&) = delete;
    DialogDismisser& operator=(const DialogDismisser&) = delete;
    ~DialogDismisser() {
        SetEvent(stop_.get());
        thread_.join();
    }
    int dismissed() const { return dismissed_; }

  private:
    static BOOL CALLBACK visit(HWND window, LPARAM self) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == GetCurrentProcessId() && IsWindowVisible(window) && std::string(name) == "#32770") {
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            PostMessageA(window, WM_CLOSE, 0, 0);
            ++reinterpret_cast<DialogDismisser*>(self)->dismissed_;
        }
        return TRUE;
    }
    void run() {
        while (WaitForSingleObject(stop_.get(), 100) == WAIT_TIMEOUT)
            EnumWindows(visit, reinterpret_cast<LPARAM>(this));
    }

    HandleCloser stop_;
    std::atomic<int> dismissed_{0};
    std::thread thread_;
};

class ProgramsShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(document_type_.registered());
        ASSERT_TRUE(CreateDirectoryA(folder_.file("sub").c_str(), nullptr));
        ASSERT_TRUE(file_write(folder_.file("sub\\doc.zzlaunchtest"), "a document"));
    }
    void TearDown() override { programs_stop_all(); }

    DialogDismisser dismisser_;
    CallsWatched watched_;
    DocumentType document_type_;
    TemporaryFolder folder_;
    WorkingDirectory inside_{folder_.path()};
};

TEST_F(ProgramsShellTest, ANameWithAFolderStartsThroughTheShellInThatFolder) {
    Program* program =
        program_of(program_run("sub\\doc.zzlaunchtest", "", nullptr, launch_keep | launch_wait, nullptr));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(g_calls.creates, 1);
    EXPECT_EQ(g_calls.shells, 1);
    EXPECT_EQ(program->process_id, -1);
    EXPECT_EQ(program->input_pipe, nullptr);
    EXPECT_EQ(program->output_pipe, nullptr);
    EXPECT_EQ(program->error_pipe, nullptr);
    ASSERT_NE(program->process, nullptr);
    // launch_wait waited for the program the shell started.
    EXPECT_EQ(WaitForSingleObject(program->process, 0), WAIT_OBJECT_0);
    EXPECT_EQ(text_line(file_read(folder_.file("sub\\helper-report.txt")), 1), folder_.file("sub"));

    // The launcher's own form: no flags, the result 1, nothing kept.
    ASSERT_TRUE(CreateDirectoryA(folder_.file("sub2").c_str(), nullptr));
    ASSERT_TRUE(file_write(folder_.file("sub2\\doc.zzlaunchtest"), "a document"));
    EXPECT_EQ(program_run("sub2\\doc.zzlaunchtest"), 1);
    const std::string report = file_wait_text(folder_.file("sub2\\helper-report.txt"), kProgramTimeout);
    EXPECT_EQ(text_line(report, 1), folder_.file("sub2"));
    EXPECT_EQ(program_list_first(), program);
}

TEST_F(ProgramsShellTest, ANameWithoutAFolderStartsInTheWorkingDirectory) {
    // A name whose only backslash is its first one names the root of the drive, not a folder to start in.
    std::string root_name = "\\zz-";
    root_name += std::to_string(GetCurrentProcessId());
    root_name += kExtension;
    const std::string drive = folder_.path().substr(0, 2);
    const std::string root_report = drive + "\\helper-report.txt";
    ASSERT_TRUE(file_write(drive + root_name, "a document"));
    ASSERT_TRUE(file_write(folder_.file("doc.zzlaunchtest"), "a document"));
    for (const std::string& name : {root_name, std::string("doc.zzlaunchtest")}) {
        SCOPED_TRACE(name);
        EXPECT_GT(program_run(name.c_str(), "", nullptr, launch_keep | launch_wait, nullptr), 1);
        EXPECT_EQ(text_line(file_read(folder_.file(kReport)), 1), folder_.path());
        EXPECT_FALSE(file_exists(root_report));
        DeleteFileA(folder_.file(kReport).c_str());
    }
    DeleteFileA((drive + root_name).c_str());
    DeleteFileA(root_report.c_str());
}

TEST_F(ProgramsShellTest, StreamFlagsKeepTheShellOut) {
    for (std::int32_t flag : {launch_pipe_output, launch_pipe_input, launch_pipe_errors, launch_input_from}) {
        for (std::int32_t keep : {0, launch_keep}) {
            SCOPED_TRACE(flag | keep);
            g_calls = CallLog{};
            // Under launch_wait a shell start would have ended, report written, before the call returns.
            EXPECT_EQ(program_run("sub\\doc.zzlaunchtest", "", nullptr, flag | keep | launch_wait, nullptr), 0);
            EXPECT_EQ(g_calls.shells, 0);
            EXPECT_FALSE(file_exists(folder_.file("sub\\helper-report.txt")));
        }
    }
}

TEST_F(ProgramsShellTest, AMissingProgramFailsInTheShellToo) {
    Program* newest = program_list_first();
    EXPECT_EQ(program_run("Zz No Such Program Anywhere.exe"), 0);
    EXPECT_EQ(g_calls.creates, 1);
    EXPECT_EQ(g_calls.shells, 1);
    EXPECT_EQ(program_run("sub\\Zz No Such Program.exe", "", nullptr, launch_keep | launch_wait, nullptr), 0);
    EXPECT_EQ(g_calls.shells, 2);
    EXPECT_EQ(program_list_first(), newest);
}

}  // namespace
