#pragma once

#include <filesystem>
#include <span>
#include <vector>

#include "monitor/watch/RememberedHosts.h"

namespace kestrove {

// "hosts.dat" beside the settings file, readable by its owner only.
class HostsFile {
public:
    enum class LoadStatus {
        Loaded,
        Missing,
        // Damaged, of an unknown version, not a regular file: moved to "hosts.dat.bad".
        SetAside,
        // Neither readable nor movable out of the way: it must not be overwritten either.
        Stuck,
    };

    explicit HostsFile(std::filesystem::path path) : path_(std::move(path)) {}

    static HostsFile InFolder(const std::filesystem::path& folder) {
        return HostsFile(folder / "hosts.dat");
    }

    LoadStatus Load(RememberedHosts& hosts) const;
    // Written whole to a file of its own and renamed into place, so a crash or a full disk
    // leaves the previous file as it was. False on any failure.
    bool Save(std::span<const HostsTable* const> tables) const;
    bool Save(const RememberedHosts& hosts) const {
        std::vector<const HostsTable*> all;
        for (const HostsTable& t : hosts.tables) {
            all.push_back(&t);
        }
        return Save(all);
    }

    const std::filesystem::path& Path() const { return path_; }
    // Appended to the native path: a round trip through narrow text would mangle a Japanese
    // folder name on Windows.
    std::filesystem::path BadPath() const {
        std::filesystem::path bad = path_;
        bad += ".bad";
        return bad;
    }

private:
    std::filesystem::path path_;
};

}  // namespace kestrove
