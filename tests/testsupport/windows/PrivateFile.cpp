#include "testsupport/PrivateFile.h"

namespace kestrove::test {

bool IsOwnerOnlyFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace kestrove::test
