#include "testsupport/PrivateFile.h"

#include <sys/stat.h>

namespace kestrove::test {

bool IsOwnerOnlyFile(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0777) == 0600;
}

}  // namespace kestrove::test
