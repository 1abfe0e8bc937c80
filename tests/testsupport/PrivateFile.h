#pragma once

#include <filesystem>

namespace kestrove::test {

// Whether only the owner may read and write the file: mode 0600 on Linux. Windows has no mode
// bits (a file in the user's folders is private by the folder's access list): there it only
// has to be a regular file.
bool IsOwnerOnlyFile(const std::filesystem::path& path);

}  // namespace kestrove::test
