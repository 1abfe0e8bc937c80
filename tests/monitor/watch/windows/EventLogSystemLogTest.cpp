// The event-log writer against Wine's own ReportEventW, which hands every insertion string to
// its debug channel "eventlog" (errors as err, warnings as warn, the rest as trace). The writer
// runs in a child process of this program with that channel switched on; the child's Unix
// stderr is a file (tests/testsupport/windows/wine-run-stderr-file) that the test reads back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileBytes.h"
#include "common/Utf8Path.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/windows/EventLogSystemLog.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/WineDebugLog.h"

namespace kestrove::test {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr std::string_view kChildFlag = "--event-log-child";
constexpr const wchar_t* kFolderVariable = L"KESTROVE_EVENT_LOG_FOLDER";

struct SentLine {
    const char* logLine;  // as the alarm log gets it
    const char* level;    // Wine's channel class for the event type
    const char* text;     // the event's insertion string
};

const SentLine kLines[] = {
    {"2007/05/05 14:03:09\tプログラムを開始しました", "trace", "プログラムを開始しました"},
    // A host name beyond the BMP (a surrogate pair in UTF-16), quotes and backslashes.
    {"2007/05/05 14:03:10\tMACアドレスが変化しました\t(192.168.  1.  1:𠮷の\"PC\"\\1) "
     "00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55",
     "warn",
     "MACアドレスが変化しました (192.168.  1.  1:𠮷の\"PC\"\\1) 00-AA-BB-CC-DD-0E -> "
     "00-11-22-33-44-55"},
    // A byte that is no UTF-8 (a hostile name) arrives as U+FFFD, the rest of the line intact.
    {"2007/05/05 14:03:11\t同一MACアドレスが重複しています\t(10.0.0.2:bad\xFF) 00-11-22-33-44-55",
     "warn", "同一MACアドレスが重複しています (10.0.0.2:bad\xEF\xBF\xBD) 00-11-22-33-44-55"},
    {"2007/05/05 14:03:12\tレポートメール送信エラー：530", "warn", "レポートメール送信エラー：530"},
    {"2007/05/05 14:03:13\tプログラムを終了しました", "trace", "プログラムを終了しました"},
};

int opensRefused = 0;

HANDLE RefuseSource(const wchar_t*) {
    ++opensRefused;
    ::SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

// The child's part: "sent" sends every line to the real event log; "refused" writes them to
// the alarm log in the given folder with the event log mirroring it but its source refused.
int RunChild(std::string_view mode) {
    if (mode == "sent") {
        EventLogSystemLog events;
        for (const SentLine& line : kLines) {
            events.Send(line.logLine);
        }
        return 0;
    }
    wchar_t folder[MAX_PATH];
    DWORD n = ::GetEnvironmentVariableW(kFolderVariable, folder, MAX_PATH);
    if (mode != "refused" || n == 0 || n >= MAX_PATH) {
        return 2;
    }
    EventLogSystemLog events(&RefuseSource);
    AlarmLog log{std::filesystem::path(std::wstring(folder, n))};
    log.SetMirror([&events](std::string_view line) { events.Send(line); });
    for (const SentLine& line : kLines) {
        if (!log.AppendAlarmLine(line.logLine)) {
            return 3;
        }
    }
    return opensRefused == 1 ? 0 : 10 + opensRefused;
}

// Sets an environment variable for the children started meanwhile.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[4096];
        DWORD n = ::GetEnvironmentVariableW(name, old, 4096);
        if (n > 0 && n < 4096) {
            old_ = std::wstring(old, n);
        }
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

struct ChildRun {
    DWORD exitCode = 1;
    std::vector<WineDebugLine> lines;  // what the child told Wine's debug channels
};

class EventLogSystemLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if (ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr) {
            GTEST_SKIP() << "reads Wine's debug channel: Wine only";
        }
        wchar_t capture[MAX_PATH];
        DWORD n = ::GetEnvironmentVariableW(L"KESTROVE_WINE_STDERR", capture, MAX_PATH);
        ASSERT_TRUE(n > 0 && n < MAX_PATH) << "run through wine-run-stderr-file";
        capture_ = std::wstring(capture, n);
    }

    // Runs this program as the child `mode` with Wine's channels as `winedebug`.
    ChildRun RunAsChild(std::string_view mode, const std::wstring& winedebug) {
        ChildRun run;
        std::size_t before = ReadFileBytes(capture_).value_or("").size();
        std::wstring self(32768, L'\0');
        self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
        std::wstring command = L"\"" + self + L"\" " + PathFromUtf8(kChildFlag).wstring() + L" " +
                               PathFromUtf8(mode).wstring();
        ScopedVariable debug(L"WINEDEBUG", winedebug);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(self.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process)) {
            ADD_FAILURE() << "CreateProcessW: " << ::GetLastError();
            return run;
        }
        if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            ADD_FAILURE() << "the child did not end";
        }
        ::GetExitCodeProcess(process.hProcess, &run.exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        std::string after = ReadFileBytes(capture_).value_or("");
        for (WineDebugLine& line :
             ParseWineDebugLines(std::string_view(after).substr(std::min(before, after.size())))) {
            if (line.thread == process.dwThreadId) {
                run.lines.push_back(std::move(line));
            }
        }
        return run;
    }

    std::filesystem::path capture_;
};

