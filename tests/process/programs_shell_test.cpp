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

// A key for the test's file type: under the current user's own classes, which need no
// administrator, or under the classes root itself.
struct ClassesKey {
    HKEY root;
    const char* prefix;
};
const ClassesKey kUserClasses = {HKEY_CURRENT_USER, "Software\\Classes\\"};
const ClassesKey kClassesRoot = {HKEY_CLASSES_ROOT, ""};

bool registry_default_set(const ClassesKey& classes, const std::string& key, const std::string& value) {
    HKEY opened = nullptr;
    const std::string path = classes.prefix + key;
    if (RegCreateKeyExA(classes.root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
    return set == ERROR_SUCCESS;
}

void registry_tree_delete(const ClassesKey& classes, const std::string& key) {
    RegDeleteTreeA(classes.root, (classes.prefix + key).c_str());
}

bool classes_root_shows(const char* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// Documents of the test's own type open with the helper, which writes its report where it starts.
// The shell gives a console program a console of its own, whose host outlives the program in the
// program's folder; the helper built without a console leaves nothing behind.
// The type is the current user's. Wine's classes root does not show the user's classes; there it
// goes into the classes root as well, which belongs to the test's own Wine prefix.
class DocumentType {
  public:
    DocumentType() {
        registered_ = register_in(kUserClasses);
        if (registered_ && !classes_root_shows(kExtension)) {
            in_classes_root_ = true;
            registered_ = register_in(kClassesRoot);
        }
    }
    DocumentType(const DocumentType&) = delete;
    DocumentType& operator=(const DocumentType&) = delete;
    ~DocumentType() {
        for (const ClassesKey* classes : {&kUserClasses, in_classes_root_ ? &kClassesRoot : nullptr}) {
            if (!classes) continue;
            registry_tree_delete(*classes, kExtension);
            registry_tree_delete(*classes, kDocumentClass);
        }
    }
    bool registered() const { return registered_; }

  private:
    static bool register_in(const ClassesKey& classes) {
        std::string command = "\"";
        command += helper_path("program_helper_gui.exe");
        command += "\" report \"%1\"";
        return registry_default_set(classes, kExtension, kDocumentClass) &&
               registry_default_set(classes, std::string(kDocumentClass) + "\\shell\\open\\command", command);
    }

    bool registered_ = false;
    bool in_classes_root_ = false;
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

// A drive letter of this session over a temporary folder, so that a test can use the root of a
// drive without writing to a real one (and, on Windows, without administrator rights). Wine accepts
// the definition but cannot reach files through it; the drive is then dropped.
class SubstitutedDrive {
  public:
    explicit SubstitutedDrive(const std::string& target) {
        const DWORD used = GetLogicalDrives();
        for (char letter = 'Y'; letter >= 'D' && name_.empty(); --letter) {
            if (used & (1u << (letter - 'A'))) continue;
            const std::string name = std::string(1, letter) + ":";
            if (!DefineDosDeviceA(0, name.c_str(), target.c_str())) continue;
            const DWORD root = GetFileAttributesA((name + "\\").c_str());
            if (root != INVALID_FILE_ATTRIBUTES && (root & FILE_ATTRIBUTE_DIRECTORY)) {
                name_ = name;
                return;
            }
            DefineDosDeviceA(DDD_REMOVE_DEFINITION, name.c_str(), nullptr);
            return;
        }
    }
    SubstitutedDrive(const SubstitutedDrive&) = delete;
    SubstitutedDrive& operator=(const SubstitutedDrive&) = delete;
    ~SubstitutedDrive() {
        if (!name_.empty()) DefineDosDeviceA(DDD_REMOVE_DEFINITION, name_.c_str(), nullptr);
    }
    // "X:", or empty when there is no such drive.
    const std::string& name() const { return name_; }

  private:
    std::string name_;
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
    // The drive is one of the test's own; without one (Wine), the temporary folder's drive, which is
    // then the Wine prefix's own.
    TemporaryFolder drive_folder;
    SubstitutedDrive drive(drive_folder.path());
    const std::string root = drive.name().empty() ? folder_.path().substr(0, 2) : drive.name();
    const std::string work = drive.name().empty() ? folder_.path() : root + "\\work";
    if (!drive.name().empty()) {
        ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    }
    WorkingDirectory on_drive(work);
    const std::string root_name = "\\zz-" + std::to_string(GetCurrentProcessId()) + kExtension;
    const std::string root_report = root + "\\" + kReport;
    const std::string report = work + "\\" + kReport;
    ASSERT_TRUE(file_write(root + root_name, "a document"));
    ASSERT_TRUE(file_write(work + "\\doc.zzlaunchtest", "a document"));
    for (const std::string& name : {root_name, std::string("doc.zzlaunchtest")}) {
        SCOPED_TRACE(name);
        EXPECT_GT(program_run(name.c_str(), "", nullptr, launch_keep | launch_wait, nullptr), 1);
        EXPECT_EQ(text_line(file_read(report), 1), work);
        EXPECT_FALSE(file_exists(root_report));
        DeleteFileA(report.c_str());
    }
    DeleteFileA((root + root_name).c_str());
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
