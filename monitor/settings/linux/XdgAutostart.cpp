#include "monitor/settings/linux/XdgAutostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "common/FileBytes.h"

namespace kestrove {

std::filesystem::path XdgAutostart::DefaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::filesystem::path(config) / "autostart";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/") / ".config" / "autostart";
}

std::string DesktopExecValue(std::string_view programPath) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = programPath.find_first_of(kReserved) != std::string_view::npos;
    std::string value;
    if (quote) {
        value += '"';
    }
    for (char c : programPath) {
        if (c == '%') {
            value += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$')) {
            value += '\\';
            value += c;
        } else if (c == '\\') {
            // Escaped once for the quoting and once more for the string value: four in all.
            value += "\\\\\\\\";
        } else {
            value += c;
        }
    }
    if (quote) {
        value += '"';
    }
    return value;
}

std::string XdgAutostart::AddRunEntryUser() {
    std::string path = program_.string();
    if (path.find_first_of("\r\n") != std::string::npos) {
        return std::strerror(EINVAL);
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) {
        return ec.message();
    }
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Kestrove\n"
        "Comment=ARPスプーフィングの監視\n"
        "Exec=" +
        DesktopExecValue(path) +
        "\n"
        "Icon=kestrove\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    errno = 0;
    if (!WriteFileAtomically(EntryPath(), entry, 0644)) {
        return std::strerror(errno != 0 ? errno : EIO);
    }
    return "";
}

void XdgAutostart::RemoveRunEntryUser() {
    std::error_code ec;
    std::filesystem::remove(EntryPath(), ec);
}

}  // namespace kestrove
