#pragma once

#include <filesystem>

namespace kestrove {

// The folder that holds the running executable. Every file of the program (settings, alarm
// log, reports, the other two programs) is addressed relative to it.
std::filesystem::path ProgramFolder();

}  // namespace kestrove
