#pragma once

#include <cstdint>
#include <filesystem>

namespace kestrove::test {

// What a local attacker may put in a file's place, made where the platform can: each answers
// false where it cannot (the caller then skips that case).

// A symbolic link at `link` to the file `target`.
bool MakeFileLink(const std::filesystem::path& target, const std::filesystem::path& link);
// A FIFO (named pipe in the file system) at `path`; Windows has none.
bool MakeFifo(const std::filesystem::path& path);
// Sets the file's size without writing its bytes (sparse where the file system can).
bool SetSparseSize(const std::filesystem::path& path, std::uint64_t size);

}  // namespace kestrove::test