std::vector<std::string> EventStrings(const ChildRun& run) {
    std::vector<std::string> events;
    for (const WineDebugLine& line : run.lines) {
        if (line.channel == "eventlog" && line.function == "ReportEventW") {
            WineWideString text = DecodeWineWideString(line.rest);
            events.push_back(line.level + " " + (text.valid && !text.cut ? text.utf8 : "<bad>"));
        }
    }
    return events;
}

TEST_F(EventLogSystemLogTest, EveryLineArrivesWholeInUtf16WithTheTypeOfItsSeverity) {
    ChildRun run = RunAsChild("sent", L"+eventlog,fixme+advapi");
    EXPECT_EQ(run.exitCode, 0u);
    std::vector<std::string> expected;
    for (const SentLine& line : kLines) {
        expected.push_back(std::string(line.level) + " " + line.text);
    }
    EXPECT_THAT(EventStrings(run), ElementsAreArray(expected));

    // Wine's stubs name the source it was opened for, once for all the lines.
    std::vector<std::string> opens;
    for (const WineDebugLine& line : run.lines) {
        if (line.function == "RegisterEventSourceW") {
            opens.push_back(line.rest);
        }
    }
    EXPECT_THAT(opens, ElementsAreArray({"((null),L\"Kestrove\"): stub"}));
}

TEST_F(EventLogSystemLogTest, RefusedSourceIsNoCrashAndTheAlarmLogStillGetsEveryLine) {
    TempFolder dir;
    ScopedVariable folder(kFolderVariable, dir.Path().wstring());
    ChildRun run = RunAsChild("refused", L"+eventlog");
    EXPECT_EQ(run.exitCode, 0u) << "2, 3: no folder or a line not written; 10 + n: n opens";
    EXPECT_THAT(EventStrings(run), IsEmpty());
    std::vector<std::string> expected;
    for (const SentLine& line : kLines) {
        expected.push_back(line.logLine);
    }
    // The log is CP932: the character beyond it and the stray byte come back as "?".
    expected[1] =
        "2007/05/05 14:03:10\tMACアドレスが変化しました\t(192.168.  1.  1:?の\"PC\"\\1) "
        "00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55";
    expected[2] =
        "2007/05/05 14:03:11\t同一MACアドレスが重複しています\t(10.0.0.2:bad?) 00-11-22-33-44-55";
    EXPECT_THAT(ReadCp932Lines(dir / "log" / "alart.log"), ElementsAreArray(expected));
}

TEST(WineDebugLog, LinesAndWideStringsAsWinePrintsThem) {
    auto lines = ParseWineDebugLines(
        "0124:warn:eventlog:ReportEventW L\"a\"\r\nplain output\n00ab:fixme:advapi:Stub (1): stub");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].thread, 0x124u);
    EXPECT_EQ(
        lines[0].level + "|" + lines[0].channel + "|" + lines[0].function + "|" + lines[0].rest,
        "warn|eventlog|ReportEventW|L\"a\"");
    EXPECT_EQ(lines[1].rest, "(1): stub");

    const struct {
        const char* printed;
        bool valid;
        const char* utf8;
        bool cut;
    } cases[] = {
        {R"(L"\65e5\672c 1")", true, "日本 1", false},
        {R"(L"\d842\dfb7")", true, "𠮷", false},
        {R"(L"q\"\\\n\t")", true, "q\"\\\n\t", false},
        {R"(L"\3042"...)", true, "あ", true},
        {R"(L"\d842")", false, "", false},  // a lone surrogate
        {R"(L"\dfb7")", false, "", false},
        {R"(L"\65")", false, "", false},  // a cut escape
        {R"(L"open)", false, "", false},
        {R"("narrow")", false, "", false},
    };
    for (const auto& c : cases) {
        WineWideString s = DecodeWineWideString(c.printed);
        EXPECT_EQ(s.valid, c.valid) << c.printed;
        if (c.valid) {
            EXPECT_EQ(s.utf8, c.utf8) << c.printed;
            EXPECT_EQ(s.cut, c.cut) << c.printed;
        }
    }
}

}  // namespace
}  // namespace kestrove::test

// A main of our own (the linker then leaves out gtest_main's): the child runs before GoogleTest
// sees the command line.
int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == kestrove::test::kChildFlag) {
        return kestrove::test::RunChild(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
