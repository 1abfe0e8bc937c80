#include "common/ProcessControl.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "testsupport/ChildProcess.h"
#include "testsupport/RunCommand.h"
#include "testsupport/TempFolder.h"

extern char** environ;

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Program names unique to this test process (and short enough for the kernel's 15-character
// command name), so a parallel test run never loses its processes to ours.
std::string UniqueName(std::string_view prefix) {
    return std::string(prefix) + std::to_string(::getpid());
}

// A copy of /bin/sleep under another program name.
fs::path SleepCopy(const test::TempFolder& dir, const std::string& name) {
    fs::copy_file("/bin/sleep", dir / name);
    return dir / name;
}

bool Ended(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("State:", 0) == 0) {
            return line.find('Z') != std::string::npos;  // ended; its parent has not reaped it
        }
    }
    return true;
}

// The pids running this executable (its exact path).
std::vector<pid_t> RunningFrom(const fs::path& exe) {
    std::vector<pid_t> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code ec;
        pid_t pid = static_cast<pid_t>(std::stol(name));
        if (fs::read_symlink(entry.path() / "exe", ec) == exe && !Ended(pid)) {
            pids.push_back(pid);
        }
    }
    return pids;
}

class ProcessControlTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Nothing the test started may outlive it.
        for (const auto& entry : fs::directory_iterator(dir.Path())) {
            for (pid_t pid : RunningFrom(entry.path())) {
                ::kill(pid, SIGKILL);
            }
        }
    }

    test::TempFolder dir;
    std::unique_ptr<ProcessControl> control = CreateProcessControl();
};

TEST_F(ProcessControlTest, StartedProgramRunsDetachedAndEndsByItsName) {
    std::string name = UniqueName("kvp");
    fs::path program = SleepCopy(dir, name);
    ASSERT_TRUE(control->StartDetached(program, {"30"}));

    std::vector<pid_t> pids;
    ASSERT_TRUE(test::WaitFor([&] { return !(pids = RunningFrom(program)).empty(); }, 5s));
    ASSERT_EQ(pids.size(), 1u);
    pid_t pid = pids[0];
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child of ours is left to reap";
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/fd/0"), "/dev/null");
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/fd/1"), "/dev/null");
    EXPECT_NE(::getsid(pid), ::getsid(0)) << "out of the caller's session";

    EXPECT_EQ(control->TerminateProgram(program), 1);
    EXPECT_TRUE(test::WaitFor([&] { return Ended(pid); }, 5s));
    EXPECT_EQ(control->TerminateProgram(program), 0);
}

TEST_F(ProcessControlTest, OnlyTheProgramOfThisFolderIsStopped) {
    std::string name = UniqueName("kvp");
    fs::path ours = SleepCopy(dir, name);
    fs::create_directory(dir / "elsewhere");
    fs::path sameName = dir / "elsewhere" / name;
    fs::copy_file("/bin/sleep", sameName);
    fs::path longer = SleepCopy(dir, name + "X");
    for (const fs::path& program : {sameName, longer}) {
        ASSERT_TRUE(control->StartDetached(program, {"30"}));
    }
    // /bin/sleep whose command line names our program.
    std::vector<std::string> argvText = {ours.string(), "30"};
    std::vector<char*> argv = {argvText[0].data(), argvText[1].data(), nullptr};
    pid_t mention = -1;
    ASSERT_EQ(::posix_spawn(&mention, "/bin/sleep", nullptr, nullptr, argv.data(), environ), 0);
    ASSERT_TRUE(test::WaitFor(
        [&] { return RunningFrom(sameName).size() == 1 && RunningFrom(longer).size() == 1; }, 5s));

    EXPECT_EQ(control->TerminateProgram(ours), 0);
    EXPECT_EQ(control->TerminateProgram("relative/" + name), 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(RunningFrom(sameName).size(), 1u) << "same name, other folder";
    EXPECT_EQ(RunningFrom(longer).size(), 1u);
    EXPECT_EQ(::waitpid(mention, nullptr, WNOHANG), 0) << "still running";

    // Reached through a path with a detour, the program is still itself.
    EXPECT_EQ(control->TerminateProgram(dir / "elsewhere" / ".." / "elsewhere" / name), 1);
    EXPECT_EQ(control->TerminateProgram(longer), 1);
    ::kill(mention, SIGKILL);
    ::waitpid(mention, nullptr, 0);
}

TEST_F(ProcessControlTest, ProgramReplacedOnDiskWhileRunningIsStillStopped) {
    fs::path program = SleepCopy(dir, UniqueName("kvr"));
    ASSERT_TRUE(control->StartDetached(program, {"30"}));
    std::vector<pid_t> pids;
    ASSERT_TRUE(test::WaitFor([&] { return !(pids = RunningFrom(program)).empty(); }, 5s));
    fs::remove(program);
    fs::copy_file("/bin/sleep", program);  // an update: same path, another file
    EXPECT_EQ(control->TerminateProgram(program), 1);
    EXPECT_TRUE(test::WaitFor([&] { return Ended(pids[0]); }, 5s));
}

TEST_F(ProcessControlTest, ArgumentsArriveVerbatimWithoutAShell) {
    fs::path out = dir / "args.txt";
    std::string script = "printf '%s|' \"$@\" > '" + out.string() + "'";
    ASSERT_TRUE(control->StartDetached("/bin/sh", {"-c", script, "sh", "a b", "$HOME;*", ""}));
    EXPECT_TRUE(test::WaitFor([&] { return test::ReadFile(out) == "a b|$HOME;*||"; }, 5s))
        << test::ReadFile(out);
}

TEST_F(ProcessControlTest, StartFailsForWhatCannotRun) {
    EXPECT_FALSE(control->StartDetached("sleep", {"1"})) << "no search on PATH";
    EXPECT_FALSE(control->StartDetached(dir / "missing", {}));
    test::WriteFile(dir / "plain.txt", "not a program");
    EXPECT_FALSE(control->StartDetached(dir / "plain.txt", {}));
    EXPECT_FALSE(control->StartDetached(dir.Path(), {}));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

// Started as the helper of CallerSurvivesAskingForItsOwnName, a copy of this program under a
// unique name only asks to end every process of its own program, and answers by its exit
// status.
[[maybe_unused]] const bool kSelfTerminateHelper = [] {
    if (const char* own = std::getenv("KESTROVE_SELF_TERMINATE")) {
        std::_Exit(CreateProcessControl()->TerminateProgram(own) == 0 ? 0 : 1);
    }
    return false;
}();

TEST_F(ProcessControlTest, CallerSurvivesAskingForItsOwnName) {
    std::string name = UniqueName("kvs");
    fs::copy_file("/proc/self/exe", dir / name);
    fs::permissions(dir / name, fs::perms::owner_all);
    ::setenv("KESTROVE_SELF_TERMINATE", (dir / name).c_str(), 1);
    int status = test::RunCommand({(dir / name).string()});
    ::unsetenv("KESTROVE_SELF_TERMINATE");
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace kestrove
