#include "monitor/settings/Autostart.h"
#include "monitor/settings/windows/RunKeyAutostart.h"

namespace kestrove {

// Callers name programs without an extension, as on Linux; the Run value needs the .exe.
std::unique_ptr<Autostart> CreateAutostart(const std::filesystem::path& monitorProgram) {
    std::filesystem::path program = monitorProgram;
    if (!program.has_extension()) {
        program += L".exe";
    }
    return std::make_unique<RunKeyAutostart>(program);
}

}  // namespace kestrove
