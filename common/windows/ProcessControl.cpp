#include "common/ProcessControl.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <system_error>
#include <vector>

#include "common/Utf8Path.h"
#include "common/windows/CommandLine.h"
#include "common/windows/WinHandle.h"

namespace kestrove {
namespace {

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return text;
}

// The security identifier of the user a process runs as.
std::vector<BYTE> ProcessUser(HANDLE process) {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &raw)) {
        return {};
    }
    WinHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    auto* user = reinterpret_cast<TOKEN_USER*>(buffer.data());
    DWORD length = ::GetLengthSid(user->User.Sid);
    auto* sid = static_cast<BYTE*>(user->User.Sid);
    return std::vector<BYTE>(sid, sid + length);
}

struct WindowSearch {
    std::wstring title;  // upper case
    std::vector<DWORD> processes;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t text[256];
    int length = ::GetWindowTextW(window, text, 256);
    if (length <= 0 ||
        Upper(std::wstring(text, static_cast<std::size_t>(length))) != search->title) {
        return TRUE;
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != 0) {
        search->processes.push_back(process);
    }
    return TRUE;
}

// A program named without an extension (the monitor names its companions as on Linux) is
// its .exe.
std::filesystem::path Executable(std::filesystem::path program) {
    if (!program.has_extension()) {
        program += L".exe";
    }
    return program;
}

// The full path of the executable a process runs; empty when it cannot be asked.
std::filesystem::path ImageOf(HANDLE process) {
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size)) {
        return {};
    }
    path.resize(size);
    return path;
}

// The same file, through whatever spelling of its path; or the same path in any case when the
// file was replaced or removed meanwhile.
bool SameProgram(const std::filesystem::path& image, const std::filesystem::path& wanted) {
    std::error_code ec;
    if (std::filesystem::equivalent(image, wanted, ec) && !ec) {
        return true;
    }
    return Upper(image.lexically_normal().wstring()) == Upper(wanted.lexically_normal().wstring());
}

class WindowsProcessControl final : public ProcessControl {
public:
    bool StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& args) override;
    int TerminateProgram(const std::filesystem::path& program) override;
};

// The program gets no console and no handles of ours; a program that opens a window decides
// itself whether to show it (the sweeper never does).
bool WindowsProcessControl::StartDetached(const std::filesystem::path& program,
                                          const std::vector<std::string>& args) {
    if (!program.is_absolute()) {
        return false;
    }
    std::filesystem::path exe = Executable(program);
    std::wstring commandLine = QuoteArgument(exe.wstring());
    for (const std::string& arg : args) {
        commandLine += L' ' + QuoteArgument(PathFromUtf8(arg).wstring());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup,
                          &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

// The sweeper is found by its hidden window, titled with the program's name (in any case);
// only processes of this user whose executable is `program` itself are ended, never the
// caller. A sweeper of the same name in another folder is left alone.
int WindowsProcessControl::TerminateProgram(const std::filesystem::path& program) {
    if (!program.is_absolute()) {
        return 0;
    }
    std::filesystem::path wanted = Executable(program);
    WindowSearch search{Upper(wanted.stem().wstring()), {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    std::vector<BYTE> self = ProcessUser(::GetCurrentProcess());
    int ended = 0;
    std::vector<DWORD> done;
    for (DWORD id : search.processes) {
        if (id == ::GetCurrentProcessId() ||
            std::find(done.begin(), done.end(), id) != done.end()) {
            continue;
        }
        done.push_back(id);
        WinHandle process(::OpenProcess(
            PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION,
            FALSE, id));
        if (!process || self.empty() || ProcessUser(process.Get()) != self ||
            !SameProgram(ImageOf(process.Get()), wanted)) {
            continue;
        }
        if (::TerminateProcess(process.Get(), 0)) {
            ++ended;
        }
    }
    return ended;
}

}  // namespace

std::unique_ptr<ProcessControl> CreateProcessControl() {
    return std::make_unique<WindowsProcessControl>();
}

}  // namespace kestrove
