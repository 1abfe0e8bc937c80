#pragma once

#include <filesystem>

namespace kestrove::test {

// Gives Everyone a right to write the file or folder (and, on a folder, to add and remove its
// entries) by an entry in its access list.
bool LetEveryoneWrite(const std::filesystem::path& path);

}  // namespace kestrove::test
