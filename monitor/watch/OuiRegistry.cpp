#include "monitor/watch/OuiRegistry.h"

#include <charconv>

#include "common/FileBytes.h"

namespace kestrove {
namespace {

constexpr std::string_view kHexMark = "(hex)";
constexpr std::string_view kBase16Mark = "(base 16)";

bool ParseHex(std::string_view text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc{} && end == text.data() + text.size();
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// The organisation as shown to the user: control characters dropped, cut at a character
// boundary so the text stays valid UTF-8.
std::string CleanName(std::string_view raw) {
    std::string name;
    for (char c : Trim(raw)) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            name.push_back(c);
        }
    }
    if (name.size() > OuiRegistry::kMaxNameBytes) {
        std::size_t cut = OuiRegistry::kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return name;
}

// "00-22-72   (hex)\t\tName": the prefix as a number, and the name.
bool ParseHexLine(std::string_view line, std::uint32_t& prefix, std::string_view& name) {
    std::size_t mark = line.find(kHexMark);
    if (mark == std::string_view::npos) {
        return false;
    }
    std::string_view digits = Trim(line.substr(0, mark));
    if (digits.size() != 8 || digits[2] != '-' || digits[5] != '-') {
        return false;
    }
    std::string joined{digits.substr(0, 2)};
    joined += digits.substr(3, 2);
    joined += digits.substr(6, 2);
    name = line.substr(mark + kHexMark.size());
    return ParseHex(joined, prefix);
}

// "900000-9FFFFF     (base 16)\t\tName": the block within the prefix; a line without a range
// (the oui.txt form) is the whole prefix.
bool ParseRangeLine(std::string_view line, std::uint32_t& low, std::uint32_t& high, bool& ranged) {
    std::size_t mark = line.find(kBase16Mark);
    if (mark == std::string_view::npos) {
        return false;
    }
    std::string_view range = Trim(line.substr(0, mark));
    std::size_t dash = range.find('-');
    ranged = dash != std::string_view::npos;
    if (!ranged) {
        return true;
    }
    return range.size() == 13 && dash == 6 && ParseHex(range.substr(0, 6), low) &&
           ParseHex(range.substr(7), high) && low <= high;
}

}  // namespace

void OuiRegistry::AddText(std::string_view text) const {
    bool pending = false;
    std::uint32_t prefix = 0;
    std::string_view name;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);

        std::uint32_t low = 0;
        std::uint32_t high = 0;
        bool ranged = false;
        std::string_view lineName;
        if (ParseHexLine(line, prefix, lineName)) {
            // The next "(base 16)" line tells whether this is the whole prefix or a block.
            name = lineName;
            pending = true;
        } else if (pending && ParseRangeLine(line, low, high, ranged)) {
            pending = false;
            std::string clean = CleanName(name);
            if (clean.empty()) {
                continue;
            }
            if (ranged) {
                small_[prefix].push_back(Block{low, high, std::move(clean)});
            } else {
                large_.try_emplace(prefix, std::move(clean));
            }
        }
    }
    if (pending && !CleanName(name).empty()) {
        large_.try_emplace(prefix, CleanName(name));  // a file cut after its last "(hex)" line
    }
}

void OuiRegistry::LoadOnce() const {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    for (const char* file : {"oui.txt", "mam.txt", "oui36.txt", "iab.txt"}) {
        FileReadResult read = ReadFileBytesOrMissing(folder_ / file);
        if (read.status == FileReadStatus::Ok && read.bytes.size() <= kMaxFileBytes) {
            AddText(read.bytes);
        }
    }
}

std::string OuiRegistry::Vendor(const MacAddress& mac) const {
    if (mac.length < 6) {
        return {};
    }
    LoadOnce();
    std::uint32_t prefix =
        (std::uint32_t{mac.bytes[0]} << 16) | (std::uint32_t{mac.bytes[1]} << 8) | mac.bytes[2];
    std::uint32_t rest =
        (std::uint32_t{mac.bytes[3]} << 16) | (std::uint32_t{mac.bytes[4]} << 8) | mac.bytes[5];
    if (auto it = small_.find(prefix); it != small_.end()) {
        for (const Block& block : it->second) {
            if (rest >= block.low && rest <= block.high) {
                return block.name;
            }
        }
    }
    auto it = large_.find(prefix);
    return it == large_.end() ? std::string() : it->second;
}

}  // namespace kestrove
