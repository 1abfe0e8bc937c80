#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "netinfo/MacAddress.h"

namespace kestrove {

// Makers of network hardware by the first bytes of its MAC, from the IEEE registry files
// (oui.txt and, for the finer MA-M and MA-S blocks, mam.txt, oui36.txt and iab.txt). The files
// are read at the first lookup, not at start-up; a missing or damaged file only means fewer
// makers are known.
class OuiRegistry {
public:
    static constexpr const char* kDefaultFolder = "/usr/share/ieee-data";
    static constexpr std::size_t kMaxFileBytes = 64u << 20;
    static constexpr std::size_t kMaxNameBytes = 120;

    explicit OuiRegistry(std::filesystem::path folder = kDefaultFolder)
        : folder_(std::move(folder)) {}

    // The registered organisation, or "" when unknown.
    std::string Vendor(const MacAddress& mac) const;

    // Adds the assignments of one registry file's text (any of the four files' forms).
    void AddRegistryText(std::string_view text) { AddText(text); }

private:
    struct Block {
        std::uint32_t low = 0;  // bits 24..47 of the first and last address of the block
        std::uint32_t high = 0;
        std::string name;
    };

    void LoadOnce() const;
    void AddText(std::string_view text) const;

    std::filesystem::path folder_;
    mutable bool loaded_ = false;
    // Whole 24-bit assignments, and the smaller blocks carved out of some of them.
    mutable std::unordered_map<std::uint32_t, std::string> large_;
    mutable std::unordered_map<std::uint32_t, std::vector<Block>> small_;
};

}  // namespace kestrove
