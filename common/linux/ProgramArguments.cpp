#include "common/ProgramArguments.h"

namespace kestrove {

// The bytes as given: a file name is bytes here, and Utf8Path passes them through unchanged.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace kestrove
