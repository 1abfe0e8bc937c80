#pragma once

#include <string>
#include <vector>

namespace kestrove {

// The program's arguments, its own name left out, as UTF-8 text whatever they hold. Taken before
// a toolkit removes the options it knows from argv: a path is a path.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace kestrove
