#include "testsupport/SpecialFiles.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kestrove::test {

bool MakeFileLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool MakeFifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

bool SetSparseSize(const std::filesystem::path& path, std::uint64_t size) {
    return ::truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

}  // namespace kestrove::test
