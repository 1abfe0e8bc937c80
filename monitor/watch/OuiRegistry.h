#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "netinfo/MacAddress.h"

namespace kestrove {

// Makers of network hardware by the first bytes of its MAC, from the IEEE registry files
// (oui.txt and, for the finer MA-M and MA-S blocks, mam.txt, oui36.txt and iab.txt). The files
// are read on a thread of their own (LoadInBackground) or else at the first lookup; a missing
// or damaged file only means fewer makers are known.
class OuiRegistry {
public:
    static constexpr const char* kDefaultFolder = "/usr/share/ieee-data";
    static constexpr std::size_t kMaxFileBytes = 64u << 20;
    static constexpr std::size_t kMaxNameBytes = 120;
    // Registry lines are short; a longer one is not a registry line.
    static constexpr std::size_t kMaxLineBytes = 4096;

    explicit OuiRegistry(std::filesystem::path folder = kDefaultFolder)
        : folder_(std::move(folder)) {}
    ~OuiRegistry();
    OuiRegistry(const OuiRegistry&) = delete;
    OuiRegistry& operator=(const OuiRegistry&) = delete;

    // Starts reading the files on a thread of its own (tens of milliseconds): a lookup made
    // meanwhile answers "" at once rather than waiting, so no alarm waits for the files.
    void LoadInBackground();
    bool Loaded() const { return state_.load(std::memory_order_acquire) == State::Loaded; }

    // The registered organisation, or "" when unknown (or still being read).
    std::string Vendor(const MacAddress& mac) const;

    // Adds the assignments of one registry file's text (any of the four files' forms); not
    // while a background load runs.
    void AddRegistryText(std::string_view text) { AddText(text); }

private:
    // One assignment: the first 24 bits, and the range of the last 24 bits it covers (the
    // whole range for an MA-L, a part for MA-M, MA-S and IAB blocks).
    struct Block {
        std::uint32_t prefix = 0;
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
    };

    // A "(hex)" line waiting for its "(base 16)" line.
    struct Pending {
        bool waiting = false;
        std::uint32_t prefix = 0;
        std::string name;
    };

    enum class State { NotLoaded, Loading, Loaded };

    void LoadFiles() const;
    void AddText(std::string_view text) const;
    void AddLine(std::string_view line, Pending& pending) const;
    void AddBlock(const Pending& pending, std::uint32_t low, std::uint32_t high) const;
    void Sort() const;

    std::filesystem::path folder_;
    // The loader thread alone touches the table while Loading; Loaded publishes it.
    mutable std::atomic<State> state_{State::NotLoaded};
    std::thread loader_;
    mutable bool sorted_ = true;
    // About 45,000 assignments: kept as one sorted array and one text of all names rather
    // than a map of strings, so the monitor grows by about 2 MiB when it first needs them.
    mutable std::vector<Block> blocks_;
    mutable std::string names_;
};

}  // namespace kestrove
