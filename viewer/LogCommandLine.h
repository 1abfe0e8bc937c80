#pragma once

#include <string>
#include <vector>

namespace kestrove {

// The path of the file to show, from the viewer's arguments (the program name not included):
// the arguments joined by single blanks, surrounding blanks removed, then one leading and one
// trailing double quote removed, each on its own. So a path with blanks arrives whole whether
// it was passed quoted, unquoted, or split into several arguments.
std::string LogFilePathFromArguments(const std::vector<std::string>& args);

}  // namespace kestrove
