#include "monitor/settings/IniDocument.h"

namespace kestrove {
namespace {

bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

// The section name of a header line "[name]", or nothing for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = t.find(']');
    std::string_view name = t.substr(1, close == std::string_view::npos ? t.npos : close - 1);
    return Trim(name);
}

// Splits "key = value" into trimmed key and value; nothing for a line without "=".
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return std::make_pair(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
}

}  // namespace

bool Cp932EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    bool trail = false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (!trail) {
            if (x >= 'a' && x <= 'z')
                x = static_cast<unsigned char>(x - 'a' + 'A');
            if (y >= 'a' && y <= 'z')
                y = static_cast<unsigned char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
        trail = !trail && IsCp932Lead(x);
    }
    return true;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            doc.lines_.push_back({std::string(bytes.substr(pos)), ""});
            break;
        }
        std::size_t endLength = bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        doc.lines_.push_back(
            {std::string(bytes.substr(pos, end - pos)), std::string(bytes.substr(end, endLength))});
        pos = end + endLength;
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

std::size_t IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = HeaderName(lines_[i].text);
        if (name && Cp932EqualsIgnoreCase(*name, section)) {
            return i;
        }
    }
    return lines_.size();
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i].text)) {
        ++i;
    }
    return i;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    std::size_t header = FindSection(section);
    if (header == lines_.size()) {
        return std::nullopt;
    }
    for (std::size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        auto kv = KeyValue(lines_[i].text);
        if (kv && Cp932EqualsIgnoreCase(kv->first, key)) {
            return std::string(kv->second);
        }
    }
    return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string newLine = std::string(key) + "=" + std::string(value);
    std::size_t header = FindSection(section);
    if (header == lines_.size()) {
        if (!lines_.empty() && lines_.back().end.empty()) {
            lines_.back().end = "\r\n";
        }
        lines_.push_back({"[" + std::string(section) + "]", "\r\n"});
        lines_.push_back({newLine, "\r\n"});
        return;
    }
    std::size_t end = SectionEnd(header);
    std::size_t lastContent = header;
    for (std::size_t i = header + 1; i < end; ++i) {
        auto kv = KeyValue(lines_[i].text);
        if (kv && Cp932EqualsIgnoreCase(kv->first, key)) {
            lines_[i].text = newLine;
            return;
        }
        if (!Trim(lines_[i].text).empty()) {
            lastContent = i;
        }
    }
    // A new key goes right after the section's last non-blank line, ahead of blank lines
    // that separate it from the next section.
    if (lines_[lastContent].end.empty()) {
        lines_[lastContent].end = "\r\n";
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1),
                  Line{newLine, "\r\n"});
}

bool IniDocument::RemoveSection(std::string_view section) {
    bool removed = false;
    for (std::size_t header = FindSection(section); header < lines_.size();
         header = FindSection(section)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
        removed = true;
    }
    return removed;
}

}  // namespace kestrove
