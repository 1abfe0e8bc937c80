#pragma once

#include <filesystem>

namespace kestrove::test {

// A fresh folder on the small volume (a tmpfs of a few pages) whose Windows path
// wine_lan_test.py passes in KESTROVE_SMALL_DISK, and the means to fill that volume up. Empty
// Folder() when there is none.
class SmallDisk {
public:
    SmallDisk();
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    const std::filesystem::path& Folder() const { return folder_; }
    // Writes a filler file beside the folder until the volume refuses more; whether it did.
    // Files that already have a partly used last page keep that room.
    bool Fill();
    // Removes the filler: the volume has room again.
    void Free();

private:
    std::filesystem::path root_;
    std::filesystem::path folder_;
};

}  // namespace kestrove::test
