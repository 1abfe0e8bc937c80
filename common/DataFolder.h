#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

namespace kestrove {

// The folder that holds every file the monitor keeps of its own: "setting.ini", "log/alart.log",
// "report.htm", the default report folder "log/", and whatever file is added later. It is the
// program folder when the user can write there (a build folder or an unpacked copy), otherwise a
// folder of the user's own, so an installed copy under a read-only prefix still records.
struct DataFolderChoice {
    std::filesystem::path folder;
    // False when neither folder can be written: nothing the program saves will be kept.
    bool writable = true;

    std::filesystem::path operator/(std::string_view name) const { return folder / name; }
};

// The platform's part of the choice.
class DataFolderPlatform {
public:
    virtual ~DataFolderPlatform() = default;
    // Whether the current user may create, change and remove files in `folder`.
    virtual bool CanWrite(const std::filesystem::path& folder) const = 0;
    // The user's own folder for Kestrove's files; empty when the user has none.
    virtual std::filesystem::path PerUserFolder() const = 0;
    // Creates `folder` and its missing parents so that only the user may enter what is new;
    // whether the folder exists afterwards.
    virtual bool CreatePrivateFolder(const std::filesystem::path& folder) const = 0;
};

// Installed copies carry this file beside the programs: even a user who may write there (root)
// keeps the files in the own folder, so nothing is added to a folder the package manager owns.
inline constexpr std::string_view kInstalledMarker = "installed-copy";

// Chooses the data folder once, at start. When neither folder can be written, the result names
// the user's own folder (where the files would belong) and is not writable.
DataFolderChoice ChooseDataFolder(const std::filesystem::path& programFolder,
                                  const DataFolderPlatform& platform);

// The platform's implementation, picked by the build.
std::unique_ptr<DataFolderPlatform> CreateDataFolderPlatform();

}  // namespace kestrove
