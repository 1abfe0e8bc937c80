#include "testsupport/LinuxProgram.h"

#include <windows.h>

#include <memory>
#include <stdexcept>

#include "common/Utf8Path.h"
#include "common/windows/CommandLine.h"

namespace kestrove::test {
namespace {

// Wine's own exports of kernel32, looked up so that the test still links for real Windows.
using ToUnixName = char*(__cdecl*)(const wchar_t*);
using ToDosName = wchar_t*(__cdecl*)(const char*);

// Wine gives its names from the process heap.
struct HeapDeleter {
    void operator()(void* block) const { ::HeapFree(::GetProcessHeap(), 0, block); }
};

void* Export(const wchar_t* module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(module), name));
}

template <typename Function>
Function WineFunction(const char* name) {
    auto function = reinterpret_cast<Function>(Export(L"kernel32.dll", name));
    if (function == nullptr) {
        throw std::runtime_error(std::string("not under Wine: no ") + name);
    }
    return function;
}

}  // namespace

LinuxProgram::LinuxProgram(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw std::runtime_error("no program to start");
    }
    // The arguments reach the Linux side as UTF-8 again.
    std::unique_ptr<wchar_t, HeapDeleter> program(
        WineFunction<ToDosName>("wine_get_dos_file_name")(args[0].c_str()));
    if (!program) {
        throw std::runtime_error("no Windows name for " + args[0]);
    }
    std::wstring line;
    for (const std::string& arg : args) {
        if (!line.empty()) {
            line += L' ';
        }
        line += QuoteArgument(PathFromUtf8(arg).native());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.get(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    // A Linux program comes back without handles; a Windows one would bring both.
    if (process.hProcess != nullptr) {
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
}

LinuxProgram::~LinuxProgram() = default;

bool RunsUnderWine() {
    return Export(L"ntdll.dll", "wine_get_version") != nullptr;
}

std::string LinuxPath(const std::filesystem::path& path) {
    std::unique_ptr<char, HeapDeleter> name(
        WineFunction<ToUnixName>("wine_get_unix_file_name")(path.c_str()));
    if (!name) {
        throw std::runtime_error("no Linux name for " + PathToUtf8(path));
    }
    return name.get();
}

}  // namespace kestrove::test
