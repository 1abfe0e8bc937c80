#include "monitor/watch/OuiRegistry.h"

#include <algorithm>
#include <charconv>
#include <fstream>

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

void OuiRegistry::AddBlock(const Pending& pending, std::uint32_t low, std::uint32_t high) const {
    std::string clean = CleanName(pending.name);
    if (clean.empty() || names_.size() + clean.size() > kMaxFileBytes) {
        return;
    }
    blocks_.push_back(Block{pending.prefix, low, high, static_cast<std::uint32_t>(names_.size()),
                            static_cast<std::uint32_t>(clean.size())});
    names_ += clean;
    sorted_ = false;
}

void OuiRegistry::AddLine(std::string_view line, Pending& pending) const {
    std::uint32_t prefix = 0;
    std::uint32_t low = 0;
    std::uint32_t high = 0xFFFFFF;
    bool ranged = false;
    std::string_view name;
    if (ParseHexLine(line, prefix, name)) {
        // The next "(base 16)" line tells whether this is the whole prefix or a block.
        pending.waiting = true;
        pending.prefix = prefix;
        pending.name.assign(name.substr(0, 4 * kMaxNameBytes));
    } else if (pending.waiting && line.find(kBase16Mark) != std::string_view::npos) {
        // A block whose range cannot be read is left out rather than given the whole prefix.
        pending.waiting = false;
        if (ParseRangeLine(line, low, high, ranged)) {
            AddBlock(pending, ranged ? low : 0, ranged ? high : 0xFFFFFF);
        }
    }
}

void OuiRegistry::AddText(std::string_view text) const {
    Pending pending;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        AddLine(text.substr(0, newline), pending);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    }
    if (pending.waiting) {
        AddBlock(pending, 0, 0xFFFFFF);  // a text cut after its last "(hex)" line
    }
}

void OuiRegistry::Sort() const {
    if (sorted_) {
        return;
    }
    // By prefix, the smallest block first, so the first block that holds an address is the
    // most specific; among equal blocks the one added first.
    std::stable_sort(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        return a.high - a.low < b.high - b.low;
    });
    blocks_.shrink_to_fit();
    names_.shrink_to_fit();
    sorted_ = true;
}

OuiRegistry::~OuiRegistry() {
    if (loader_.joinable()) {
        loader_.join();
    }
}

void OuiRegistry::LoadInBackground() {
    if (state_.load() != State::NotLoaded || loader_.joinable()) {
        return;
    }
    state_ = State::Loading;
    loader_ = std::thread([this] {
        LoadFiles();
        Sort();
        state_.store(State::Loaded, std::memory_order_release);
    });
}

void OuiRegistry::LoadFiles() const {
    // Line by line: a whole 5 MiB file read at once would leave the heap that much larger
    // for the rest of the run.
    std::string line;
    for (const char* file : {"oui.txt", "mam.txt", "oui36.txt", "iab.txt"}) {
        std::ifstream in(folder_ / file, std::ios::binary);
        Pending pending;
        std::size_t read = 0;
        while (read <= kMaxFileBytes && std::getline(in, line)) {
            read += line.size() + 1;
            if (line.size() <= kMaxLineBytes) {
                AddLine(line, pending);
            }
        }
        if (pending.waiting) {
            AddBlock(pending, 0, 0xFFFFFF);
        }
    }
}

std::string OuiRegistry::Vendor(const MacAddress& mac) const {
    if (mac.length < 6) {
        return {};
    }
    State state = state_.load(std::memory_order_acquire);
    if (state == State::Loading) {
        return {};
    }
    if (state == State::NotLoaded) {
        LoadFiles();
        state_ = State::Loaded;
    }
    Sort();
    std::uint32_t prefix =
        (std::uint32_t{mac.bytes[0]} << 16) | (std::uint32_t{mac.bytes[1]} << 8) | mac.bytes[2];
    std::uint32_t rest =
        (std::uint32_t{mac.bytes[3]} << 16) | (std::uint32_t{mac.bytes[4]} << 8) | mac.bytes[5];
    auto it = std::lower_bound(blocks_.begin(), blocks_.end(), prefix,
                               [](const Block& b, std::uint32_t p) { return b.prefix < p; });
    for (; it != blocks_.end() && it->prefix == prefix; ++it) {
        if (rest >= it->low && rest <= it->high) {
            return names_.substr(it->nameOffset, it->nameLength);
        }
    }
    return {};
}

}  // namespace kestrove
